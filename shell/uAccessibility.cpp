#include "shell/uAccessibility.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScrollBar>

#include <cmath>

namespace {

// The children a scroll area shows: its viewport, the scroll bars that are
// shown (in their containers) and a shown corner widget.
class TScrollAreaAccessible : public QAccessibleWidget
{
public:
    explicit TScrollAreaAccessible(QWidget *Area) : QAccessibleWidget(Area, QAccessible::Client) {}

    int childCount() const override { return int(Children().size()); }

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

// Refits its window whenever the window's layout asks for new room and
// whenever the window shows: texts changed while it was hidden ask for no
// new layout, it is laid out anew as it shows.
class TTextRoomKeeper : public QObject
{
public:
    TTextRoomKeeper(QWidget *Window, const QSize &Specified, bool Resizable)
        : QObject(Window), Specified(Specified), SpecifiedMaximum(Window->maximumSize()), Resizable(Resizable)
    {
        Window->installEventFilter(this);
        // A window of fixed size has its size before it is placed; a
        // resizable one needs its minimum only once it shows, when what its
        // constructor hides is hidden.
        if (!Resizable)
            Fit();
    }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Watched == parent() && (Event->type() == QEvent::LayoutRequest || Event->type() == QEvent::Show))
            Fit();
        return false;
    }

private:
    void Fit()
    {
        auto *window = static_cast<QWidget *>(parent());
        const QSize size = Specified.expandedTo(window->minimumSizeHint());
        if (Resizable) {
            // A side the window holds fixed (a maximum) gives way to its texts.
            const QSize maximum = SpecifiedMaximum.expandedTo(size);
            if (window->minimumSize() != size || window->maximumSize() != maximum) {
                window->setMaximumSize(maximum);
                window->setMinimumSize(size);
            }
        } else if (window->minimumSize() != size || window->maximumSize() != size) {
            window->setFixedSize(size);
        }
    }

    QSize Specified;
    QSize SpecifiedMaximum;
    bool Resizable;
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

// The name a control's key gave it last.
constexpr char NameFromKey[] = "accessibleNameFromKey";

void TranslateAccessibleName(QWidget *Control, const QString &Translated)
{
    const QVariant given = Control->property(NameFromKey);
    if (given.isValid() && given.toString() != Control->accessibleName())
        return;
    const QString name = WithoutMnemonic(Translated);
    Control->setProperty(NameFromKey, name);
    Control->setAccessibleName(name);
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

double ContrastRatio(const QColor &A, const QColor &B)
{
    const auto luminance = [](const QColor &C) {
        const auto channel = [](double V) { return V <= 0.04045 ? V / 12.92 : std::pow((V + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(C.redF()) + 0.7152 * channel(C.greenF()) + 0.0722 * channel(C.blueF());
    };
    const double a = luminance(A), b = luminance(B);
    return (qMax(a, b) + 0.05) / (qMin(a, b) + 0.05);
}

QColor ReadableColour(const QColor &Wanted, const QColor &Background)
{
    constexpr double Readable = 4.5;
    const bool lightBackground = ContrastRatio(Background, Qt::black) >= ContrastRatio(Background, Qt::white);
    if (lightBackground || ContrastRatio(Wanted, Background) >= Readable)
        return Wanted;
    const QColor hsl = Wanted.toHsl();
    for (int lightness = hsl.lightness(); lightness <= 255; lightness += 5) {
        const QColor lighter = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness);
        if (ContrastRatio(lighter, Background) >= Readable)
            return lighter;
    }
    return QColor(Qt::white);
}

void SetFixedTextColour(QWidget *Control, const QColor &Colour)
{
    if (!Control)
        return;
    const bool onBase = qobject_cast<QLineEdit *>(Control) || qobject_cast<QAbstractSpinBox *>(Control)
                        || qobject_cast<QAbstractScrollArea *>(Control);
    const QPalette::ColorRole text = onBase ? QPalette::Text : Control->foregroundRole();
    const QPalette::ColorRole background = onBase ? QPalette::Base : Control->backgroundRole();
    QPalette palette = Control->palette();
    palette.setColor(text, ReadableColour(Colour, palette.color(background)));
    Control->setPalette(palette);
}

void InstallAccessibleInterfaces()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&ProgramInterfaces);
}

void KeepTextsWhole(QWidget *Window, const QSize &Specified, bool Resizable)
{
    new TTextRoomKeeper(Window, Specified, Resizable);
}
