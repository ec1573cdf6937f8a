#pragma once
// The program's main block, cut into its steps so that tests can run start-up
// and exit against a throw-away program folder (see SetProgramDir). main()
// runs RunProgram; KMainProgram::Start, SaveAll, LoadTexts and
// ApplyImaginaryUnit are defined beside these steps.
#include <QString>

// The application title and the main window's caption.
inline const QString ApplicationTitle = QStringLiteral("Tandorel");
inline const QString MainWindowCaption = QStringLiteral("Tandorel 1.10");

class TGUIManager;

// Registers the classes of the tools library; the program's main block
// passes it in, because the shell is built below the tools and cannot name
// their classes.
using TToolWindowRegistration = void (*)(TGUIManager *);

// Registers the shell's window classes with the window registry under their
// ids (FormId::History, FormId::Constants, FormId::Variables, ...), then
// lets RegisterTools (when given) register the tool windows.
void RegisterToolWindows(TToolWindowRegistration registerTools);

// Everything before the message loop: the settings are loaded; with
// AllowOnlyOneInstance set and another copy running, that copy is asked to
// raise its window and false is returned (no window was created and nothing
// will be written). Otherwise the main window is created hidden, handed to the
// registry, the tool windows are registered and KMainProgram::Start shows the
// calculator; true is returned. Needs the application object.
bool ProgramStartUp(TToolWindowRegistration registerTools = nullptr);

// Everything after the message loop: KMainProgram::SaveAll, then worker
// threads are stopped before the windows and single objects they use are
// freed. Safe to call when ProgramStartUp returned false (then it only
// frees). Afterwards a new ProgramStartUp starts from fresh single objects.
void ProgramShutDown();

// The whole program: application object, start-up, message loop, shut-down.
int RunProgram(int &argc, char **argv, TToolWindowRegistration registerTools);
