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

QString FirstReplaced(QString Text, const QString &With)
{
    const int at = int(Text.indexOf(QStringLiteral("#1")));
    if (at >= 0)
        Text.replace(at, 2, With);
    return Text;
}

bool AskYesNo(QWidget *parent, const QString &Caption, const QString &Text)
{
    return QMessageBox::question(parent, Caption, Text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
           == QMessageBox::Yes;
}

} // namespace

TkonstantyFrm::TkonstantyFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TkonstantyFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    Texts.Caption(this, "ConstantForm", "Caption")
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

QString TkonstantyFrm::Identifier(int Index) const
{
    const QTreeWidgetItem *item = ui->ListView1->topLevelItem(Index);
    return item ? item->text(ColId) : QString();
}

QString TkonstantyFrm::Value(int Index) const
{
    const QTreeWidgetItem *item = ui->ListView1->topLevelItem(Index);
    return item ? item->text(ColValue) : QString();
}

void TkonstantyFrm::AddItem(const QString &Id, const QString &Description, const QString &Value, const QString &Unit)
{
    auto *item = new QTreeWidgetItem(ui->ListView1);
    item->setText(ColId, Id);
    item->setText(ColDescription, Description);
    item->setText(ColValue, Value);
    item->setText(ColUnit, Unit);
}

TConstantLine ReadConstantLine(const QString &Line)
{
    const QStringList fields = Line.split(u'#');
    TConstantLine constant{fields.value(ColId), fields.value(ColDescription), fields.value(ColValue),
                           fields.value(ColUnit)};
    NormalizeDecimalSeparators(constant.Value);
    return constant;
}

QString ConstantLineText(const TConstantLine &Constant)
{
    return Constant.Id + u'#' + Constant.Description + u'#' + Constant.Value + u'#' + Constant.Unit;
}

void TkonstantyFrm::NacitajKonstanty()
{
    ui->ListView1->clear();
    FileRefused = false;
    const QString fileName = FileName();
    if (!fileName.isEmpty() && QFileInfo::exists(fileName)) {
        TStringList lines;
        try {
            lines.LoadFromFile(fileName);
        } catch (const EFileTooLarge &) {
            // Never written over by a list that lacks what it holds.
            FileRefused = true;
            KMainProgram::Instance()->ReportFileTooLarge(fileName);
        }
        for (const QString &line : lines.Lines()) {
            const TConstantLine constant = ReadConstantLine(line);
            AddItem(constant.Id, constant.Description, constant.Value, constant.Unit);
        }
    }
    auto has = [this](const QString &Id) {
        for (int i = 0; i < Count(); ++i)
            if (Identifier(i) == Id)
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
    if (Count() == 0 || !ConstantsChanged || FileRefused || FileName().isEmpty())
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
    Texts.Translate();
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
