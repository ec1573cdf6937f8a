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

#include <QString>

class QWidget;

// Text without its mnemonic marks, as a screen reader is to read it: "&&"
// stands for "&", a single "&" goes.
QString WithoutMnemonic(const QString &Text);

// The dynamic property of a control whose accessible name is translated: its
// value is "Section/Key" of the language file, and the control's
// accessibleName, set in its form, is the English default. Used where a
// control shows neither a caption nor a hint and has no label.
inline constexpr char AccessibleNameKey[] = "accessibleNameKey";

// Gives every control of Window that shows no caption of words (none, or
// only a glyph such as an arrow or "^"), has no label naming it and has no
// translated name its hint as accessible name, and keeps that name
// following the hint whenever the hint changes. A name the control was
// given otherwise is left alone. Safe to call again.
void NameControlsByHints(QWidget *Window);
