#pragma once
// The update information window: this program's version, the newest stable
// and development versions that the maker's update page reports, and the
// download and version history pages.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

class TUpdateInformer;
namespace Ui {
class TUpdateInfoFrm;
}

class TUpdateInfoFrm : public KTandorelForm
{
public:
    explicit TUpdateInfoFrm(QWidget *parent = nullptr);
    ~TUpdateInfoFrm() override;

    void TranslateTexts() override;

    // The status texts.
    QString msgGettingInfo;
    QString msgNoNewVersion;
    QString msgNewStableVersion;
    QString msgNewDevelopmentVersion;
    QString msgCouldntGetInfo;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The informer has answered (loaded or not).
    void InformerDone(TUpdateInformer *informer);
    void ShowResult(TUpdateInformer *informer);
    void downloadBtnClick();
    void whatsNewBtnClick();

    Ui::TUpdateInfoFrm *ui;
    TTranslationTable m_texts;
    QMetaObject::Connection m_listening;
};
