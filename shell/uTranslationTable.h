#pragma once
// The texts of one window as a table, so that a window lists its texts once
// and its TranslateTexts and default-text setter are one call each.
//
// A window's rule: texts kept in fields (messages, file names) go back to
// their English defaults first; then, only while a language file is loaded,
// every entry becomes Translate(section, key, its current text), so that a
// key the new language lacks keeps the text it had. Control texts are not
// reset: with no language file the layout's English texts stay.
//
//     Texts.Caption(this, "HistoryForm", "Caption")
//          .Text(ui->BtnPouzit, "Common", "Use")
//          .Hint(ui->refreshBtn, "VariableForm", "Refresh")
//          .Field(&SaveDialogTitle, "HistoryForm", "SaveDialogCaption", "Save history");
//     ...
//     void ThistoriaFrm::TranslateTexts() { Texts.Translate(); }
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class QObject;
class QTableWidget;
class QTabWidget;
class QTreeWidget;
class QWidget;

class TTranslationTable
{
public:
    // The window title of Window.
    TTranslationTable &Caption(QWidget *window, const char *section, const char *key);
    // The visible text of a control: "title" of group boxes and menus,
    // "text" of buttons, labels, edits, actions and anything else with a
    // text property. A label without a buddy drops an accelerator mark.
    TTranslationTable &Text(QObject *control, const char *section, const char *key);
    // The tool tip of a widget or action (what the program calls a hint).
    // Hints and column titles show no keyboard accelerator: a word that is a
    // button's caption elsewhere loses its "&" here.
    TTranslationTable &Hint(QObject *control, const char *section, const char *key);
    // A column title of a grid or a list view.
    TTranslationTable &Column(QTableWidget *grid, int column, const char *section, const char *key);
    TTranslationTable &Column(QTreeWidget *list, int column, const char *section, const char *key);
    // The caption of one page of a page control.
    TTranslationTable &Tab(QTabWidget *pages, int index, const char *section, const char *key);
    // A text kept in a field; defaultValue is its English text.
    TTranslationTable &Field(QString *target, const char *section, const char *key, const QString &defaultValue);
    // Anything else that has a text: Get reads it, Set writes it.
    TTranslationTable &Entry(const char *section, const char *key, std::function<QString()> get,
                             std::function<void(const QString &)> set);

    // The fields back to their English defaults.
    void SetDefaultTexts() const;
    // SetDefaultTexts, then, while a language file is loaded, every entry
    // translated from its current text; then the accessible names.
    void Translate() const;

private:
    struct TItem
    {
        QString Section;
        QString Key;
        std::function<QString()> Get;
        std::function<void(const QString &)> Set;
        QString *Field = nullptr;
        QString Default;
    };
    // The window of Control, whose accessible names this table keeps.
    void NoteWindow(const QObject *control);

    QList<TItem> m_items;
    QList<QPointer<QWidget>> m_windows;
};
