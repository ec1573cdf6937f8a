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

bool IsEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

class TEditKeyFilter : public QObject
{
public:
    TEditKeyFilter(QWidget *control, TEditTyping typing, std::function<void()> onEnter)
        : QObject(control), m_typing(typing), OnEnter(std::move(onEnter))
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (IsEnter(key)) {
            if (!OnEnter)
                return false;
            OnEnter();
            return true;
        }
        auto *edit = qobject_cast<QLineEdit *>(watched);
        if (!edit)
            return false;
        int code = key->key();
        EditShortcutKeyDown(edit, code, key->modifiers());
        if (code == 0)
            return true;
        // Control characters (Backspace, Tab, Ctrl combinations) and keys
        // without text (arrows, Delete) keep their usual meaning.
        if (m_typing == TEditTyping::Any || key->text().size() != 1 || key->text().at(0).unicode() < 32
            || key->text().at(0).unicode() == 127)
            return false;
        const QChar typed = key->text().at(0);
        QChar c = typed;
        if (m_typing == TEditTyping::Number) {
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
    TEditTyping m_typing;
    std::function<void()> OnEnter;
};

} // namespace

void HandleEditKeys(QLineEdit *edit, TEditTyping typing, std::function<void()> onEnter)
{
    new TEditKeyFilter(edit, typing, std::move(onEnter));
}

void HandleEnterKey(QWidget *control, std::function<void()> onEnter)
{
    new TEditKeyFilter(control, TEditTyping::Any, std::move(onEnter));
}

void SetTextColour(QLineEdit *edit, const QColor &colour)
{
    SetFixedTextColour(edit, colour);
}

void UseNormalTextColour(QLineEdit *edit)
{
    UseThemeTextColour(edit);
}

void UseCompactRows(QTableView *grid)
{
    const int rowHeight = grid->fontMetrics().height() + 6;
    grid->verticalHeader()->setMinimumSectionSize(rowHeight);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
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
