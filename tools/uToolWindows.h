#pragma once
// The tool windows' side of the registration: the program's main block hands
// RegisterToolWindowClasses to the start-up, which calls it after the
// shell's own windows are registered.
class TGUIManager;

// Registers every tool-window class of this library under its window id,
// in the order of the registration table.
void RegisterToolWindowClasses(TGUIManager *gui);
