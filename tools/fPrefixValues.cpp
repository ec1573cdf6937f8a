#include "tools/fPrefixValues.h"
#include "ui_fPrefixValues.h"

#include "core/uProgramState.h"
#include "platform/SysUtils.h"
#include "shell/uAccessibility.h"
#include "shell/uMainProgram.h"
#include "tools/uToolControls.h"

#include <QHeaderView>

#include <algorithm>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsMantissaChar(QChar c)
{
    return IsDigit(c) || c == DecimalSeparator;
}

// What the power of ten needs in front of it at the caret: nothing after the
// digits of a number ("25" gives 25e3), a multiplication by 1 after a number
// that already has its power of ten ("1e6" gives 1e6*1e-6, not a second
// exponent), and a 1 where no number stands ("" or "3*" gives 1e3).
QString PowerLead(const QString &before)
{
    qsizetype start = before.size();
    while (start > 0 && IsMantissaChar(before.at(start - 1)))
        --start;
    const QString run = before.mid(start);
    if (!std::any_of(run.cbegin(), run.cend(), IsDigit))
        return QStringLiteral("1");
    qsizetype e = start;
    if (e > 0 && (before.at(e - 1) == u'-' || before.at(e - 1) == u'+'))
        --e;
    if (e >= 2 && before.at(e - 1).toLower() == u'e' && IsMantissaChar(before.at(e - 2)))
        return QStringLiteral("*1");
    return QString();
}

} // namespace

TprefixValuesFrm::TprefixValuesFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TprefixValuesFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
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
        QStringLiteral("Yotta (Y)=e24"),
        QStringLiteral("Zetta (Z)=e21"),
        QStringLiteral("Exa (E)=e18"),
        QStringLiteral("Peta (P)=e15"),
        QStringLiteral("Tera (T)=e12"),
        QStringLiteral("Giga (G)=e9"),
        QStringLiteral("Mega (M)=e6"),
        QStringLiteral("Kilo (k)=e3"),
        QStringLiteral("Milli (m)=e-3"),
        QStringLiteral("Micro (µ)=e-6"),
        QStringLiteral("Nano (n)=e-9"),
        QStringLiteral("Pico (p)=e-12"),
        QStringLiteral("Femto (f)=e-15"),
        QStringLiteral("Atto (a)=e-18"),
        QStringLiteral("Zepto (z)=e-21"),
        QStringLiteral("Yocto (y)=e-24"),
    });
    // The columns share the grid's width, so that it has nothing to scroll
    // sideways: a click on a value must not shift the names out of sight.
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    grid->OnEnter = [this] { UsePrefix(); };
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this] { UsePrefix(); });
    connect(ui->useBtn, &QPushButton::clicked, this, [this] { UsePrefix(); });
    connect(ui->closeBtn, &QPushButton::clicked, this, [this] { close(); });

    m_texts.Caption(this, "PrefixValueForm", "Caption")
        .Column(grid, 0, "PrefixValueForm", "Prefix")
        .Column(grid, 1, "Common", "Value")
        .Text(ui->useBtn, "Common", "Use")
        .Text(ui->closeBtn, "Common", "Close");
    UpdateUseEnabled();
}

TprefixValuesFrm::~TprefixValuesFrm()
{
    delete ui;
}

TValueListEditor *TprefixValuesFrm::prefixValuesVle() const
{
    return ui->prefixValuesVle;
}
QPushButton *TprefixValuesFrm::useBtn() const
{
    return ui->useBtn;
}

void TprefixValuesFrm::TranslateTexts()
{
    m_texts.Translate();
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
    program->InsertIntoInput(PowerLead(program->GetInputBeforeCaret()) + power);
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
