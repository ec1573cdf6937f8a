#include "shell/fKontrola.h"
#include "ui_fKontrola.h"

#include "core/uCalculation.h"
#include "core/uCommon.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/Classes.h"
#include "platform/IOUtils.h"
#include "shell/uAccessibility.h"
#include "shell/uMainProgram.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// A test list is text; a larger file is no test list.
constexpr qint64 MaxTestFileBytes = 16 * 1024 * 1024;

QString WithoutBlanks(QString s)
{
    s.remove(u' ');
    return s;
}

// What one run must leave as it found it.
struct TCalculatorSnapshot
{
    TStringList Variables;
    QString Ans;
    QString LastExpression;
    bool JustCalculated = false;

    TCalculatorSnapshot()
    {
        const KProgramState *state = KProgramState::GetInstance(0);
        TVariableManager::Instance()->CopyTo(Variables);
        Ans = state->Ans;
        LastExpression = state->LastExpression;
        JustCalculated = state->JustCalculated;
    }
    void Restore() const
    {
        KProgramState *state = KProgramState::GetInstance(0);
        TVariableManager::Instance()->Variables.Assign(Variables);
        state->Ans = Ans;
        state->LastExpression = LastExpression;
        state->JustCalculated = JustCalculated;
    }
};

} // namespace

TkontrolaFrm::TkontrolaFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TkontrolaFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    const QString expression = QString::fromUtf8("Výraz"), result = QString::fromUtf8("Výsledok");
    ui->vyrazyVle->SetTitles(expression, result);
    ui->nespravneVle->SetTitles(expression, result);
    ui->nespravneVle->KeysEditable = false;
    ui->nespravneVle->ValuesEditable = false;
    ui->nespravneVle->CanAddRows = false;
    ui->nespravneVle->CanDeleteRows = false;
    ui->nespravneVle->Clear();
    ui->vyrazyVle->OnEnter = [this] { kontrolaBtnClick(); };
    QAbstractItemModel *tests = ui->vyrazyVle->model();
    connect(tests, &QAbstractItemModel::dataChanged, this, [this] { TestListEdited(); });
    connect(tests, &QAbstractItemModel::rowsInserted, this, [this] { TestListEdited(); });
    connect(tests, &QAbstractItemModel::rowsRemoved, this, [this] { TestListEdited(); });
    connect(tests, &QAbstractItemModel::modelReset, this, [this] { TestListEdited(); });
    connect(ui->kontrolaBtn, &QPushButton::clicked, this, [this] { kontrolaBtnClick(); });
    connect(ui->nacitajBtn, &QPushButton::clicked, this, [this] { nacitajBtnClick(); });
    connect(ui->ulozBtn, &QPushButton::clicked, this, [this] { ulozBtnClick(); });
}

TkontrolaFrm::~TkontrolaFrm()
{
    // The grids go after this body; their last model signals find no counter.
    ui->vyrazyVle->model()->disconnect(this);
    delete ui;
}

TValueListEditor *TkontrolaFrm::vyrazyVle() const
{
    return ui->vyrazyVle;
}
TValueListEditor *TkontrolaFrm::nespravneVle() const
{
    return ui->nespravneVle;
}

QStringList TkontrolaFrm::TestLines() const
{
    QStringList lines;
    for (int row = 0; row < ui->vyrazyVle->rowCount(); ++row)
        if (!ui->vyrazyVle->Key(row).trimmed().isEmpty())
            lines << ui->vyrazyVle->Key(row) + u'=' + ui->vyrazyVle->Value(row);
    return lines;
}

void TkontrolaFrm::UpdateCount()
{
    m_countedLines = TestLines();
    ui->Label1->setText(QStringLiteral("Vsetky (%1):").arg(m_countedLines.size()));
}

void TkontrolaFrm::TestListEdited()
{
    if (TestLines() != m_countedLines)
        UpdateCount();
}

bool ParseVariableList(const QString &text, QList<QPair<QString, QString>> &pairs)
{
    pairs.clear();
    QString list = text.trimmed();
    if (!list.endsWith(u']'))
        return false;
    list.chop(1);
    const QStringList pieces = list.split(u';');
    // Every assignment ends with ";", so the last piece is what follows the
    // last ";": nothing but blanks.
    if (!pieces.last().trimmed().isEmpty())
        return false;
    for (int i = 0; i + 1 < pieces.size(); ++i) {
        const qsizetype eq = pieces.at(i).indexOf(u'=');
        if (eq < 0)
            return false;
        const QString name = pieces.at(i).left(eq).trimmed();
        const QString value = pieces.at(i).mid(eq + 1).trimmed();
        QString token;
        NextToken(name, token);
        if (value.isEmpty() || token != name || !IsVariableName(name))
            return false;
        pairs.append({name, value});
    }
    return true;
}

