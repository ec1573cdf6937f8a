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
const char *TextProperty(const QObject *Control)
{
    return Control->metaObject()->indexOfProperty("title") >= 0 ? "title" : "text";
}

} // namespace

TTranslationTable &TTranslationTable::Entry(const char *Section, const char *Key, std::function<QString()> Get,
                                            std::function<void(const QString &)> Set)
{
    Items.append({QString::fromLatin1(Section), QString::fromLatin1(Key), std::move(Get), std::move(Set), nullptr, {}});
    return *this;
}

TTranslationTable &TTranslationTable::Caption(QWidget *Window, const char *Section, const char *Key)
{
    NoteWindow(Window);
    QPointer<QWidget> w(Window);
    return Entry(
        Section, Key, [w] { return w ? w->windowTitle() : QString(); },
        [w](const QString &S) {
            if (w)
                w->setWindowTitle(S);
        });
}

TTranslationTable &TTranslationTable::Text(QObject *Control, const char *Section, const char *Key)
{
    NoteWindow(Control);
    QPointer<QObject> c(Control);
    const char *property = TextProperty(Control);
    return Entry(
        Section, Key, [c, property] { return c ? c->property(property).toString() : QString(); },
        [c, property](const QString &S) {
            if (!c)
                return;
            // A label shows its accelerator only when it names a control it
            // can hand the focus to; elsewhere the mark would show as "&".
            const auto *label = qobject_cast<const QLabel *>(c);
            c->setProperty(property, label && !label->buddy() ? WithoutMnemonic(S) : S);
        });
}

TTranslationTable &TTranslationTable::Hint(QObject *Control, const char *Section, const char *Key)
{
    NoteWindow(Control);
    QPointer<QObject> c(Control);
    return Entry(
        Section, Key, [c] { return c ? c->property("toolTip").toString() : QString(); },
        [c](const QString &S) {
            if (c)
                c->setProperty("toolTip", WithoutMnemonic(S));
        });
}

TTranslationTable &TTranslationTable::Column(QTableWidget *Grid, int Column, const char *Section, const char *Key)
{
    NoteWindow(Grid);
    QPointer<QTableWidget> g(Grid);
    return Entry(
        Section, Key,
        [g, Column] {
            const QTableWidgetItem *item = g ? g->horizontalHeaderItem(Column) : nullptr;
            return item ? item->text() : QString();
        },
        [g, Column](const QString &S) {
            if (!g)
                return;
            if (QTableWidgetItem *item = g->horizontalHeaderItem(Column))
                item->setText(WithoutMnemonic(S));
            else
                g->setHorizontalHeaderItem(Column, new QTableWidgetItem(WithoutMnemonic(S)));
        });
}

TTranslationTable &TTranslationTable::Column(QTreeWidget *List, int Column, const char *Section, const char *Key)
{
    NoteWindow(List);
    QPointer<QTreeWidget> l(List);
    return Entry(
        Section, Key, [l, Column] { return l ? l->headerItem()->text(Column) : QString(); },
        [l, Column](const QString &S) {
            if (l)
                l->headerItem()->setText(Column, WithoutMnemonic(S));
        });
}

TTranslationTable &TTranslationTable::Tab(QTabWidget *Pages, int Index, const char *Section, const char *Key)
{
    NoteWindow(Pages);
    QPointer<QTabWidget> p(Pages);
    return Entry(
        Section, Key, [p, Index] { return p ? p->tabText(Index) : QString(); },
        [p, Index](const QString &S) {
            if (p)
                p->setTabText(Index, S);
        });
}

TTranslationTable &TTranslationTable::Field(QString *Target, const char *Section, const char *Key,
                                            const QString &Default)
{
    *Target = Default;
    Items.append({QString::fromLatin1(Section), QString::fromLatin1(Key), [Target] { return *Target; },
                  [Target](const QString &S) { *Target = S; }, Target, Default});
    return *this;
}

void TTranslationTable::NoteWindow(const QObject *Control)
{
    if (!Control || !Control->isWidgetType())
        return;
    QWidget *window = static_cast<const QWidget *>(Control)->window();
    if (!Windows.contains(window))
        Windows.append(window);
}

void TTranslationTable::SetDefaultTexts() const
{
    for (const TItem &item : Items)
        if (item.Field)
            *item.Field = item.Default;
}

void TTranslationTable::Translate() const
{
    SetDefaultTexts();
    const TProgramTranslator *t = TProgramTranslator::Instance();
    if (t->IsLoaded())
        for (const TItem &item : Items)
            item.Set(t->Translate(item.Section, item.Key, item.Get()));
    for (QWidget *window : Windows) {
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
