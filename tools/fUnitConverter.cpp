#include "tools/fUnitConverter.h"
#include "ui_fUnitConverter.h"

#include "core/uResultFormater.h"
#include "platform/Classes.h"
#include "shell/uAccessibility.h"
#include "shell/uDisk.h"
#include "shell/uMainProgram.h"
#include "tools/model/uUnitConverter.h"
#include "tools/uToolControls.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>

#include <cmath>

namespace {

void PrepareUnitGrid(TValueListEditor *grid)
{
    grid->KeysEditable = false;
    grid->ValuesEditable = false;
    grid->CanAddRows = false;
    grid->CanDeleteRows = false;
    grid->KeepOneRow = false;
    grid->SetTitles(QString(), QString());
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A unit is chosen with the arrow keys; Tab goes on to the next field.
    grid->setTabKeyNavigation(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setWordWrap(false);
    UseCompactRows(grid);
    grid->Clear();
}

// Room the abbreviation column of Grid needs for its widest text, with the
// vertical scroll bar counted whether it is shown yet or not.
int AbbreviationRoom(const TValueListEditor *grid)
{
    const QStyle *style = grid->style();
    int widest = 0;
    for (int row = 0; row < grid->rowCount(); ++row)
        widest = qMax(widest, grid->fontMetrics().horizontalAdvance(grid->Value(row)));
    return widest + 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1)
           + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid) + 2 * grid->frameWidth();
}

} // namespace

TUnitConverterFrm::TUnitConverterFrm(QWidget *parent)
    : KTandorelForm(parent), Converter(new KUnitConverter), ui(new Ui::TUnitConverterFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    SetFixedTextColour(ui->droppedUnitsLbl, QColor(0xA0, 0, 0));
    PrepareUnitGrid(ui->baseUnitVle);
    PrepareUnitGrid(ui->targetUnitVle);
    HandleEditKeys(ui->baseValueEdt, TEditTyping::Number);
    HandleEditKeys(ui->targetValueEdt, TEditTyping::Any);
    // The chosen category stays marked while a unit grid has the focus.
    QPalette palette = ui->categoryLsb->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    ui->categoryLsb->setPalette(palette);
    ui->Splitter1->setStretchFactor(0, 0);
    ui->Splitter1->setStretchFactor(1, 1);
    ui->Splitter1->setSizes({150, width() - 150});
    // The name columns depend on both grids' widths, and the grids take
    // their sizes one after the other when the window first shows.
    ui->unitPnl->installEventFilter(this);
    ui->baseUnitVle->installEventFilter(this);
    ui->targetUnitVle->installEventFilter(this);

    m_texts.Caption(this, "UnitConverter", "Caption")
        .Text(ui->categoryLbl, "UnitConverter", "Category")
        .Text(ui->baseValueLbl, "UnitConverter", "BaseValue")
        .Text(ui->targetValueLbl, "UnitConverter", "TargetValue")
        .Text(ui->baseUnitLbl, "UnitConverter", "BaseUnit")
        .Text(ui->targetUnitLbl, "UnitConverter", "TargetUnit")
        .Field(&FileLoadErrCaption, "UnitConverter", "FileLoadErrCaption", QStringLiteral("Could not load units"))
        .Field(&FileLoadErr, "UnitConverter", "FileLoadErr",
               QStringLiteral("The unit file does not exist or has XML syntax errors:"))
        .Field(&UnitsLeftOut, "UnitConverter", "UnitsLeftOut",
               QStringLiteral("Left out, their factor is not a finite non-zero number:"))
        .Field(&UnitFile, "Addresses", "UnitFile", QStringLiteral("units/en/units.xml"));

    connect(ui->categoryLsb, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_filling || row < 0)
            return;
        SelectCategory(row);
        Recompute();
    });
    for (TValueListEditor *grid : {ui->baseUnitVle, ui->targetUnitVle})
        connect(grid, &QTableWidget::currentCellChanged, this, [this] { Recompute(); });
    connect(ui->baseValueEdt, &QLineEdit::textChanged, this, [this] { Recompute(); });
}

TUnitConverterFrm::~TUnitConverterFrm()
{
    delete ui;
    delete Converter;
}

QListWidget *TUnitConverterFrm::categoryLsb() const
{
    return ui->categoryLsb;
}
TValueListEditor *TUnitConverterFrm::baseUnitVle() const
{
    return ui->baseUnitVle;
}
TValueListEditor *TUnitConverterFrm::targetUnitVle() const
{
    return ui->targetUnitVle;
}
QLineEdit *TUnitConverterFrm::baseValueEdt() const
{
    return ui->baseValueEdt;
}
QLineEdit *TUnitConverterFrm::targetValueEdt() const
{
    return ui->targetValueEdt;
}
QLabel *TUnitConverterFrm::droppedUnitsLbl() const
{
    return ui->droppedUnitsLbl;
}

