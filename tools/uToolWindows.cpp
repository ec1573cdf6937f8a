#include "tools/uToolWindows.h"

#include "shell/uGUIManager.h"
#include "tools/fDerivacie.h"
#include "tools/fFunctionGraph.h"
#include "tools/fMnohocleny.h"
#include "tools/fNahladVyrazu.h"
#include "tools/fPrefixValues.h"
#include "tools/fPrehliadacVyrazov.h"
#include "tools/fQuadraticEquation.h"
#include "tools/fRuleOfThree.h"
#include "tools/fStatistika.h"
#include "tools/fSuma.h"
#include "tools/fUnitConverter.h"
#include "tools/kombinatorika.h"

void RegisterToolWindowClasses(TGUIManager *gui)
{
    // Each tool window adds its line here, in the registration table's
    // order: preview, SI prefixes, expression browser, series, polynomials,
    // combinatorics, statistics, graph, rule of three, derivatives,
    // quadratic equation, unit converter.
    gui->RegisterMagneticFormClass(FormId::ExpressionPreview, &CreateForm<TnahladVyrazuFrm>, DockLeft);
    gui->RegisterMagneticFormClass(FormId::PrefixValues, &CreateForm<TprefixValuesFrm>, DockCentred);
    gui->RegisterFormClass(FormId::ExpressionBrowser, &CreateForm<TPrehliadacVyrazovFrm>);
    gui->RegisterFormClass(FormId::SeriesSum, &CreateForm<TsumaFrm>);
    gui->RegisterFormClass(FormId::Polynomials, &CreateForm<TmnohoclenyFrm>);
    gui->RegisterFormClass(FormId::Combinatorics, &CreateForm<TkombinatorikaFrm>);
    gui->RegisterFormClass(FormId::Statistics, &CreateForm<TstatistikaFrm>);
    gui->RegisterFormClass(FormId::FunctionGraph, &CreateForm<TFunctionGraphFrm>);
    gui->RegisterFormClass(FormId::RuleOfThree, &CreateForm<TRuleOfThreeFrm>);
    gui->RegisterFormClass(FormId::Derivatives, &CreateForm<TderivacieFrm>);
    gui->RegisterFormClass(FormId::QuadraticEquation, &CreateForm<TQuadraticEquationFrm>);
    gui->RegisterFormClass(FormId::UnitConverter, &CreateForm<TUnitConverterFrm>);
}
