#include "shell/fVariables.h"
#include "ui_fVariables.h"

#include "core/uCommon.h"
#include "core/uVariableManager.h"
#include "platform/Classes.h"
#include "shell/uAccessibility.h"
#include "shell/uMainProgram.h"

#include <QApplication>

TVariablesFrm::TVariablesFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TVariablesFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    ui->variablesVle->MapCalculatorKeys = true;
    // What was typed counts for the calculation it starts.
    ui->variablesVle->OnEnter = [this] { Button3Click(); };
    m_texts.Caption(this, "VariableForm", "Caption")
        .Column(ui->variablesVle, 0, "Common", "Name")
        .Column(ui->variablesVle, 1, "Common", "Value")
        .Text(ui->Button3, "Common", "Calculate")
        .Hint(ui->refreshBtn, "VariableForm", "Refresh")
        .Hint(ui->clearAllBtn, "Common", "RemoveAll")
        .Text(ui->Button2, "Common", "Close");
    connect(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(ui->refreshBtn, &QToolButton::clicked, this, [this] { refreshBtnClick(); });
    connect(ui->clearAllBtn, &QToolButton::clicked, this, [this] { clearAllBtnClick(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { close(); });
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (GridHasFocus(old) && !GridHasFocus(now))
            StoreToManager();
    });
    FillFromManager();
}

TVariablesFrm::~TVariablesFrm()
{
    // Focus moves while the window's children are destroyed; the watch
    // must not read the controls any more.
    disconnect(m_focusWatch);
    delete ui;
}

TValueListEditor *TVariablesFrm::variablesVle() const
{
    return ui->variablesVle;
}

bool TVariablesFrm::GridHasFocus(QWidget *widget) const
{
    return widget && (widget == ui->variablesVle || ui->variablesVle->isAncestorOf(widget));
}

void TVariablesFrm::FillFromManager()
{
    m_filling = true;
    TStringList lines;
    TVariableManager::Instance()->CopyTo(lines);
    ui->variablesVle->SetStrings(lines.Lines());
    m_filling = false;
}

void TVariablesFrm::StoreToManager()
{
    if (m_filling)
        return;
    ui->variablesVle->CommitEditor();
    TStringList lines;
    const TValueListEditor *grid = ui->variablesVle;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QString name = grid->Key(row).trimmed();
        // A row without a name is an empty line of the grid, not a variable.
        // Expressions lose their blanks before a name is looked up, so a
        // blank typed around the name would leave the variable unreachable.
        if (!name.isEmpty())
            lines.Add(name + u'=' + grid->Value(row));
    }
    TVariableManager *manager = TVariableManager::Instance();
    manager->Clear();
    manager->Merge(lines);
}

void TVariablesFrm::TranslateTexts()
{
    m_texts.Translate();
}

void TVariablesFrm::Button3Click()
{
    StoreToManager();
    KMainProgram::Instance()->CalculateInput();
}

void TVariablesFrm::refreshBtnClick()
{
    // The glyph buttons take no focus, so typed values are kept first.
    StoreToManager();
    KMainProgram::Instance()->RegisterInputVariables();
    FillFromManager();
}

void TVariablesFrm::clearAllBtnClick()
{
    TVariableManager::Instance()->Clear();
    FillFromManager();
}

void TVariablesFrm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FillFromManager();
        else
            StoreToManager();
    }
    KTandorelForm::changeEvent(event);
}
