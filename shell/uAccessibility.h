#pragma once
// The program's part in what assistive technology (a screen reader) is told
// about its windows, and in texts that stay readable in any colour theme.
#include <QColor>
#include <QSize>
#include <QString>

class QWidget;

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

// Text without its mnemonic marks, as a screen reader is to read it: "&&"
// stands for "&", a single "&" goes.
QString WithoutMnemonic(const QString &text);

// The dynamic property of a control whose accessible name is translated: its
// value is "Section/Key" of the language file, and the control's
// accessibleName, set in its form, is the English default. Used where a
// control shows neither a caption nor a hint and has no label. A name the
// control's window gives it otherwise is left alone (see TranslateAccessibleName).
inline constexpr char AccessibleNameKey[] = "accessibleNameKey";

// Sets Control's accessible name to Translated when the name it has is the
// one its key gave it last (or its form's default); a name its window has
// given it since then stays.
void TranslateAccessibleName(QWidget *control, const QString &translated);

// Gives every control of Window that shows no caption of words (none, or
// only a glyph such as an arrow or "^"), has no label naming it and has no
// translated name its hint as accessible name, and keeps that name
// following the hint whenever the hint changes. A name the control was
// given otherwise is left alone. Safe to call again.
void NameControlsByHints(QWidget *window);

// The contrast ratio of two colours by their relative luminance, from 1
// (none) to 21 (black on white).
double ContrastRatio(const QColor &a, const QColor &b);

// A text colour the program fixes, shown on Background: on a light
// background Wanted itself (the colours the windows were made with); on a
// dark one (a dark theme) the same hue made lighter until the text stands
// out at 4.5:1 at least.
QColor ReadableColour(const QColor &wanted, const QColor &background);

// Control's text in Colour, made readable against the background it is
// drawn on: the base of an edit, the window behind a label or a button;
// fitted again when the theme changes while the program runs.
void SetFixedTextColour(QWidget *control, const QColor &colour);
// The theme's own text colour again, for a control that had a fixed one.
void UseThemeTextColour(QWidget *control);

// A window laid out by its layout keeps its texts whole at any font size
// and in any language: its minimum size is Specified (the size its layout
// gives), or more where its texts need more room, and follows whenever they
// change. A window of fixed size (not Resizable) is held at that size; a
// resizable one's maximum gives way where it is smaller.
void KeepTextsWhole(QWidget *window, const QSize &specified, bool resizable);
