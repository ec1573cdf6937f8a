#pragma once
// An up-down control: two arrow buttons stepping a position between Min and
// Max, optionally shown in an associated edit (the edit shows the position
// after every accepted step and after SetPosition). The Up and Down keys in
// the associated edit step as the arrows do, so the position can be set
// from the keyboard. The arrows are named "Increase" and "Decrease" for
// assistive technology (section Common of the language file).
#include <QWidget>

#include <functional>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget
{
public:
    explicit TUpDown(QWidget *parent = nullptr);

    int Min = 0;
    int Max = 100;
    int Increment = 1;

    int Position() const { return m_position; }
    // Clamped to Min..Max; no OnChanging or OnClick.
    void SetPosition(int value);
    // Direction +1 (up) or -1 (down); what the arrow buttons do. A step
    // beyond Min or Max does nothing.
    void Step(int direction);

    // The edit that shows the position (nullptr: none). The edit's own
    // typing is not read back here: its window decides what a typed text
    // means.
    void SetAssociate(QLineEdit *edit);
    QLineEdit *Associate() const { return m_associate; }

    QToolButton *UpButton() const { return m_up; }
    QToolButton *DownButton() const { return m_down; }

    // OnChanging may refuse the step (AllowChange := false) and set the
    // position itself; OnClick follows an accepted step.
    std::function<void(int newPosition, int direction, bool &allowChange)> OnChanging;
    std::function<void(int direction)> OnClick;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowInAssociate();

    int m_position = 0;
    QToolButton *m_up;
    QToolButton *m_down;
    QLineEdit *m_associate = nullptr;
};
