#pragma once
// The history window: a view on the controller's history (THistoryModel).
// The user puts an old expression and its result back into the main window,
// copies a line, deletes lines or saves the list as a text file. A line
// selected by a new calculation or by the Back key is selected here too but
// not shown in the edit line; only the user's own choice is.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

#include <QString>

class QListView;
class THistoryModel;
namespace Ui {
class ThistoriaFrm;
}

class ThistoriaFrm : public KTandorelForm
{
public:
    // A view on Model; the registry's window shows the controller's history.
    explicit ThistoriaFrm(THistoryModel *model = nullptr, QWidget *parent = nullptr);
    ~ThistoriaFrm() override;

    // Enables or disables Use, Copy, Delete and Save.
    void PovolTlacitka(bool enable);

    void TranslateTexts() override;

    THistoryModel *Model() const { return History; }
    // The list, for tests.
    QListView *historyLb() const;

    // Save dialog texts: title, proposed file name and the filter written as
    // "description|pattern".
    QString SaveDialogTitle;
    QString SaveDialogFileName;
    QString SaveDialogFilter;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void ShowSelection(int index);
    void historyLbClick();
    void BtnPouzitClick();
    void BtnKopirovatClick();
    void BtnZmazatClick();
    void BtnUlozitClick();
    void Edit1Click();

    THistoryModel *History;
    Ui::ThistoriaFrm *ui;
    TTranslationTable m_texts;
    // The model's selection is being shown: no edit-line update.
    bool m_following = false;
};
