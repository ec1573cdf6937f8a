#include "shell/uMainProgramStartup.h"
#include "tools/uToolWindows.h"

int main(int argc, char **argv)
{
    return RunProgram(argc, argv, &RegisterToolWindowClasses);
}