TSelfTest ParseTest(const QString &line)
{
    TSelfTest test;
    const qsizetype eq = line.indexOf(u'=');
    test.Expression = eq < 0 ? line : line.left(eq);
    test.Expected = eq < 0 ? QString() : line.mid(eq + 1);
    const qsizetype bracket = test.Expected.indexOf(u'[');
    if (bracket >= 0) {
        test.Assignments = test.Expected.mid(bracket);
        test.Expected.truncate(bracket);
        test.AssignmentsValid = ParseVariableList(test.Assignments.mid(1), test.Variables);
        if (!test.AssignmentsValid)
            test.Variables.clear();
    }
    return test;
}

QStringList ReadTestList(const QByteArray &bytes)
{
    TStringList lines;
    lines.SetText(DecodeUtf8Lossless(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes));
    QStringList result = lines.Lines();
    while (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

QByteArray TestListBytes(const QStringList &lines)
{
    // Reading takes one byte-order mark off: a first line that begins with
    // one of its own keeps it behind another.
    QByteArray bytes = !lines.isEmpty() && lines.first().startsWith(QChar(0xFEFF)) ? "\xEF\xBB\xBF" : "";
    for (const QString &line : lines)
        bytes += EncodeUtf8Lossless(line) + "\r\n";
    return bytes;
}

QStringList TkontrolaFrm::RunTests(const QStringList &tests)
{
    QStringList failures;
    const TCalculatorSnapshot before;
    for (const QString &line : tests) {
        const TSelfTest test = ParseTest(line);
        if (test.Expression.trimmed().isEmpty())
            continue;
        before.Restore();
        if (!test.AssignmentsValid) {
            failures << line + QStringLiteral("=Nespravne premenne : ") + test.Assignments;
            continue;
        }
        for (const auto &[name, value] : test.Variables)
            TVariableManager::Instance()->SetValue(name, value);

        // The constants become known as for a calculation of the main window.
        TCalculationError ignored;
        KMainProgram::Instance()->CheckConstants(test.Expression, ignored);
        const TCalculationOutcome outcome = CalculateExpression(test.Expression);
        if (!outcome.Ok())
            failures << line + QStringLiteral("=Chyba : ") + QString::number(outcome.Error.ErrorCode);
        else if (WithoutBlanks(outcome.DisplayText) != WithoutBlanks(test.Expected))
            failures << line + QStringLiteral("=Nespravny vysledok : ") + WithoutBlanks(outcome.DisplayText);
    }
    before.Restore();
    return failures;
}

void TkontrolaFrm::kontrolaBtnClick()
{
    ui->vyrazyVle->CommitEditor();
    const QStringList tests = TestLines();
    if (tests.isEmpty())
        return;
    ui->nespravneVle->Clear();
    const QStringList failures = RunTests(tests);
    if (!failures.isEmpty())
        ui->nespravneVle->SetStrings(failures);
    ui->Label2->setText(QStringLiteral("Nespravne (%1):").arg(failures.size()));
}

bool TkontrolaFrm::LoadTests(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxTestFileBytes)
        return false;
    QByteArray bytes;
    if (!ReadFileAtMost(file, MaxTestFileBytes, bytes) || bytes.size() > MaxTestFileBytes)
        return false;
    ui->vyrazyVle->SetStrings(ReadTestList(bytes));
    UpdateCount();
    return true;
}

bool TkontrolaFrm::SaveTests(const QString &fileName)
{
    const QStringList lines = TestLines();
    if (lines.isEmpty())
        return false;
    QString reason;
    return TryWriteFileAtomically(fileName, TestListBytes(lines), reason);
}

void TkontrolaFrm::nacitajBtnClick()
{
    const QString name = QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("*.txt;;*"));
    if (!name.isEmpty() && !LoadTests(name))
        QMessageBox::warning(this, windowTitle(), QString::fromUtf8("Súbor sa nepodarilo načítať."));
}

void TkontrolaFrm::ulozBtnClick()
{
    if (TestLines().isEmpty())
        return;
    const QString name = QFileDialog::getSaveFileName(this, QString(), QString(), QStringLiteral("*.txt;;*"));
    if (!name.isEmpty() && !SaveTests(name))
        QMessageBox::warning(this, windowTitle(), QString::fromUtf8("Súbor sa nepodarilo uložiť."));
}
