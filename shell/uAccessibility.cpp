#include "shell/uAccessibility.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
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

} // namespace

void InstallAccessibleInterfaces()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&ProgramInterfaces);
}
