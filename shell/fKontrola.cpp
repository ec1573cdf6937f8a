#include "shell/fKontrola.h"
#include "ui_fKontrola.h"

#include "core/uCalculation.h"
#include "core/uCommon.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/Classes.h"
#include "shell/uAccessibility.h"
#include "shell/uMainProgram.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>

namespace {

// A test list is text; a larger file is no test list.
constexpr qint64 MaxTestFileBytes = 16 * 1024 * 1024;

QString WithoutBlanks(QString S)
{
    S.remove(u' ');
    return S;
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
    CountedLines = TestLines();
    ui->Label1->setText(QStringLiteral("Vsetky (%1):").arg(CountedLines.size()));
}

void TkontrolaFrm::TestListEdited()
{
    if (TestLines() != CountedLines)
        UpdateCount();
}

bool TkontrolaFrm::ParseVariableList(const QString &Text, QList<QPair<QString, QString>> &Pairs)
{
    Pairs.clear();
    QString list = Text.trimmed();
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
        Pairs.append({name, value});
    }
    return true;
}

QStringList TkontrolaFrm::RunTests(const QStringList &Tests)
{
    QStringList failures;
    const TCalculatorSnapshot before;
    for (const QString &test : Tests) {
        const qsizetype eq = test.indexOf(u'=');
        const QString expression = eq < 0 ? test : test.left(eq);
        if (expression.trimmed().isEmpty())
            continue;
        QString expected = eq < 0 ? QString() : test.mid(eq + 1);

        before.Restore();
        const qsizetype bracket = expected.indexOf(u'[');
        if (bracket >= 0) {
            QList<QPair<QString, QString>> pairs;
            if (!ParseVariableList(expected.mid(bracket + 1), pairs)) {
                failures << test + QStringLiteral("=Nespravne premenne : ") + expected.mid(bracket);
                continue;
            }
            for (const auto &[name, value] : std::as_const(pairs))
                TVariableManager::Instance()->SetValue(name, value);
            expected.truncate(bracket);
        }

        // The constants become known as for a calculation of the main window.
        TCalculationError ignored;
        KMainProgram::Instance()->CheckConstants(expression, ignored);
        const TCalculationOutcome outcome = CalculateExpression(expression);
        if (!outcome.Ok())
            failures << test + QStringLiteral("=Chyba : ") + QString::number(outcome.Error.ErrorCode);
        else if (WithoutBlanks(outcome.DisplayText) != WithoutBlanks(expected))
            failures << test + QStringLiteral("=Nespravny vysledok : ") + WithoutBlanks(outcome.DisplayText);
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

bool TkontrolaFrm::LoadTests(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxTestFileBytes)
        return false;
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    ui->vyrazyVle->SetStrings(lines);
    UpdateCount();
    return true;
}

bool TkontrolaFrm::SaveTests(const QString &FileName)
{
    const QStringList lines = TestLines();
    if (lines.isEmpty())
        return false;
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    return file.commit();
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
