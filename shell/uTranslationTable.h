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
    TTranslationTable &Caption(QWidget *Window, const char *Section, const char *Key);
    // The visible text of a control: "title" of group boxes and menus,
    // "text" of buttons, labels, edits, actions and anything else with a
    // text property. A label without a buddy drops an accelerator mark.
    TTranslationTable &Text(QObject *Control, const char *Section, const char *Key);
    // The tool tip of a widget or action (what the program calls a hint).
    // Hints and column titles show no keyboard accelerator: a word that is a
    // button's caption elsewhere loses its "&" here.
    TTranslationTable &Hint(QObject *Control, const char *Section, const char *Key);
    // A column title of a grid or a list view.
    TTranslationTable &Column(QTableWidget *Grid, int Column, const char *Section, const char *Key);
    TTranslationTable &Column(QTreeWidget *List, int Column, const char *Section, const char *Key);
    // The caption of one page of a page control.
    TTranslationTable &Tab(QTabWidget *Pages, int Index, const char *Section, const char *Key);
    // A text kept in a field; Default is its English text.
    TTranslationTable &Field(QString *Target, const char *Section, const char *Key, const QString &Default);
    // Anything else that has a text: Get reads it, Set writes it.
    TTranslationTable &Entry(const char *Section, const char *Key, std::function<QString()> Get,
                             std::function<void(const QString &)> Set);

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
    void NoteWindow(const QObject *Control);

    QList<TItem> Items;
    QList<QPointer<QWidget>> Windows;
};
