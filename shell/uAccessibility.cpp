#include "shell/uAccessibility.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
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
    explicit TScrollAreaAccessible(QWidget *area) : QAccessibleWidget(area, QAccessible::Client) {}

    int childCount() const override { return int(Children().size()); }

    QAccessibleInterface *child(int index) const override
    {
        const QWidgetList children = Children();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || !child->object() || !child->object()->isWidgetType())
            return -1;
        return int(Children().indexOf(static_cast<QWidget *>(child->object())));
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
QAccessibleInterface *ProgramInterfaces(const QString &className, QObject *object)
{
    if ((className == QLatin1String("QScrollArea") || className == QLatin1String("QAbstractScrollArea"))
        && qobject_cast<QAbstractScrollArea *>(object))
        return new TScrollAreaAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

// Marks a name that was taken from the hint, so that it may follow the hint.
constexpr char NamedByHint[] = "accessibleNameFromHint";

bool ShowsWords(const QWidget *control)
{
    const auto *button = qobject_cast<const QAbstractButton *>(control);
    if (!button)
        return false;
    for (const QChar c : button->text())
        if (c.isLetterOrNumber())
            return true;
    return false;
}

// Qt names a control by a label only when the label is its sibling.
bool HasLabel(const QWidget *control)
{
    if (!control->parentWidget())
        return false;
    for (const QLabel *label : control->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == control)
            return true;
    return false;
}

// Hands a changed hint on to the name of a control named by its hint. One
// per window, found by its name.
constexpr char FollowerName[] = "hintNameFollower";

class THintFollower : public QObject
{
public:
    explicit THintFollower(QObject *window) : QObject(window) { setObjectName(QLatin1String(FollowerName)); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTipChange && watched->property(NamedByHint).toBool()) {
            auto *control = static_cast<QWidget *>(watched);
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
    TTextRoomKeeper(QWidget *window, const QSize &specified, bool resizable)
        : QObject(window), m_specified(specified), m_specifiedMaximum(window->maximumSize()), m_resizable(resizable)
    {
        window->installEventFilter(this);
        // A window of fixed size has its size before it is placed; a
        // resizable one needs its minimum only once it shows, when what its
        // constructor hides is hidden.
        if (!resizable)
            Fit();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show))
            Fit();
        return false;
    }

private:
    void Fit()
    {
        auto *window = static_cast<QWidget *>(parent());
        const QSize size = m_specified.expandedTo(window->minimumSizeHint());
        if (m_resizable) {
            // A side the window holds fixed (a maximum) gives way to its texts.
            const QSize maximum = m_specifiedMaximum.expandedTo(size);
            if (window->minimumSize() != size || window->maximumSize() != maximum) {
                window->setMaximumSize(maximum);
                window->setMinimumSize(size);
            }
        } else if (window->minimumSize() != size || window->maximumSize() != size) {
            window->setFixedSize(size);
        }
    }

    QSize m_specified;
    QSize m_specifiedMaximum;
    bool m_resizable;
};

} // namespace

QString WithoutMnemonic(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (i + 1 == text.size())
                break;
            ++i;
        }
        plain += text.at(i);
    }
    return plain;
}

// The name a control's key gave it last.
constexpr char NameFromKey[] = "accessibleNameFromKey";

void TranslateAccessibleName(QWidget *control, const QString &translated)
{
    const QVariant given = control->property(NameFromKey);
    if (given.isValid() && given.toString() != control->accessibleName())
        return;
    const QString name = WithoutMnemonic(translated);
    control->setProperty(NameFromKey, name);
    control->setAccessibleName(name);
}

void NameControlsByHints(QWidget *window)
{
    QObject *follower = window->findChild<QObject *>(QLatin1String(FollowerName), Qt::FindDirectChildrenOnly);
    for (QWidget *control : window->findChildren<QWidget *>()) {
        const bool named = control->property(NamedByHint).toBool();
        if (control->toolTip().isEmpty() || control->property(AccessibleNameKey).isValid()
            || (!named && !control->accessibleName().isEmpty()) || ShowsWords(control) || HasLabel(control))
            continue;
        if (!named) {
            if (!follower)
                follower = new THintFollower(window);
            control->setProperty(NamedByHint, true);
            control->installEventFilter(follower);
        }
        control->setAccessibleName(control->toolTip());
    }
}

double ContrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double first = luminance(a), second = luminance(b);
    return (qMax(first, second) + 0.05) / (qMin(first, second) + 0.05);
}

QColor ReadableColour(const QColor &wanted, const QColor &background)
{
    constexpr double readable = 4.5;
    const bool lightBackground = ContrastRatio(background, Qt::black) >= ContrastRatio(background, Qt::white);
    if (lightBackground || ContrastRatio(wanted, background) >= readable)
        return wanted;
    const QColor hsl = wanted.toHsl();
    for (int lightness = hsl.lightness(); lightness <= 255; lightness += 5) {
        const QColor lighter = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness);
        if (ContrastRatio(lighter, background) >= readable)
            return lighter;
    }
    return QColor(Qt::white);
}

namespace {

const char *const FixedTextColourKey = "tandorelFixedTextColour";

// Fits a control's fixed text colour to the background it has now.
void ApplyFixedTextColour(QWidget *control)
{
    const QColor wanted = control->property(FixedTextColourKey).value<QColor>();
    const bool onBase = qobject_cast<QLineEdit *>(control) || qobject_cast<QAbstractSpinBox *>(control)
                        || qobject_cast<QAbstractScrollArea *>(control);
    const QPalette::ColorRole text = onBase ? QPalette::Text : control->foregroundRole();
    const QPalette::ColorRole background = onBase ? QPalette::Base : control->backgroundRole();
    QPalette palette = control->palette();
    const QColor shown = ReadableColour(wanted, palette.color(background));
    // Setting the same colour again would announce a palette change again.
    if (palette.color(text) == shown && palette.isBrushSet(QPalette::Active, text))
        return;
    palette.setColor(text, shown);
    control->setPalette(palette);
}

// The background comes from the theme, so a theme changed while the program
// runs gives the control a new background: its text colour is fitted again.
class TFixedColourKeeper : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::PaletteChange && watched->isWidgetType()
            && watched->property(FixedTextColourKey).isValid())
            ApplyFixedTextColour(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

void SetFixedTextColour(QWidget *control, const QColor &colour)
{
    if (!control)
        return;
    if (!control->property(FixedTextColourKey).isValid()) {
        static auto *keeper = new TFixedColourKeeper(qApp);
        control->installEventFilter(keeper);
    }
    control->setProperty(FixedTextColourKey, colour);
    ApplyFixedTextColour(control);
}

void UseThemeTextColour(QWidget *control)
{
    control->setProperty(FixedTextColourKey, QVariant());
    control->setPalette(QPalette());
}

void InstallAccessibleInterfaces()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&ProgramInterfaces);
}

void KeepTextsWhole(QWidget *window, const QSize &specified, bool resizable)
{
    new TTextRoomKeeper(window, specified, resizable);
}
