#pragma once
// The history window: one line per successful calculation, newest last.
// The controller talks to it even while it has never been shown: every
// calculation appends a line, start-up loads "history.dat" into it and exit
// saves it. The user puts an old expression and its result back into the main
// window, copies a line, deletes lines or saves the list as a text file.
//
// A line as the controller writes it: expression, " = ", result and, when the
// expression uses variables, " [" followed by 'name=value;' groups and "]".
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

#include <QString>

class QListWidget;
namespace Ui { class ThistoriaFrm; }

// The most lines that adding keeps (a longer file is still loaded whole).
extern quint8 MaxHistoryCount;

class ThistoriaFrm : public KTandorelForm
{
public:
    explicit ThistoriaFrm(QWidget *parent = nullptr);
    ~ThistoriaFrm() override;

    // Appends Line: an equal line (letter case ignored) is removed first;
    // when exactly MaxHistoryCount lines are then held the oldest goes.
    // The new line becomes the selected one and the buttons are enabled.
    void AddIntoHistory(const QString &Line);

    // Puts the selected line back: its expression (everything before the
    // first " = ") becomes LastExpression and the main input through
    // KMainProgram::SetExpression(expr, false); its result (after the first
    // " = ", without the " [variables]" tail) goes to KMainProgram::ShowResult.
    // Nothing happens while no line is selected.
    void UseSelected();

    // Writes every line to FileName (UTF-8, CR LF, replaced atomically).
    // Raises EFCreateError when the file cannot be written.
    void SaveToFile(const QString &FileName);
    // When FileName exists its lines replace the list (all of them, no cut
    // to MaxHistoryCount); no line is selected afterwards. A missing file
    // changes nothing. Raises EFOpenError when it exists but cannot be read.
    void LoadFromFile(const QString &FileName);

    // Enables or disables Use, Copy, Delete and Save, and passes Enable to
    // the main window's Back key through KMainProgram::SetBackEnabled.
    void PovolTlacitka(bool Enable);

    void TranslateTexts() override;

    // Read access for the Back key of the main window
    // (KMainProgram::RecallLastHistoryEntry moves the selection one line up,
    // wrapping from the first line or no selection to the last, then calls
    // UseSelected).
    int Count() const;
    QString Lines(int Index) const;
    int ItemIndex() const;          // -1 when no line is selected
    void SetItemIndex(int Index);   // -1 clears the selection

    // The controls, for the Back key and for tests.
    QListWidget *historyLb() const;

    // Save dialog texts: title, proposed file name and the filter written as
    // "description|pattern".
    QString SaveDialogTitle;
    QString SaveDialogFileName;
    QString SaveDialogFilter;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void historyLbClick();
    void BtnPouzitClick();
    void BtnKopirovatClick();
    void BtnZmazatClick();
    void BtnUlozitClick();
    void Edit1Click();

    Ui::ThistoriaFrm *ui;
    TTranslationTable Texts;
};
