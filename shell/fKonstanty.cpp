#include "shell/fKonstanty.h"
#include "ui_fKonstanty.h"

#include "platform/Classes.h"
#include "platform/SysUtils.h"
#include "shell/fUpravyKonstant.h"
#include "shell/uAccessibility.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include <cmath>

bool ConstantsChanged = false;

namespace {

enum Column {
    ColId = 0,
    ColDescription = 1,
    ColValue = 2,
    ColUnit = 3
};

const QString Pattern = QStringLiteral("0.###################");
constexpr Extended Pi = 3.141592653589793238462643383279502884L;

QString FirstReplaced(QString text, const QString &with)
{
    const int at = int(text.indexOf(QStringLiteral("#1")));
    if (at >= 0)
        text.replace(at, 2, with);
    return text;
}

bool AskYesNo(QWidget *parent, const QString &caption, const QString &text)
{
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
           == QMessageBox::Yes;
}

} // namespace

TkonstantyFrm::TkonstantyFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TkonstantyFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    m_texts.Caption(this, "ConstantForm", "Caption")
        .Column(ui->ListView1, ColId, "ConstantForm", "ID")
        .Column(ui->ListView1, ColDescription, "ConstantForm", "Description")
        .Column(ui->ListView1, ColValue, "Common", "Value")
        .Column(ui->ListView1, ColUnit, "ConstantForm", "Unit")
        .Text(ui->BtnPouzit, "Common", "Use")
        .Text(ui->BtnNova, "ConstantForm", "AddModify")
        .Text(ui->BtnOdstranit, "Common", "Delete")
        .Text(ui->BtnZavriet, "Common", "Close")
        .Field(&msgDeletingConstant, "ConstantForm", "DeletingConstant", QStringLiteral("Deleting a constant"))
        .Field(&msgReallyDelete, "ConstantForm", "ReallyDelete",
               QStringLiteral("Do you really want to delete constant #1 ?"))
        .Field(&msgRewritingConstant, "ConstantForm", "RewritingConstant", QStringLiteral("Rewriting a constant"))
        .Field(&msgReallyRewrite, "ConstantForm", "ReallyRewrite",
               QStringLiteral("Do you really want to rewrite constant #1 ?"))
        .Field(&msgLudolphsNumber, "ConstantForm", "LudolphsNumber", QStringLiteral("Ludolph's number"))
        .Field(&msgEulerNumber, "ConstantForm", "EulerNumber", QStringLiteral("Euler's number"))
        .Field(&ConstantFile, "Addresses", "ConstantFile", QStringLiteral("const.dat"));
    connect(ui->BtnPouzit, &QPushButton::clicked, this, [this] { BtnPouzitClick(); });
    connect(ui->ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { BtnPouzitClick(); });
    connect(ui->BtnNova, &QPushButton::clicked, this, [this] { BtnNovaClick(); });
    connect(ui->BtnOdstranit, &QPushButton::clicked, this, [this] { BtnOdstranitClick(); });
    connect(ui->BtnZavriet, &QPushButton::clicked, this, [this] { close(); });
}

TkonstantyFrm::~TkonstantyFrm()
{
    delete ui;
}

QTreeWidget *TkonstantyFrm::ListView1() const
{
    return ui->ListView1;
}

int TkonstantyFrm::Count() const
{
    return ui->ListView1->topLevelItemCount();
}

QString TkonstantyFrm::Identifier(int index) const
{
    const QTreeWidgetItem *item = ui->ListView1->topLevelItem(index);
    return item ? item->text(ColId) : QString();
}

QString TkonstantyFrm::Value(int index) const
{
    const QTreeWidgetItem *item = ui->ListView1->topLevelItem(index);
    return item ? item->text(ColValue) : QString();
}

void TkonstantyFrm::AddItem(const QString &id, const QString &description, const QString &value, const QString &unit)
{
    auto *item = new QTreeWidgetItem(ui->ListView1);
    item->setText(ColId, id);
    item->setText(ColDescription, description);
    item->setText(ColValue, value);
    item->setText(ColUnit, unit);
}

TConstantLine ReadConstantLine(const QString &line)
{
    const QStringList fields = line.split(u'#');
    TConstantLine constant{fields.value(ColId), fields.value(ColDescription), fields.value(ColValue),
                           fields.value(ColUnit)};
    NormalizeDecimalSeparators(constant.Value);
    return constant;
}

QString ConstantLineText(const TConstantLine &constant)
{
    return constant.Id + u'#' + constant.Description + u'#' + constant.Value + u'#' + constant.Unit;
}

