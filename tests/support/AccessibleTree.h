#pragma once
// A window as a screen reader sees it. TAccessibilityClient makes Qt's
// accessibility active for the test program and reads every accessibility
// event's object as it arrives, as an assistive client does; WalkAccessibleTree
// reads a whole window, child by child; UnnamedControls lists the controls a
// screen reader could not name.
//
// A test that includes this links Qt6::GuiPrivate: Qt keeps the switch that
// makes accessibility active in its platform layer, which a desktop's
// assistive bus turns on and the offscreen platform never does.
#include "tests/support/EveryPage.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QComboBox>
#include <QHeaderView>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

// Reads what a screen reader reads of one node; returns a digest so that
// the reads cannot be optimised away.
inline qsizetype ReadAccessibleNode(QAccessibleInterface *Node)
{
    if (!Node || !Node->isValid())
        return 0;
    qsizetype digest = Node->text(QAccessible::Name).size() + Node->text(QAccessible::Description).size()
                       + Node->text(QAccessible::Value).size() + int(Node->role());
    const QAccessible::State state = Node->state();
    digest += state.focused + state.invisible + state.checked + state.disabled;
    const QRect rect = Node->rect();
    digest += rect.width() > 0;
    // A client also asks each node for its identity and its place among
    // its parent's children.
    digest += QAccessible::uniqueId(Node) != 0;
    if (QAccessibleInterface *parent = Node->parent())
        digest += parent->indexOfChild(Node) >= 0;
    return digest;
}

// Walks the tree below Root as a client walks it: every child of every
// node, each also looked up again by its object through
// QAccessible::queryAccessibleInterface. A client asks for children by the
// count it read earlier, and the tree may have changed since (a scroll bar
// that came or went), so each node is also asked for the child one past its
// end, which it must answer safely (with nothing, or with a node that can be
// read). Returns the number of nodes read. Bounded, so that a view with very
// many cells cannot stall a test.
inline int WalkAccessibleTree(QAccessibleInterface *Root, int Depth = 0)
{
    if (!Root || !Root->isValid() || Depth > 40)
        return 0;
    ReadAccessibleNode(Root);
    int count = 1;
    const int children = qMin(Root->childCount(), 400);
    if (children == Root->childCount())
        ReadAccessibleNode(Root->child(children));
    for (int i = 0; i < children; ++i) {
        QAccessibleInterface *child = Root->child(i);
        if (!child)
            continue;
        if (QObject *object = child->object())
            ReadAccessibleNode(QAccessible::queryAccessibleInterface(object));
        count += WalkAccessibleTree(child, Depth + 1);
    }
    return count;
}

inline int WalkAccessibleTree(QWidget *Window)
{
    return WalkAccessibleTree(QAccessible::queryAccessibleInterface(Window));
}

// While it lives, accessibility is active and every event Qt sends is read
// at once (its object, then the object's whole subtree when the event says
// the tree changed), the way an assistive client reacts to events.
class TAccessibilityClient
{
public:
    TAccessibilityClient()
    {
        QAccessible::installUpdateHandler(&Handle);
        SetActive(true);
    }
    ~TAccessibilityClient()
    {
        SetActive(false);
        QAccessible::installUpdateHandler(nullptr);
    }
    TAccessibilityClient(const TAccessibilityClient &) = delete;
    TAccessibilityClient &operator=(const TAccessibilityClient &) = delete;

    static inline int Events = 0;

private:
    static void SetActive(bool Active)
    {
        if (QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility())
            platform->setActive(Active);
    }
    static void Handle(QAccessibleEvent *Event)
    {
        ++Events;
        QAccessibleInterface *node = Event->accessibleInterface();
        if (!node)
            return;
        switch (Event->type()) {
        case QAccessible::ObjectCreated:
        case QAccessible::ObjectShow:
        case QAccessible::ObjectReorder:
        case QAccessible::TableModelChanged:
            WalkAccessibleTree(node);
            break;
        default:
            ReadAccessibleNode(node);
        }
    }
};

// A control a user can reach or see: something with a role one interacts
// with, or anything that takes the focus by Tab. The parts Qt adds inside
// its own views (viewports, headers, cell editors, the edit of an editable
// combo box) are named by their view.
inline bool IsControl(QWidget *W, QWidget *Window)
{
    if (W->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<QHeaderView *>(W)
        || qobject_cast<QComboBox *>(W->parentWidget()))
        return false;
    for (QWidget *p = W->parentWidget(); p && p != Window; p = p->parentWidget())
        if (p->objectName() == QLatin1String("qt_scrollarea_viewport") && !p->parentWidget()->inherits("QScrollArea"))
            return false; // a cell editor of an item view
    const bool visible = W->isVisibleTo(Window);
    const bool tabFocus = (W->focusPolicy() & Qt::TabFocus) && W->isEnabled() && visible;
    QAccessibleInterface *node = QAccessible::queryAccessibleInterface(W);
    if (!node)
        return tabFocus;
    switch (node->role()) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::PageTabList:
        return visible;
    case QAccessible::Canvas:
    case QAccessible::Graphic:
        // A drawing that is the window's content; a label's picture is
        // decoration.
        return visible && !W->inherits("QLabel");
    default:
        return tabFocus;
    }
}

// "objectName (class)" of every control of Window whose accessible name is
// empty, on every page of its page controls. The window is shown first.
inline QStringList UnnamedControls(QWidget *Window)
{
    QStringList unnamed;
    const auto collect = [&] {
        for (QWidget *w : Window->findChildren<QWidget *>()) {
            if (!IsControl(w, Window))
                continue;
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(w);
            const QString entry =
                QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className()));
            if ((!node || node->text(QAccessible::Name).trimmed().isEmpty()) && !unnamed.contains(entry))
                unnamed << entry;
        }
    };
    OnEveryPage(Window, collect);
    return unnamed;
}
