#include "tools/fUpravyVyrazu.h"
#include "ui_fUpravyVyrazu.h"

#include "core/uCommon.h"
#include "platform/Classes.h"
#include "shell/uAccessibility.h"

#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>

namespace {
QPointer<TUpravyVyrazuFrm> TheDialog;
} // namespace

TUpravyVyrazuFrm *GetUpravyVyrazuFrm(QWidget *owner)
{
    if (!TheDialog)
        TheDialog = new TUpravyVyrazuFrm(owner);
    return TheDialog;
}

bool UpravyVyrazuFrmExists()
{
    return !TheDialog.isNull();
}

TUpravyVyrazuFrm::TUpravyVyrazuFrm(QWidget *parent) : QDialog(parent, Qt::Tool), ui(new Ui::TUpravyVyrazuFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    TValueListEditor *grid = ui->premenneVle;
    grid->SetTitles(QStringLiteral("Name"), QStringLiteral("Description"));

    m_texts
        .Field(&NoExpressionNameErr, "ExpressionBrowser", "NoExpressionNameErr",
               QStringLiteral("You must enter the expression name."))
        .Field(&NoExpressionErr, "ExpressionBrowser", "NoExpressionErr",
               QStringLiteral("You must enter the expression."))
        .Caption(this, "ExpressionBrowser", "AddModifyExpression")
        .Text(ui->nazovLbl, "ExpressionBrowser", "ExpressionName")
        .Text(ui->vyrazLbl, "ExpressionBrowser", "Expression")
        .Text(ui->popisLbl, "ExpressionBrowser", "Description")
        .Text(ui->premenneLbl, "ExpressionBrowser", "Variables")
        .Column(grid, 0, "Common", "Name")
        // Its default is the caption that the variables' label has then.
        .Entry(
            "ExpressionBrowser", "VariableDescritpion", [this] { return ui->premenneLbl->text(); },
            [grid](const QString &s) { grid->setHorizontalHeaderItem(1, new QTableWidgetItem(s)); })
        .Text(ui->okBtn, "Common", "Ok")
        .Text(ui->zrusitBtn, "Common", "Cancel");

    connect(ui->nazovCmb, &QComboBox::editTextChanged, this, [this] { nazovCmbChange(); });
    connect(ui->vyrazEdt, &QLineEdit::textChanged, this, [this] { nazovCmbChange(); });
    connect(ui->PopisMmo, &QPlainTextEdit::textChanged, this, [this] { nazovCmbChange(); });
    connect(grid, &QTableWidget::itemChanged, this, [this] { nazovCmbChange(); });
    connect(ui->okBtn, &QPushButton::clicked, this, [this] { okBtnClick(); });
    connect(ui->zrusitBtn, &QPushButton::clicked, this, [this] { reject(); });
    ui->vyrazEdt->installEventFilter(this);

    TranslateTexts();
}

TUpravyVyrazuFrm::~TUpravyVyrazuFrm()
{
    delete ui;
}

void TUpravyVyrazuFrm::TranslateTexts()
{
    m_texts.Translate();
}

void TUpravyVyrazuFrm::Clear()
{
    ui->nazovCmb->setEditText(QString());
    ui->vyrazEdt->clear();
    ui->PopisMmo->clear();
    ui->premenneVle->Clear();
}

void TUpravyVyrazuFrm::SetExpression(const QString &name, const QString &notation, const QStringList &description,
                                     const QStringList &variables)
{
    ui->nazovCmb->setEditText(name);
    ui->vyrazEdt->setText(notation);
    ui->PopisMmo->setPlainText(description.join(u'\n'));
    ui->premenneVle->SetStrings(variables);
}

QString TUpravyVyrazuFrm::Name() const
{
    return ui->nazovCmb->currentText();
}

QString TUpravyVyrazuFrm::Notation() const
{
    return ui->vyrazEdt->text();
}

QStringList TUpravyVyrazuFrm::DescriptionLines() const
{
    const QString text = ui->PopisMmo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

QStringList TUpravyVyrazuFrm::VariableLines() const
{
    ui->premenneVle->CommitEditor();
    return ui->premenneVle->Strings();
}

QStringList TUpravyVyrazuFrm::KnownNames() const
{
    QStringList names;
    for (int i = 0; i < ui->nazovCmb->count(); ++i)
        names << ui->nazovCmb->itemText(i);
    return names;
}

void TUpravyVyrazuFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ui->okBtn->setEnabled(false);
    ui->nazovCmb->setFocus();
}

bool TUpravyVyrazuFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->vyrazEdt && event->type() == QEvent::FocusOut)
        AddMissingVariables();
    return QDialog::eventFilter(watched, event);
}

void TUpravyVyrazuFrm::nazovCmbChange()
{
    ui->okBtn->setEnabled(true);
}

void TUpravyVyrazuFrm::AddMissingVariables()
{
    QString text = ui->vyrazEdt->text();
    const qsizetype eq = text.indexOf(u'=');
    if (eq >= 0)
        text.remove(0, eq + 1);
    TStringList names;
    CollectVariables(text, names, QString());
    TValueListEditor *grid = ui->premenneVle;
    for (const QString &found : names.Lines()) {
        const QString name = found.toLower();
        bool known = false;
        for (int row = 0; row < grid->rowCount() && !known; ++row)
            known = grid->Key(row).trimmed().compare(name, Qt::CaseInsensitive) == 0;
        if (!known)
            grid->AppendRow(name, QString());
    }
}

void TUpravyVyrazuFrm::okBtnClick()
{
    if (Name().trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), NoExpressionNameErr, QMessageBox::Ok);
        ui->nazovCmb->setFocus();
        return;
    }
    if (Notation().trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), NoExpressionErr, QMessageBox::Ok);
        ui->vyrazEdt->setFocus();
        return;
    }
    // Enter in the expression field confirms without leaving it.
    AddMissingVariables();
    if (ui->nazovCmb->findText(Name(), Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        ui->nazovCmb->addItem(Name());
    accept();
}
