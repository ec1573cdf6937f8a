#pragma once
// The program's part in what assistive technology (a screen reader) is told
// about its windows.

// Installs the program's accessible interfaces in front of Qt's own. Call it
// once the application object exists (Qt installs its own then), before any
// window is created; a repeat does nothing.
//
// A scroll area that has no interface of its own (a QScrollArea, a grid's
// header) gets one that refuses a child index past its end: a client asks
// for children by the count it read earlier, and a scroll bar that has come
// or gone since then moves that end (Qt 6.4's own interface then reads past
// its list and the program dies).
void InstallAccessibleInterfaces();
