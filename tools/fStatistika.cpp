#include "tools/fStatistika.h"
#include "ui_fStatistika.h"

#include "core/uResultFormater.h"
#include "platform/SysUtils.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "tools/uToolControls.h"

TstatistikaFrm::TstatistikaFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TstatistikaFrm)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm()) {
        SetMainForm(main);
        PlaceBesideMainForm(DockCentred);
    }
    TValueListEditor *grid = ui->hodnotyVle;
    grid->SetTitles(QStringLiteral("x"), QStringLiteral("y"));
    grid->MapCalculatorKeys = true;
    grid->PlusIsDigit = true;
    grid->OnEnter = [this] { vypocetBtnClick(); };
    UseCompactRows(grid);
    grid->SetStrings({QStringLiteral("=")});

    for (QLineEdit *edit : ui->statistikaGpb->findChildren<QLineEdit *>())
        HandleEditKeys(edit, TEditTyping::Any);

    connect(ui->vypocetBtn, &QPushButton::clicked, this, [this] { vypocetBtnClick(); });
    connect(ui->novyBtn, &QPushButton::clicked, this, [this] { novyBtnClick(); });
    connect(ui->zmazatBtn, &QPushButton::clicked, this, [this] { zmazatBtnClick(); });
    connect(ui->zmazatVsetkoBtn, &QPushButton::clicked, this, [this] {
        // The empty row left is ready for the first value, as after Add.
        ui->hodnotyVle->Clear();
        ui->hodnotyVle->setFocus();
        ui->hodnotyVle->setCurrentCell(0, 0);
    });

    m_texts.Text(ui->vypocetBtn, "Common", "Calculate")
        .Caption(this, "Statistics", "Caption")
        .Text(ui->Label1, "Statistics", "Count")
        .Text(ui->Label2, "Statistics", "Sum")
        .Text(ui->Label4, "Statistics", "Product")
        .Text(ui->Label5, "Statistics", "ArithmeticMean")
        .Text(ui->Label7, "Statistics", "ExpectedValue")
        .Text(ui->Label6, "Statistics", "WeightedMean")
        .Text(ui->Label8, "Statistics", "Dispersion")
        .Text(ui->Label9, "Statistics", "StandardDeviation")
        .Text(ui->Label21, "Statistics", "Median")
        .Text(ui->medianNoteLbl, "Statistics", "MedianIgnoresWeights")
        .Text(ui->novyBtn, "Common", "Add")
        .Text(ui->zmazatBtn, "Common", "Remove")
        .Text(ui->zmazatVsetkoBtn, "Common", "RemoveAll")
        .Field(&NoValues, "Statistics", "NoValues", QStringLiteral("Enter at least one value."))
        .Field(&NegativeWeight, "Statistics", "NegativeWeight", QStringLiteral("A weight must not be negative."))
        .Field(&ZeroTotalWeight, "Statistics", "ZeroTotalWeight", QStringLiteral("The weights must not add up to 0."))
        .Field(&ProductOutOfRange, "Statistics", "ProductOutOfRange", QStringLiteral("out of range"));
}

TstatistikaFrm::~TstatistikaFrm()
{
    delete ui;
}

TValueListEditor *TstatistikaFrm::hodnotyVle() const
{
    return ui->hodnotyVle;
}

QLineEdit *TstatistikaFrm::ResultEdit(const char *name) const
{
    return ui->statistikaGpb->findChild<QLineEdit *>(QLatin1String(name));
}

void TstatistikaFrm::TranslateTexts()
{
    m_texts.Translate();
    if (TProgramTranslator::Instance()->IsLoaded())
        ui->statistikaGpb->setTitle(windowTitle());
    if (m_productOutOfRangeShown)
        ui->sucinEdt->setText(ProductOutOfRange);
}

void TstatistikaFrm::FailOnCell(int row, int column, const QString &message)
{
    TValueListEditor *grid = ui->hodnotyVle;
    if (row >= 0)
        grid->setCurrentCell(row, column);
    KMainProgram *program = KMainProgram::Instance();
    if (message.isEmpty())
        program->ShowInputError();
    else
        program->ShowMessage(program->InputError, message);
    grid->setFocus();
}

bool TstatistikaFrm::ReadValues(std::vector<TWeightedValue> &values)
{
    TValueListEditor *grid = ui->hodnotyVle;
    grid->CommitEditor();
    values.clear();
    for (int row = 0; row < grid->rowCount(); ++row) {
        TWeightedValue v;
        if (!TryStrToDouble(grid->Key(row), v.X)) {
            FailOnCell(row, 0, QString());
            return false;
        }
        // An empty weight is 1, and the table shows it.
        if (grid->Value(row).isEmpty())
            grid->SetValue(row, QStringLiteral("1"));
        if (!TryStrToDouble(grid->Value(row), v.W)) {
            FailOnCell(row, 1, QString());
            return false;
        }
        values.push_back(v);
    }
    return true;
}

void TstatistikaFrm::vypocetBtnClick()
{
    std::vector<TWeightedValue> values;
    if (!ReadValues(values))
        return;
    TStatisticsResult r;
    int row = -1;
    switch (ComputeStatistics(values, r, row)) {
    case TStatisticsError::NoValues:
        FailOnCell(-1, 0, NoValues);
        return;
    case TStatisticsError::NegativeWeight:
        FailOnCell(row, 1, NegativeWeight);
        return;
    case TStatisticsError::ZeroTotalWeight:
        FailOnCell(-1, 1, ZeroTotalWeight);
        return;
    case TStatisticsError::None:
        break;
    }
    const auto show = [](QLineEdit *edit, const QString &text) {
        edit->setText(text);
        edit->setCursorPosition(0);
    };
    show(ui->pocetEdt, IntToStr(r.Count));
    show(ui->sucetEdt, TResultFormater::FormatResult(r.Sum));
    show(ui->sucinEdt, r.ProductInRange ? TResultFormater::FormatResult(r.Product) : ProductOutOfRange);
    m_productOutOfRangeShown = !r.ProductInRange;
    show(ui->APriemerEdt, TResultFormater::FormatResult(r.Mean));
    show(ui->strednaHodnotaEdt, TResultFormater::FormatResult(r.ExpectedValue));
    show(ui->rozptylEdt, TResultFormater::FormatResult(r.Dispersion));
    show(ui->odchylkaEdt, TResultFormater::FormatResult(r.Deviation));
    show(ui->medianEdt, TResultFormater::FormatResult(r.Median));
}

void TstatistikaFrm::novyBtnClick()
{
    TValueListEditor *grid = ui->hodnotyVle;
    const int row = grid->AppendRow(QStringLiteral(" "), QStringLiteral("1"));
    grid->setCurrentCell(row, 0);
    grid->setFocus();
}

void TstatistikaFrm::zmazatBtnClick()
{
    TValueListEditor *grid = ui->hodnotyVle;
    if (grid->currentRow() >= 0)
        grid->removeRow(grid->currentRow());
    // The last row gone, one empty row stays to type into.
    if (grid->rowCount() == 0)
        grid->Clear();
    grid->setFocus();
}
