#include "shell/uTranslationTable.h"

#include "shell/uAccessibility.h"
#include "shell/uProgramTranslator.h"

#include <QLabel>
#include <QPointer>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>

namespace {

// Group boxes and menus show a title; the rest a text.
const char *TextProperty(const QObject *control)
{
    return control->metaObject()->indexOfProperty("title") >= 0 ? "title" : "text";
}

} // namespace

TTranslationTable &TTranslationTable::Entry(const char *section, const char *key, std::function<QString()> get,
                                            std::function<void(const QString &)> set)
{
    m_items.append(
        {QString::fromLatin1(section), QString::fromLatin1(key), std::move(get), std::move(set), nullptr, {}});
    return *this;
}

TTranslationTable &TTranslationTable::Caption(QWidget *window, const char *section, const char *key)
{
    NoteWindow(window);
    QPointer<QWidget> w(window);
    return Entry(
        section, key, [w] { return w ? w->windowTitle() : QString(); },
        [w](const QString &s) {
            if (w)
                w->setWindowTitle(s);
        });
}

TTranslationTable &TTranslationTable::Text(QObject *control, const char *section, const char *key)
{
    NoteWindow(control);
    QPointer<QObject> c(control);
    const char *property = TextProperty(control);
    return Entry(
        section, key, [c, property] { return c ? c->property(property).toString() : QString(); },
        [c, property](const QString &s) {
            if (!c)
                return;
            // A label shows its accelerator only when it names a control it
            // can hand the focus to; elsewhere the mark would show as "&".
            const auto *label = qobject_cast<const QLabel *>(c);
            c->setProperty(property, label && !label->buddy() ? WithoutMnemonic(s) : s);
        });
}

TTranslationTable &TTranslationTable::Hint(QObject *control, const char *section, const char *key)
{
    NoteWindow(control);
    QPointer<QObject> c(control);
    return Entry(
        section, key, [c] { return c ? c->property("toolTip").toString() : QString(); },
        [c](const QString &s) {
            if (c)
                c->setProperty("toolTip", WithoutMnemonic(s));
        });
}

TTranslationTable &TTranslationTable::Column(QTableWidget *grid, int column, const char *section, const char *key)
{
    NoteWindow(grid);
    QPointer<QTableWidget> g(grid);
    return Entry(
        section, key,
        [g, column] {
            const QTableWidgetItem *item = g ? g->horizontalHeaderItem(column) : nullptr;
            return item ? item->text() : QString();
        },
        [g, column](const QString &s) {
            if (!g)
                return;
            if (QTableWidgetItem *item = g->horizontalHeaderItem(column))
                item->setText(WithoutMnemonic(s));
            else
                g->setHorizontalHeaderItem(column, new QTableWidgetItem(WithoutMnemonic(s)));
        });
}

TTranslationTable &TTranslationTable::Column(QTreeWidget *list, int column, const char *section, const char *key)
{
    NoteWindow(list);
    QPointer<QTreeWidget> l(list);
    return Entry(
        section, key, [l, column] { return l ? l->headerItem()->text(column) : QString(); },
        [l, column](const QString &s) {
            if (l)
                l->headerItem()->setText(column, WithoutMnemonic(s));
        });
}

TTranslationTable &TTranslationTable::Tab(QTabWidget *pages, int index, const char *section, const char *key)
{
    NoteWindow(pages);
    QPointer<QTabWidget> p(pages);
    return Entry(
        section, key, [p, index] { return p ? p->tabText(index) : QString(); },
        [p, index](const QString &s) {
            if (p)
                p->setTabText(index, s);
        });
}

TTranslationTable &TTranslationTable::Field(QString *target, const char *section, const char *key,
                                            const QString &defaultValue)
{
    *target = defaultValue;
    m_items.append({QString::fromLatin1(section), QString::fromLatin1(key), [target] { return *target; },
                    [target](const QString &s) { *target = s; }, target, defaultValue});
    return *this;
}

void TTranslationTable::NoteWindow(const QObject *control)
{
    if (!control || !control->isWidgetType())
        return;
    QWidget *window = static_cast<const QWidget *>(control)->window();
    if (!m_windows.contains(window))
        m_windows.append(window);
}

void TTranslationTable::SetDefaultTexts() const
{
    for (const TItem &item : m_items)
        if (item.Field)
            *item.Field = item.Default;
}

void TTranslationTable::Translate() const
{
    SetDefaultTexts();
    const TProgramTranslator *t = TProgramTranslator::Instance();
    if (t->IsLoaded())
        for (const TItem &item : m_items)
            item.Set(t->Translate(item.Section, item.Key, item.Get()));
    for (QWidget *window : m_windows) {
        if (!window)
            continue;
        if (t->IsLoaded())
            for (QWidget *control : window->findChildren<QWidget *>()) {
                const QString key = control->property(AccessibleNameKey).toString();
                const qsizetype slash = key.indexOf(u'/');
                if (slash > 0)
                    TranslateAccessibleName(
                        control, t->Translate(key.left(slash), key.mid(slash + 1), control->accessibleName()));
            }
        NameControlsByHints(window);
    }
}
