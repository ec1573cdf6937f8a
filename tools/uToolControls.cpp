#include "tools/uToolControls.h"

#include "core/uCommon.h"
#include "shell/uAccessibility.h"
#include "shell/uShellCommon.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QTableView>

namespace {

bool IsEnter(const QKeyEvent *Key)
{
    return Key->key() == Qt::Key_Return || Key->key() == Qt::Key_Enter;
}

class TEditKeyFilter : public QObject
{
public:
    TEditKeyFilter(QWidget *Control, TEditTyping Typing, std::function<void()> OnEnter)
        : QObject(Control), Typing(Typing), OnEnter(std::move(OnEnter))
    {
        Control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(Event);
        if (IsEnter(key)) {
            if (!OnEnter)
                return false;
            OnEnter();
            return true;
        }
        auto *edit = qobject_cast<QLineEdit *>(Watched);
        if (!edit)
            return false;
        int code = key->key();
        EditShortcutKeyDown(edit, code, key->modifiers());
        if (code == 0)
            return true;
        // Control characters (Backspace, Tab, Ctrl combinations) and keys
        // without text (arrows, Delete) keep their usual meaning.
        if (Typing == TEditTyping::Any || key->text().size() != 1 || key->text().at(0).unicode() < 32
            || key->text().at(0).unicode() == 127)
            return false;
        const QChar typed = key->text().at(0);
        QChar c = typed;
        if (Typing == TEditTyping::Number) {
            NumericEditKeyPress(edit, c);
        } else {
            MapKeyboardChar(c, true);
            if (c < u'0' || c > u'9')
                c = QChar(0);
        }
        if (c == QChar(0))
            return true;
        if (c != typed && !edit->isReadOnly()) {
            edit->insert(QString(c));
            return true;
        }
        return false;
    }

private:
    TEditTyping Typing;
    std::function<void()> OnEnter;
};

} // namespace

void HandleEditKeys(QLineEdit *Edit, TEditTyping Typing, std::function<void()> OnEnter)
{
    new TEditKeyFilter(Edit, Typing, std::move(OnEnter));
}

void HandleEnterKey(QWidget *Control, std::function<void()> OnEnter)
{
    new TEditKeyFilter(Control, TEditTyping::Any, std::move(OnEnter));
}

void SetTextColour(QLineEdit *Edit, const QColor &Colour)
{
    SetFixedTextColour(Edit, Colour);
}

void UseNormalTextColour(QLineEdit *Edit)
{
    Edit->setPalette(QPalette());
}

void UseCompactRows(QTableView *Grid)
{
    const int rowHeight = Grid->fontMetrics().height() + 6;
    Grid->verticalHeader()->setMinimumSectionSize(rowHeight);
    Grid->verticalHeader()->setDefaultSectionSize(rowHeight);
}

QString TElidedLabel::ShownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void TElidedLabel::paintEvent(QPaintEvent *event)
{
    const QString shown = ShownText();
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(QStyle::visualAlignment(layoutDirection(), alignment())),
                          palette(), isEnabled(), shown, foregroundRole());
}
