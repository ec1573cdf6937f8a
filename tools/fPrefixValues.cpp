#include "tools/fPrefixValues.h"
#include "ui_fPrefixValues.h"

#include "core/uProgramState.h"
#include "platform/SysUtils.h"
#include "shell/uMainProgram.h"
#include "tools/uToolControls.h"

#include <QHeaderView>

namespace {

bool IsDigit(QChar C) { return C >= u'0' && C <= u'9'; }

// Whether the text before the caret ends in a number that a power of ten
// can follow: a digit, or the decimal separator right after one.
bool NumberBeforeCaret(const QString &Before)
{
    const qsizetype n = Before.size();
    if (n >= 1 && IsDigit(Before.at(n - 1)))
        return true;
    return n >= 2 && Before.at(n - 1) == DecimalSeparator && IsDigit(Before.at(n - 2));
}

} // namespace

TprefixValuesFrm::TprefixValuesFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TprefixValuesFrm)
{
    ui->setupUi(this);
    setWindowFlag(Qt::Tool);
    TValueListEditor *grid = ui->prefixValuesVle;
    grid->KeysEditable = false;
    grid->ValuesEditable = false;
    grid->CanAddRows = false;
    grid->CanDeleteRows = false;
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->SetTitles(QStringLiteral("Prefix"), QStringLiteral("Value"));
    UseCompactRows(grid);
    grid->SetStrings({
        QStringLiteral("Yotta (Y)=e24"), QStringLiteral("Zetta (Z)=e21"), QStringLiteral("Exa (E)=e18"),
        QStringLiteral("Peta (P)=e15"), QStringLiteral("Tera (T)=e12"), QStringLiteral("Giga (G)=e9"),
        QStringLiteral("Mega (M)=e6"), QStringLiteral("Kilo (k)=e3"), QStringLiteral("Milli (m)=e-3"),
        QStringLiteral("Micro (µ)=e-6"), QStringLiteral("Nano (n)=e-9"), QStringLiteral("Pico (p)=e-12"),
        QStringLiteral("Femto (f)=e-15"), QStringLiteral("Atto (a)=e-18"), QStringLiteral("Zepto (z)=e-21"),
        QStringLiteral("Yocto (y)=e-24"),
    });
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setColumnWidth(0, 130);
    grid->OnEnter = [this] { UsePrefix(); };
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this] { UsePrefix(); });
    connect(ui->useBtn, &QPushButton::clicked, this, [this] { UsePrefix(); });
    connect(ui->closeBtn, &QPushButton::clicked, this, [this] { close(); });

    Texts.Caption(this, "PrefixValueForm", "Caption")
        .Column(grid, 0, "PrefixValueForm", "Prefix")
        .Column(grid, 1, "Common", "Value")
        .Text(ui->useBtn, "Common", "Use")
        .Text(ui->closeBtn, "Common", "Close");
    UpdateUseEnabled();
}

TprefixValuesFrm::~TprefixValuesFrm() { delete ui; }

TValueListEditor *TprefixValuesFrm::prefixValuesVle() const { return ui->prefixValuesVle; }
QPushButton *TprefixValuesFrm::useBtn() const { return ui->useBtn; }

void TprefixValuesFrm::TranslateTexts()
{
    Texts.Translate();
}

void TprefixValuesFrm::UpdateUseEnabled()
{
    ui->useBtn->setEnabled(KProgramState::GetInstance(0)->NumeralSystem == 2);
}

void TprefixValuesFrm::UsePrefix()
{
    // The numeral system may have changed while this window kept the focus.
    UpdateUseEnabled();
    const QList<QTableWidgetItem *> selected = ui->prefixValuesVle->selectedItems();
    if (selected.isEmpty() || !ui->useBtn->isEnabled())
        return;
    const int row = selected.first()->row();
    KMainProgram *program = KMainProgram::Instance();
    const QString power = ui->prefixValuesVle->Value(row);
    program->InsertIntoInput(NumberBeforeCaret(program->GetInputBeforeCaret()) ? power : u'1' + power);
}

void TprefixValuesFrm::showEvent(QShowEvent *event)
{
    UpdateUseEnabled();
    KTandorelForm::showEvent(event);
}

void TprefixValuesFrm::changeEvent(QEvent *event)
{
    // The numeral system is switched in the main window; coming back here
    // shows whether Use applies.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        UpdateUseEnabled();
    KTandorelForm::changeEvent(event);
}