void TUnitConverterFrm::TranslateTexts()
{
    m_texts.Translate();
    // A language file written elsewhere may separate folders with "\".
    UnitFile.replace(u'\\', u'/');
    LoadUnits();
}

void TUnitConverterFrm::LoadUnits()
{
    m_filling = true;
    ui->baseUnitVle->Clear();
    ui->targetUnitVle->Clear();
    // The language file names it; it may not lead out of the program folder.
    const QString file = DataDirFile(UnitFile, QStringLiteral("units/en/units.xml"));
    const bool loaded = !file.isEmpty() && Converter->LoadFile(file);
    TStringList names;
    Converter->GetCategoryNames(names);
    ui->categoryLsb->clear();
    ui->categoryLsb->addItems(names.Lines());
    m_filling = false;

    QStringList dropped;
    for (const TDroppedUnit &unit : Converter->DroppedUnits)
        dropped << unit.Name + QStringLiteral(" (") + unit.Category + u')';
    ui->droppedUnitsLbl->setText(UnitsLeftOut + u' ' + dropped.join(QStringLiteral(", ")));
    ui->droppedUnitsLbl->setVisible(!dropped.isEmpty());

    if (loaded) {
        if (names.Count() > 0) {
            m_filling = true;
            ui->categoryLsb->setCurrentRow(0);
            m_filling = false;
            SelectCategory(0);
        }
        Recompute();
    } else {
        ui->targetValueEdt->clear();
        KMainProgram::Instance()->ShowMessage(FileLoadErrCaption, FileLoadErr + QStringLiteral("\n\n") + file);
    }
}

void TUnitConverterFrm::SelectCategory(int index)
{
    m_filling = true;
    Converter->SelectCategory(index);
    TStringList names;
    Converter->GetUnitNames(names);
    const int row = Converter->DefaultUnitIndex();
    for (TValueListEditor *grid : {ui->baseUnitVle, ui->targetUnitVle}) {
        grid->SetStrings(names.Lines());
        if (row < grid->rowCount())
            grid->setCurrentCell(row, 0);
    }
    unitPnlResize();
    m_filling = false;
}

void TUnitConverterFrm::Recompute()
{
    if (m_filling)
        return;
    Extended value = 0;
    const bool unitsShown =
        Converter->Current && ui->baseUnitVle->currentRow() >= 0 && ui->targetUnitVle->currentRow() >= 0;
    if (!unitsShown || !TryStrToFloat(ui->baseValueEdt->text(), value))
        ui->targetValueEdt->clear();
    else
        Recalculate(value);
}

void TUnitConverterFrm::Recalculate(Extended value)
{
    Converter->SetBaseUnit(ui->baseUnitVle->currentRow());
    Converter->SetTargetUnit(ui->targetUnitVle->currentRow());
    const Extended result = Converter->Convert(value);
    // A value near the end of the range may leave it in another unit.
    if (std::isfinite(result))
        ui->targetValueEdt->setText(TResultFormater::FormatResult(result));
    else
        ui->targetValueEdt->clear();
}

void TUnitConverterFrm::unitPnlResize()
{
    // The base half carries the "=" sign, so it is wider by the sign.
    const QRect area = ui->unitPnl->rect();
    const int baseWidth = qMin(area.width(), area.width() / 2 + ui->equalSignLbl->width());
    ui->baseUnitPnl->setGeometry(0, 0, baseWidth, area.height());
    ui->targetUnitPnl->setGeometry(baseWidth, 0, area.width() - baseWidth, area.height());
    // Both name columns are as wide, and narrower than 70 % of the base grid
    // when an abbreviation would not fit beside them otherwise (the target
    // grid is the narrower one); a long name is cut short rather than an
    // abbreviation.
    int keyWidth = int(std::lround(ui->baseUnitVle->width() * 0.7));
    for (const TValueListEditor *grid : {ui->baseUnitVle, ui->targetUnitVle})
        keyWidth = qMin(keyWidth, qMax(grid->width() / 2, grid->width() - AbbreviationRoom(grid)));
    ui->baseUnitVle->setColumnWidth(0, keyWidth);
    ui->targetUnitVle->setColumnWidth(0, keyWidth);
}

bool TUnitConverterFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize
        && (watched == ui->unitPnl || watched == ui->baseUnitVle || watched == ui->targetUnitVle))
        unitPnlResize();
    return KTandorelForm::eventFilter(watched, event);
}
