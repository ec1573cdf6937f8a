#include "shell/fJazyk.h"
#include "ui_fJazyk.h"

#include "core/uProgramSettings.h"
#include "shell/uAccessibility.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"

#include <QFileInfo>
#include <QShowEvent>

#include <algorithm>

namespace {
constexpr int FileRole = Qt::UserRole;
}

TjazykFrm::TjazykFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TjazykFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    ConnectLinkLabel(ui->emailLbl, [this] { OpenMailtoLabel(ui->emailLbl); });
    ConnectLinkLabel(ui->webLbl, [this] { OpenUrlLabel(ui->webLbl); });
    ConnectLinkLabel(ui->translateLbl, [this] { OpenWikiPage(TranslationWikiPage); });
    connect(ui->languagesLsb, &QListWidget::itemSelectionChanged, this, [this] { languagesLsbClick(); });
    connect(ui->applyBtn, &QPushButton::clicked, this, [this] { applyBtnClick(); });
    connect(ui->okBtn, &QPushButton::clicked, this, [this] { okBtnClick(); });
    connect(ui->cancelBtn, &QPushButton::clicked, this, [this] { close(); });

    m_texts.Caption(this, "LanguageForm", "Caption")
        .Text(ui->programTitleLbl, "LanguageForm", "Program")
        .Text(ui->dateOfFileTitleLbl, "LanguageForm", "dateoffile")
        .Text(ui->authorTitleLbl, "LanguageForm", "authoroftranslation")
        .Text(ui->emailTitleLbl, "Common", "email")
        .Text(ui->webTitleLbl, "Common", "web")
        .Text(ui->translateLbl, "LanguageForm", "TranslateTandorel")
        .Text(ui->okBtn, "Common", "ok")
        .Text(ui->applyBtn, "Common", "apply")
        .Text(ui->cancelBtn, "Common", "cancel")
        .Field(&TranslationWikiPage, "Addresses", "ProgramTranslationWikiPage",
               QStringLiteral("translations:translating_tandorel"))
        .Field(&msgFileNotFound, "LanguageForm", "msgFileNotFound",
               QStringLiteral("The language file \"#1\" cannot be found."));

    SetMainForm(TGUIManager::Instance()->GetMainForm());
    PlaceBesideMainForm(DockCentred);
}

TjazykFrm::~TjazykFrm()
{
    delete ui;
}

QListWidget *TjazykFrm::languagesLsb() const
{
    return ui->languagesLsb;
}

void TjazykFrm::TranslateTexts()
{
    m_texts.Translate();
}

void TjazykFrm::showEvent(QShowEvent *event)
{
    KTandorelForm::showEvent(event);
    if (!event->spontaneous())
        FillList();
}

void TjazykFrm::FillList()
{
    QListWidget *list = ui->languagesLsb;
    const QSignalBlocker quiet(list);
    list->clear();
    for (QLabel *value : {ui->programLbl, ui->datumLbl, ui->authorLbl, ui->emailLbl, ui->webLbl})
        value->clear();
    Files.ScanFolder(DataDir() + QStringLiteral("lang/"));
    // Sorted by language name; files of one name stay in file-name order.
    QList<const TTranslationFileInfo *> offered;
    for (int i = 0; i < Files.Count(); ++i)
        if (Files.Item(i)->HasLanguage())
            offered.append(Files.Item(i));
    std::stable_sort(offered.begin(), offered.end(), [](const TTranslationFileInfo *a, const TTranslationFileInfo *b) {
        return QString::localeAwareCompare(a->LanguageName, b->LanguageName) < 0;
    });
    for (const TTranslationFileInfo *info : std::as_const(offered)) {
        auto *item = new QListWidgetItem(info->LanguageName);
        item->setData(FileRole, info->FileName);
        list->addItem(item);
    }
    list->setCurrentRow(-1);

    TProgramTranslator *translator = TProgramTranslator::Instance();
    if (translator->IsLoaded()) {
        // The loaded file itself; else (a file loaded from elsewhere) the
        // first item of its language name.
        const QString loaded = QFileInfo(translator->GetFileName()).absoluteFilePath();
        const QString name =
            translator->Translate(QStringLiteral("info"), QStringLiteral("languagename"), QStringLiteral("nil"));
        int match = -1;
        for (int row = 0; row < list->count() && match < 0; ++row)
            if (QFileInfo(list->item(row)->data(FileRole).toString()).absoluteFilePath() == loaded)
                match = row;
        for (int row = 0; row < list->count() && match < 0; ++row)
            if (list->item(row)->text().compare(name, Qt::CaseInsensitive) == 0)
                match = row;
        list->setCurrentRow(match);
        languagesLsbClick();
    }
    ui->applyBtn->setEnabled(false);
}

const TTranslationFileInfo *TjazykFrm::SelectedInfo()
{
    const QListWidgetItem *item = ui->languagesLsb->currentItem();
    if (!item || !item->isSelected())
        return nullptr;
    const QString file = item->data(FileRole).toString();
    for (int i = 0; i < Files.Count(); ++i)
        if (Files.Item(i)->FileName == file)
            return Files.Item(i);
    return nullptr;
}

void TjazykFrm::languagesLsbClick()
{
    const TTranslationFileInfo *info = SelectedInfo();
    if (!info)
        return;
    ui->programLbl->setText(info->Program);
    ui->datumLbl->setText(info->FileDate);
    ui->authorLbl->setText(info->AuthorName);
    ui->emailLbl->setText(info->AuthorEmail);
    ui->webLbl->setText(info->AuthorUrl);
    ui->applyBtn->setEnabled(true);
}

bool TjazykFrm::applyBtnClick()
{
    const TTranslationFileInfo *info = SelectedInfo();
    if (!info)
        return false;
    const QString file = info->FileName;
    KMainProgram *program = KMainProgram::Instance();
    if (!QFileInfo(file).isFile()) {
        QString text = msgFileNotFound;
        text.replace(QStringLiteral("#1"), MakeRelativePath(file));
        program->ShowMessage(program->msgError, text);
        FillList();
        return false;
    }
    if (!TProgramTranslator::Instance()->LoadFile(file)) {
        program->ReportFileTooLarge(file);
        return false;
    }
    KProgramSettings::Instance()->LanguageFile = MakeRelativePath(file);
    program->LoadTexts();
    ui->applyBtn->setEnabled(false);
    return true;
}

void TjazykFrm::okBtnClick()
{
    // A choice that could not be applied keeps the window open.
    if (ui->applyBtn->isEnabled() && !applyBtnClick())
        return;
    ui->applyBtn->setEnabled(false);
    close();
}
