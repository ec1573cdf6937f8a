#pragma once
// Small pieces that the controls of the tool windows share: how edits and
// buttons take their keys (Ctrl+A, C, V and X on every edit, a typing filter
// on number edits, Enter starting the window's calculation), the red text of
// a failure in a result field, and grid rows one line of text high.
#include <QSize>
#include <QString>

#include <functional>

class QColor;
class QLineEdit;
class QTableView;
class QWidget;

enum class TEditTyping {
    Any,    // every key (read-only result fields)
    Number, // NumericEditKeyPress: digits, one separator, "E", "-"
    Digits, // digits only, national keys mapped, "+" read as 1
};

// Installs the handling on Edit: EditShortcutKeyDown for Ctrl+A/C/V/X,
// printable characters through Typing (a refused key is dropped, a mapped
// one typed as its mapping), and Enter calling OnEnter when it is set.
void HandleEditKeys(QLineEdit *Edit, TEditTyping Typing, std::function<void()> OnEnter = {});
// Enter (or the keypad's Enter) on Control calls OnEnter.
void HandleEnterKey(QWidget *Control, std::function<void()> OnEnter);

// The text colour of Edit (red for a failure shown in a result field).
void SetTextColour(QLineEdit *Edit, const QColor &Colour);
// Rows of Grid as high as one line of its font, with a little margin.
void UseCompactRows(QTableView *Grid);

// A window of fixed size laid out by its layout: its size is Specified, or
// more where its texts need more room (a larger font, a longer language),
// and follows whenever they change. The user cannot resize it.
void FixWindowSize(QWidget *Window, const QSize &Specified);
