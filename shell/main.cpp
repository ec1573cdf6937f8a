#include "shell/uMainProgramStartup.h"

// Defined by the tools library, which is built on top of the shell and
// joins it only here, in the executable.
void RegisterToolWindowClasses(TGUIManager *gui);

int main(int argc, char **argv)
{
    return RunProgram(argc, argv, &RegisterToolWindowClasses);
}
