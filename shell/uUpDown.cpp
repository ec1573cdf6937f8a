#include "shell/uUpDown.h"

#include "shell/uAccessibility.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

TUpDown::TUpDown(QWidget *parent) : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    m_up->setObjectName(QStringLiteral("Up"));
    m_down->setObjectName(QStringLiteral("Down"));
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    // Named until the window names them itself (after its own hint, say).
    m_up->setProperty(AccessibleNameKey, QStringLiteral("Common/Increase"));
    TranslateAccessibleName(m_up, QStringLiteral("Increase"));
    m_down->setProperty(AccessibleNameKey, QStringLiteral("Common/Decrease"));
    TranslateAccessibleName(m_down, QStringLiteral("Decrease"));
    for (QToolButton *b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetPosition(int value)
{
    m_position = qBound(Min, value, Max);
    ShowInAssociate();
}

void TUpDown::Step(int direction)
{
    const int requested = m_position + direction * Increment;
    if (requested < Min || requested > Max)
        return;
    bool allow = true;
    if (OnChanging)
        OnChanging(requested, direction, allow);
    if (!allow)
        return;
    m_position = requested;
    ShowInAssociate();
    if (OnClick)
        OnClick(direction);
}

void TUpDown::SetAssociate(QLineEdit *edit)
{
    if (m_associate)
        m_associate->removeEventFilter(this);
    m_associate = edit;
    if (m_associate)
        m_associate->installEventFilter(this);
    ShowInAssociate();
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_associate && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Up) {
                Step(+1);
                return true;
            }
            if (key->key() == Qt::Key_Down) {
                Step(-1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::ShowInAssociate()
{
    if (m_associate)
        m_associate->setText(QString::number(m_position));
}

void TUpDown::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int h = height() / 2;
    m_up->setGeometry(0, 0, width(), h);
    m_down->setGeometry(0, h, width(), height() - h);
}
