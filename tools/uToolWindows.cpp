#include "tools/uToolWindows.h"

#include "shell/uGUIManager.h"
#include "tools/fFunctionGraph.h"

void RegisterToolWindowClasses(TGUIManager *Gui)
{
    // Each tool window adds its line here, in the registration table's
    // order: preview, SI prefixes, expression browser, series, polynomials,
    // combinatorics, statistics, graph, rule of three, derivatives,
    // quadratic equation, unit converter.
    Gui->RegisterFormClass(FormId::FunctionGraph, &CreateForm<TFunctionGraphFrm>);
}
