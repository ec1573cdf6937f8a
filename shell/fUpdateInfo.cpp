#include "shell/fUpdateInfo.h"
#include "ui_fUpdateInfo.h"

#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uShellCommon.h"
#include "shell/uUpdateInformer.h"

#include <QShowEvent>

TUpdateInfoFrm::TUpdateInfoFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TUpdateInfoFrm)
{
    ui->setupUi(this);
    ui->yourVersionLbl->setText(ProgramVersionText);
    connect(ui->downloadBtn, &QPushButton::clicked, this, [this] { downloadBtnClick(); });
    connect(ui->whatsNewBtn, &QPushButton::clicked, this, [this] { whatsNewBtnClick(); });
    connect(ui->closeBtn, &QPushButton::clicked, this, [this] { close(); });

    m_texts.Caption(this, "UpdateInfoForm", "Caption")
        .Text(ui->yourVersionCaptionLbl, "UpdateInfoForm", "YourVersion")
        .Text(ui->latestStableVersionCaptionLbl, "UpdateInfoForm", "LatestStableVersion")
        .Text(ui->latestDeveloperVersionCaptionLbl, "UpdateInfoForm", "LatestDevelopmentVersion")
        .Text(ui->whatsNewBtn, "UpdateInfoForm", "WhatsNew")
        .Text(ui->downloadBtn, "UpdateInfoForm", "Download")
        .Text(ui->closeBtn, "Common", "Close")
        .Field(&msgGettingInfo, "UpdateInfoForm", "GettingInfo",
               QStringLiteral("Getting information about new versions. Please wait."))
        .Field(&msgNoNewVersion, "UpdateInfoForm", "NoNewVersion",
               QStringLiteral("You are using the latest version of Tandorel."))
        .Field(&msgNewStableVersion, "UpdateInfoForm", "NewStableVersion",
               QStringLiteral("There's a new stable version available on the net."))
        .Field(&msgNewDevelopmentVersion, "UpdateInfoForm", "NewDevelopmentVersion",
               QStringLiteral("There's a new development version available on the net."))
        .Field(&msgCouldntGetInfo, "UpdateInfoForm", "CouldntGetInfo",
               QStringLiteral("Couldn't get information about new versions."));

    SetMainForm(TGUIManager::Instance()->GetMainForm());
    PlaceBesideMainForm(DockCentred);
}

TUpdateInfoFrm::~TUpdateInfoFrm()
{
    delete ui;
}

void TUpdateInfoFrm::TranslateTexts()
{
    m_texts.Translate();
}

void TUpdateInfoFrm::showEvent(QShowEvent *event)
{
    KTandorelForm::showEvent(event);
    if (event->spontaneous())
        return;
    // From now on every answer reaches the window, whoever asked for it;
    // the status-bar sign keeps listening as well.
    TUpdateInformer *informer = TUpdateInformer::Instance();
    disconnect(m_listening);
    m_listening =
        connect(informer, &TUpdateInformer::Info, this, [this](TUpdateInformer *sender) { InformerDone(sender); });
    if (informer->IsLoaded()) {
        ShowResult(informer);
        return;
    }
    ui->statusLbl->setText(msgGettingInfo);
    // A check already running (the one at start) answers here as well.
    KMainProgram::Instance()->CheckForUpdate(false);
}

void TUpdateInfoFrm::InformerDone(TUpdateInformer *informer)
{
    if (!informer->IsLoaded())
        ui->statusLbl->setText(msgCouldntGetInfo);
    else
        ShowResult(informer);
}

void TUpdateInfoFrm::ShowResult(TUpdateInformer *informer)
{
    if (informer->StableIsNewer())
        ui->statusLbl->setText(msgNewStableVersion);
    else if (informer->DevelopmentIsNewer())
        ui->statusLbl->setText(msgNewDevelopmentVersion);
    else
        ui->statusLbl->setText(msgNoNewVersion);
    ui->latestStableVersionLbl->setText(informer->GetStableInfo().Version);
    ui->latestDeveloperVersionLbl->setText(informer->GetDevelopmentInfo().Version);
}

void TUpdateInfoFrm::downloadBtnClick()
{
    OpenURL(MakerWebAddress(QStringLiteral("index.php?page=download&") + BuildQueryString(false)));
}

void TUpdateInfoFrm::whatsNewBtnClick()
{
    OpenURL(MakerWebAddress(QStringLiteral("index.php?page=history&") + BuildQueryString(false)));
}
