#include "tools/fUpravyKniznice.h"
#include "ui_fUpravyKniznice.h"

#include "shell/uDisk.h"
#include "shell/uMainProgram.h"
#include "tools/model/uPrehliadacVyrazov.h"

#include <QDate>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>

namespace {

QPointer<TUpravyKnizniceFrm> TheDialog;

const QString DefaultFilter = QStringLiteral("Tandorel expression library (xml)");

} // namespace

TUpravyKnizniceFrm *GetUpravyKnizniceFrm(QWidget *owner)
{
    if (!TheDialog)
        TheDialog = new TUpravyKnizniceFrm(owner);
    return TheDialog;
}

bool UpravyKnizniceFrmExists()
{
    return !TheDialog.isNull();
}

TUpravyKnizniceFrm::TUpravyKnizniceFrm(QWidget *parent)
    : QDialog(parent, Qt::Tool), SaveDialog1(new QFileDialog(this)), ui(new Ui::TUpravyKnizniceFrm)
{
    ui->setupUi(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setDefaultSuffix(QStringLiteral("xml"));
    // The platform's own dialog would run outside the program's event loop.
    SaveDialog1->setOption(QFileDialog::DontUseNativeDialog);

    m_texts.Field(&LibraryPath, "Addresses", "LibraryPath", QStringLiteral("lib/"))
        .Field(&NoLibraryNameErr, "ExpressionBrowser", "NoLibraryNameErr",
               QStringLiteral("You must enter a valid library name."))
        .Field(&NoFileNameErr, "ExpressionBrowser", "NoFileNameErr",
               QStringLiteral("You must enter a valid file name."))
        .Field(&FileNameUsedErr, "ExpressionBrowser", "FileNameUsedErr",
               QStringLiteral("Another loaded library already uses this file."))
        .Field(&NewLibrary, "ExpressionBrowser", "NewLibrary", QStringLiteral("New library"))
        .Field(&NewFileName, "ExpressionBrowser", "NewFileName", QStringLiteral("new_library.xml"))
        .Field(&WrongLibraryDirectory, "ExpressionBrowser", "WrongLibraryDirectory",
               QStringLiteral("The library file should be saved in the library directory. Othervise it will not "
                              "be loaded at next start. The library directory is:"))
        .Caption(this, "ExpressionBrowser", "AddModifyLibrary")
        .Text(ui->nazovLbl, "ExpressionBrowser", "ExpressionName")
        .Text(ui->menoSuboruLbl, "ExpressionBrowser", "FileName")
        .Text(ui->verziaLbl, "ExpressionBrowser", "FileVersion")
        .Text(ui->popisLbl, "ExpressionBrowser", "Description")
        .Text(ui->autorLbl, "Common", "Author")
        .Text(ui->autorWebLbl, "Common", "Web")
        .Text(ui->autorEmailLbl, "Common", "Email")
        .Text(ui->okBtn, "Common", "Ok")
        .Text(ui->zrusitBtn, "Common", "Cancel")
        // The filter's translation starts from its English text.
        .Entry(
            "ExpressionBrowser", "TandorelLibrary", [] { return DefaultFilter; },
            [this](const QString &s) { SaveDialog1->setNameFilter(s + QStringLiteral(" (*.xml)")); });

    for (QLineEdit *edit :
         {ui->nazovEdt, ui->menoSuboruEdt, ui->verziaEdt, ui->autorEdt, ui->autorWebEdt, ui->autorMailEdt})
        connect(edit, &QLineEdit::textChanged, this, [this] { nazovEdtChange(); });
    connect(ui->popisMmo, &QPlainTextEdit::textChanged, this, [this] { nazovEdtChange(); });
    connect(ui->okBtn, &QPushButton::clicked, this, [this] { okBtnClick(); });
    connect(ui->zrusitBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(ui->vyberSuborBtn, &QPushButton::clicked, this, [this] { vyberSuborBtnClick(); });

    TranslateTexts();
}

TUpravyKnizniceFrm::~TUpravyKnizniceFrm()
{
    delete ui;
}

void TUpravyKnizniceFrm::TranslateTexts()
{
    m_texts.Translate();
    SaveDialog1->selectFile(NewFileName);
}

QString TUpravyKnizniceFrm::LibraryFolder() const
{
    return LibraryFolderIn(UserDataDir(), LibraryPath);
}

void TUpravyKnizniceFrm::Clear()
{
    ui->nazovEdt->setText(NewLibrary);
    ui->menoSuboruEdt->clear();
    ui->verziaEdt->setText(QStringLiteral("0.0.0"));
    ui->autorEdt->clear();
    ui->autorWebEdt->clear();
    ui->autorMailEdt->clear();
    ui->popisMmo->clear();
    // A new library may be taken as it is.
    ui->okBtn->setEnabled(true);
}

void TUpravyKnizniceFrm::SetLibraryInfo(const TLibraryInfo &info)
{
    ui->nazovEdt->setText(info.Name);
    ui->menoSuboruEdt->setText(info.FileName);
    ui->verziaEdt->setText(info.Version);
    ui->autorEdt->setText(info.Author);
    ui->autorWebEdt->setText(info.AuthorWeb);
    ui->autorMailEdt->setText(info.AuthorEmail);
    QStringList lines;
    SplitLines(info.Description, lines, u'|');
    ui->popisMmo->setPlainText(lines.join(u'\n'));
    ui->okBtn->setEnabled(false); // nothing changed yet
}

TLibraryInfo TUpravyKnizniceFrm::GetLibraryInfo() const
{
    TLibraryInfo info;
    info.Name = ui->nazovEdt->text();
    info.FileName = ui->menoSuboruEdt->text();
    info.Version = ui->verziaEdt->text();
    info.Date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    info.Author = ui->autorEdt->text();
    info.AuthorWeb = ui->autorWebEdt->text();
    info.AuthorEmail = ui->autorMailEdt->text();
    const QString text = ui->popisMmo->toPlainText();
    info.Description = text.isEmpty() ? QString() : JoinLines(text.split(u'\n'), u'|');
    return info;
}

void TUpravyKnizniceFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ui->nazovEdt->setFocus();
}

void TUpravyKnizniceFrm::nazovEdtChange()
{
    ui->okBtn->setEnabled(true);
}

void TUpravyKnizniceFrm::okBtnClick()
{
    auto refuse = [this](const QString &text, QWidget *focus) {
        QMessageBox::warning(this, windowTitle(), text, QMessageBox::Ok);
        focus->setFocus();
    };
    if (ui->nazovEdt->text().trimmed().isEmpty())
        return refuse(NoLibraryNameErr, ui->nazovEdt);
    if (ui->menoSuboruEdt->text().trimmed().isEmpty())
        return refuse(NoFileNameErr, ui->menoSuboruEdt);
    // The file that will be written, shown as it is taken.
    const QString fileName = LibraryFileName(LibraryFolder(), ui->menoSuboruEdt->text());
    if (fileName != ui->menoSuboruEdt->text())
        ui->menoSuboruEdt->setText(fileName);
    if (FileNameInUse && FileNameInUse(fileName))
        return refuse(FileNameUsedErr, ui->menoSuboruEdt);
    accept();
}

void TUpravyKnizniceFrm::vyberSuborBtnClick()
{
    const QString folder = LibraryFolder();
    if (!ui->menoSuboruEdt->text().isEmpty()) {
        const QFileInfo current(LibraryFileName(folder, ui->menoSuboruEdt->text()));
        SaveDialog1->setDirectory(current.absolutePath());
        SaveDialog1->selectFile(current.fileName());
    } else {
        SaveDialog1->setDirectory(folder);
        SaveDialog1->selectFile(NewFileName);
    }
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return;
    const QString chosen = SaveDialog1->selectedFiles().constFirst();
    ui->menoSuboruEdt->setText(chosen);
    if (CanonicalPath(QFileInfo(chosen).absolutePath()) != CanonicalPath(folder))
        KMainProgram::Instance()->ShowMessage(windowTitle(), WrongLibraryDirectory + QStringLiteral("\n\n") + folder);
}
