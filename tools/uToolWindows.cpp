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

void RegisterToolWindowClasses(TGUIManager *Gui)
{
    // Each tool window adds its line here, in the registration table's
    // order: preview, SI prefixes, expression browser, series, polynomials,
    // combinatorics, statistics, graph, rule of three, derivatives,
    // quadratic equation, unit converter.
    Gui->RegisterMagneticFormClass(FormId::ExpressionPreview, &CreateForm<TnahladVyrazuFrm>, DockLeft);
    Gui->RegisterMagneticFormClass(FormId::PrefixValues, &CreateForm<TprefixValuesFrm>, DockCentred);
    Gui->RegisterFormClass(FormId::ExpressionBrowser, &CreateForm<TPrehliadacVyrazovFrm>);
    Gui->RegisterFormClass(FormId::SeriesSum, &CreateForm<TsumaFrm>);
    Gui->RegisterFormClass(FormId::Polynomials, &CreateForm<TmnohoclenyFrm>);
    Gui->RegisterFormClass(FormId::Combinatorics, &CreateForm<TkombinatorikaFrm>);
    Gui->RegisterFormClass(FormId::Statistics, &CreateForm<TstatistikaFrm>);
    Gui->RegisterFormClass(FormId::FunctionGraph, &CreateForm<TFunctionGraphFrm>);
    Gui->RegisterFormClass(FormId::RuleOfThree, &CreateForm<TRuleOfThreeFrm>);
    Gui->RegisterFormClass(FormId::Derivatives, &CreateForm<TderivacieFrm>);
    Gui->RegisterFormClass(FormId::QuadraticEquation, &CreateForm<TQuadraticEquationFrm>);
    Gui->RegisterFormClass(FormId::UnitConverter, &CreateForm<TUnitConverterFrm>);
}
