#pragma once
// The language window: the language files of the program's "lang" folder by
// their language names, the header of the chosen one, and the switch to it.
// Each list item keeps its file, so two files of one language name can each
// be chosen.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationFileList.h"
#include "shell/uTranslationTable.h"

class QListWidget;
namespace Ui {
class TjazykFrm;
}

class TjazykFrm : public KTandorelForm
{
public:
    explicit TjazykFrm(QWidget *parent = nullptr);
    ~TjazykFrm() override;

    void TranslateTexts() override;

    // The list anew from the folder, the loaded language selected.
    void FillList();
    // Switches the program to the chosen file. A file that has gone since
    // the list was made is reported and the language stays (false).
    bool applyBtnClick();
    void okBtnClick();

    QString TranslationWikiPage;
    QString msgFileNotFound;

    QListWidget *languagesLsb() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void languagesLsbClick();
    const TTranslationFileInfo *SelectedInfo();

    Ui::TjazykFrm *ui;
    TTranslationFileList Files;
    TTranslationTable m_texts;
};
