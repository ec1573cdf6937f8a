#include "shell/uAccessibility.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QScrollBar>

namespace {

// The children a scroll area shows: its viewport, the scroll bars that are
// shown (in their containers) and a shown corner widget.
class TScrollAreaAccessible : public QAccessibleWidget
{
public:
    explicit TScrollAreaAccessible(QWidget *Area) : QAccessibleWidget(Area, QAccessible::Client) {}

    int childCount() const override { return Children().size(); }

    QAccessibleInterface *child(int Index) const override
    {
        const QWidgetList children = Children();
        if (Index < 0 || Index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(Index));
    }

    int indexOfChild(const QAccessibleInterface *Child) const override
    {
        if (!Child || !Child->object() || !Child->object()->isWidgetType())
            return -1;
        return int(Children().indexOf(static_cast<QWidget *>(Child->object())));
    }

private:
    QWidgetList Children() const
    {
        QWidgetList children;
        const auto *area = static_cast<const QAbstractScrollArea *>(widget());
        if (QWidget *viewport = area->viewport())
            children << viewport;
        for (const QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()})
            if (bar && bar->isVisible() && bar->parentWidget())
                children << bar->parentWidget();
        if (QWidget *corner = area->cornerWidget(); corner && corner->isVisible())
            children << corner;
        return children;
    }
};

// Asked for each class of an object, the most derived first: a class with
// an interface of Qt's own (a list, a table, a text edit) never reaches the
// scroll area's name.
QAccessibleInterface *ProgramInterfaces(const QString &Class, QObject *Object)
{
    if ((Class == QLatin1String("QScrollArea") || Class == QLatin1String("QAbstractScrollArea"))
        && qobject_cast<QAbstractScrollArea *>(Object))
        return new TScrollAreaAccessible(static_cast<QWidget *>(Object));
    return nullptr;
}

// Marks a name that was taken from the hint, so that it may follow the hint.
constexpr char NamedByHint[] = "accessibleNameFromHint";

bool ShowsWords(const QWidget *Control)
{
    const auto *button = qobject_cast<const QAbstractButton *>(Control);
    if (!button)
        return false;
    for (const QChar c : button->text())
        if (c.isLetterOrNumber())
            return true;
    return false;
}

// Qt names a control by a label only when the label is its sibling.
bool HasLabel(const QWidget *Control)
{
    if (!Control->parentWidget())
        return false;
    for (const QLabel *label : Control->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == Control)
            return true;
    return false;
}

// Hands a changed hint on to the name of a control named by its hint. One
// per window, found by its name.
constexpr char FollowerName[] = "hintNameFollower";

class THintFollower : public QObject
{
public:
    explicit THintFollower(QObject *Window) : QObject(Window) { setObjectName(QLatin1String(FollowerName)); }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() == QEvent::ToolTipChange && Watched->property(NamedByHint).toBool()) {
            auto *control = static_cast<QWidget *>(Watched);
            control->setAccessibleName(control->toolTip());
        }
        return false;
    }
};

} // namespace

QString WithoutMnemonic(const QString &Text)
{
    QString plain;
    plain.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        if (Text.at(i) == u'&') {
            if (i + 1 == Text.size())
                break;
            ++i;
        }
        plain += Text.at(i);
    }
    return plain;
}

void NameControlsByHints(QWidget *Window)
{
    QObject *follower = Window->findChild<QObject *>(QLatin1String(FollowerName), Qt::FindDirectChildrenOnly);
    for (QWidget *control : Window->findChildren<QWidget *>()) {
        const bool named = control->property(NamedByHint).toBool();
        if (control->toolTip().isEmpty() || control->property(AccessibleNameKey).isValid()
            || (!named && !control->accessibleName().isEmpty()) || ShowsWords(control) || HasLabel(control))
            continue;
        if (!named) {
            if (!follower)
                follower = new THintFollower(Window);
            control->setProperty(NamedByHint, true);
            control->installEventFilter(follower);
        }
        control->setAccessibleName(control->toolTip());
    }
}

void InstallAccessibleInterfaces()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&ProgramInterfaces);
}