void TkonstantyFrm::NacitajKonstanty()
{
    ui->ListView1->clear();
    m_fileRefused = false;
    const QString fileName = FileName();
    if (!fileName.isEmpty() && QFileInfo::exists(fileName)) {
        TStringList lines;
        try {
            lines.LoadFromFile(fileName);
        } catch (const EFileTooLarge &) {
            // Never written over by a list that lacks what it holds.
            m_fileRefused = true;
            KMainProgram::Instance()->ReportFileTooLarge(fileName);
        }
        for (const QString &line : lines.Lines()) {
            const TConstantLine constant = ReadConstantLine(line);
            AddItem(constant.Id, constant.Description, constant.Value, constant.Unit);
        }
    }
    auto has = [this](const QString &id) {
        for (int i = 0; i < Count(); ++i)
            if (Identifier(i) == id)
                return true;
        return false;
    };
    if (!has(QStringLiteral("$pi")))
        AddItem(QStringLiteral("$pi"), msgLudolphsNumber, FormatFloat(Pattern, Pi), QString());
    if (!has(QStringLiteral("$e")))
        AddItem(QStringLiteral("$e"), msgEulerNumber, FormatFloat(Pattern, std::exp(Extended(1))), QString());
    FitColumns();
}

void TkonstantyFrm::UlozKonstanty()
{
    if (Count() == 0 || !ConstantsChanged || m_fileRefused || FileName().isEmpty())
        return;
    TStringList lines;
    for (int i = 0; i < Count(); ++i) {
        const QTreeWidgetItem *item = ui->ListView1->topLevelItem(i);
        lines.Add(ConstantLineText(
            {item->text(ColId), item->text(ColDescription), item->text(ColValue), item->text(ColUnit)}));
    }
    lines.SaveToFile(FileName());
}

QString TkonstantyFrm::FileName() const
{
    // The language file names it; it may not lead out of the user's folder.
    return UserDataDirFile(ConstantFile, QStringLiteral("const.dat"));
}

void TkonstantyFrm::TranslateTexts()
{
    m_texts.Translate();
    if (!TProgramTranslator::Instance()->IsLoaded())
        return;
    NacitajKonstanty();
    if (TuprKonstFrm::Exists())
        TuprKonstFrm::Instance()->TranslateTexts();
}

void TkonstantyFrm::BtnPouzitClick()
{
    const QTreeWidgetItem *item = ui->ListView1->currentItem();
    if (!item || !item->isSelected())
        return;
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm())
        main->InsertText(item->text(ColId));
}

void TkonstantyFrm::BtnNovaClick()
{
    TuprKonstFrm *dialog = TuprKonstFrm::Instance();
    const QTreeWidgetItem *selected = ui->ListView1->currentItem();
    if (selected && selected->isSelected()) {
        dialog->Edit1()->setText(selected->text(ColId));
        dialog->Edit2()->setText(selected->text(ColValue));
        dialog->Edit3()->setText(selected->text(ColDescription));
        dialog->Edit4()->setText(selected->text(ColUnit));
    }
    if (dialog->exec() != QDialog::Accepted)
        return;

    const QString id = dialog->Edit1()->text();
    QTreeWidgetItem *match = nullptr;
    for (int i = 0; i < Count(); ++i)
        if (Identifier(i) == id)
            match = ui->ListView1->topLevelItem(i);
    if (match) {
        if (AskYesNo(this, msgRewritingConstant, FirstReplaced(msgReallyRewrite, id))) {
            match->setText(ColId, id);
            match->setText(ColDescription, dialog->Edit3()->text());
            match->setText(ColValue, dialog->Edit2()->text());
            match->setText(ColUnit, dialog->Edit4()->text());
        }
    } else {
        AddItem(id, dialog->Edit3()->text(), dialog->Edit2()->text(), dialog->Edit4()->text());
    }
    ConstantsChanged = true;
    FitColumns();
}

void TkonstantyFrm::FitColumns()
{
    // Every column but the last (which takes the rest) as wide as its
    // widest text, so that no ID, name or value is cut short.
    for (int c = 0; c + 1 < ui->ListView1->columnCount(); ++c)
        ui->ListView1->resizeColumnToContents(c);
}

void TkonstantyFrm::BtnOdstranitClick()
{
    QTreeWidgetItem *item = ui->ListView1->currentItem();
    if (!item || !item->isSelected())
        return;
    if (AskYesNo(this, msgDeletingConstant, FirstReplaced(msgReallyDelete, item->text(ColId)))) {
        delete item;
        ConstantsChanged = true;
    }
}

void TkonstantyFrm::closeEvent(QCloseEvent *event)
{
    UlozKonstanty();
    KTandorelForm::closeEvent(event);
}

void TkonstantyFrm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        raise();
    KTandorelForm::changeEvent(event);
}
