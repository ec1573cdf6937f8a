#pragma once
// Small pieces that the controls of the tool windows share: how edits and
// buttons take their keys (Ctrl+A, C, V and X on every edit, a typing filter
// on number edits, Enter starting the window's calculation), the red text of
// a failure in a result field, grid rows one line of text high, and a label
// that ends a text too long for it with an ellipsis.
#include <QLabel>
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
void HandleEditKeys(QLineEdit *edit, TEditTyping typing, std::function<void()> onEnter = {});
// Enter (or the keypad's Enter) on Control calls OnEnter.
void HandleEnterKey(QWidget *control, std::function<void()> onEnter);

// The text colour of Edit (red for a failure shown in a result field),
// readable on the edit's background in any theme; UseNormalTextColour
// returns to the theme's own text colour.
void SetTextColour(QLineEdit *edit, const QColor &colour);
void UseNormalTextColour(QLineEdit *edit);
// Rows of Grid as high as one line of its font, with a little margin.
void UseCompactRows(QTableView *grid);

// A one-line label that shows a text wider than itself from its start, cut
// with an ellipsis, instead of clipping it; text() keeps the whole text.
class TElidedLabel : public QLabel
{
public:
    using QLabel::QLabel;
    // The text as it is drawn at the label's present width.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
