#include "shell/fSettings.h"
#include "ui_fSettings.h"

#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "shell/uAccessibility.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"

#include <QButtonGroup>
#include <QLayout>
#include <QShowEvent>

namespace {

QButtonGroup *Group(QObject *Owner, std::initializer_list<QAbstractButton *> Items)
{
    auto *group = new QButtonGroup(Owner);
    int id = 0;
    for (QAbstractButton *b : Items)
        group->addButton(b, id++);
    return group;
}

// Checks item Index of a radio group; an index outside it leaves none checked.
void CheckItem(QButtonGroup *Group, int Index)
{
    if (QAbstractButton *b = Group->button(Index)) {
        b->setChecked(true);
        return;
    }
    Group->setExclusive(false);
    for (QAbstractButton *b : Group->buttons())
        b->setChecked(false);
    Group->setExclusive(true);
}

} // namespace

TsettingsFrm::TsettingsFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TsettingsFrm)
{
    ui->setupUi(this);
    // The examples are grey, set apart from the choices they illustrate.
    for (QLabel *example :
         {ui->ordinaryNotationLbl, ui->exponentialNotationLbl, ui->mathematicalLbl, ui->elektrotechnicalLbl})
        SetFixedTextColour(example, QColor(0x60, 0x60, 0x60));
    InsertingGroup = Group(this, {ui->onlyOperatorRbt, ui->lastResultAndOperatorRbt, ui->expressionAndOperatorRbt});
    NotationGroup = Group(this, {ui->ordinaryNotationRbt, ui->exponentialNotationRbt});
    ComplexFormatGroup = Group(this, {ui->mathematicalRbt, ui->elektrotechnicalRbt});
    SeparatorGroup = Group(this, {ui->systemDefaultRbt, ui->dotRbt, ui->commaRbt});
    NumberSetGroup = Group(this, {ui->realNumbersRbt, ui->complexNumbersRbt, ui->moduloNumbersRbt});
    AngleModeGroup = Group(this, {ui->degRbt, ui->radRbt, ui->gradRbt});
    NumberSystemGroup = Group(this, {ui->binaryRbt, ui->octalRbt, ui->decimalRbt, ui->hexadecimalRbt});
    ui->decUd->Min = 0;
    ui->decUd->Max = 30;
    ui->decUd->SetAssociate(ui->decEdt);
    ui->decUd->SetPosition(6);
    ui->settingsPgc->setCurrentIndex(0);

    ConnectSettings();
    connect(ui->restoreDefaultsBtn, &QPushButton::clicked, this,
            [] { KMainProgram::Instance()->RestoreDefaultSettings(); });
    connect(ui->closeBtn, &QPushButton::clicked, this, [this] { close(); });
    ListTexts();

    SetMainForm(TGUIManager::Instance()->GetMainForm());
    PlaceBesideMainForm(DockCentred);
    LoadControls();
}

TsettingsFrm::~TsettingsFrm()
{
    delete ui;
}

void TsettingsFrm::ConnectSettings()
{
    const auto tick = [this](QAbstractButton *Box, auto Write) {
        connect(Box, &QAbstractButton::toggled, this, Write);
    };
    tick(ui->checkUpdatesAtStartChb, [](bool on) { KProgramSettings::Instance()->CheckUpdatesAtStart = on; });
    tick(ui->copyResultToClipboardChb, [](bool on) { KProgramSettings::Instance()->CopyResultToClipboard = on; });
    tick(ui->allowOnlyOneInstanceChb, [](bool on) { KProgramSettings::Instance()->AllowOnlyOneInstance = on; });
    tick(ui->closeParenthesesChb, [](bool on) { KProgramSettings::Instance()->CloseParentheses = on; });
    tick(ui->saveHistoryChb, [](bool on) { KProgramSettings::Instance()->SaveHistory = on; });
    tick(ui->saveVariablesChb, [](bool on) { KProgramSettings::Instance()->SaveVariables = on; });
    tick(ui->saveMemoryValueChb, [](bool on) { KProgramSettings::Instance()->SaveMemoryData = on; });
    tick(ui->saveMainWindowPosChk, [](bool on) { KProgramSettings::Instance()->Center = !on; });
    tick(ui->rememberLastStateChk, [this](bool on) {
        KProgramSettings::Instance()->RememberLastState = on;
        UpdateDefaultStateEnabled(on);
    });

    const auto chosen = [this](QButtonGroup *Group, auto Write) {
        connect(Group, &QButtonGroup::idToggled, this, [Write](int id, bool on) {
            if (on)
                Write(id);
        });
    };
    chosen(InsertingGroup, [](int id) { KProgramSettings::Instance()->InsertAfterCalculation = quint8(id); });
    chosen(NotationGroup, [](int id) { KProgramSettings::Instance()->ScientificNotation = id == 1; });
    chosen(ComplexFormatGroup, [this](int id) { ComplexNumberFormatClick(id); });
    chosen(SeparatorGroup, [this](int id) { DecimalSeparatorClick(id); });
}

void TsettingsFrm::DecimalSeparatorClick(int Mode)
{
    KProgramSettings::Instance()->SetDecimalSeparator(quint8(Mode));
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm())
        main->DecimalSeparatorChanged();
}

void TsettingsFrm::ComplexNumberFormatClick(int Format)
{
    KProgramSettings::Instance()->ComplexNumberFormat = quint8(Format);
    KMainProgram::Instance()->ApplyImaginaryUnit();
}

void TsettingsFrm::LoadControls()
{
    const KProgramSettings *s = KProgramSettings::Instance();
    const KProgramState *start = KProgramState::GetInstance(1);
    {
        const QList<QObject *> quiet = {ui->checkUpdatesAtStartChb,
                                        ui->copyResultToClipboardChb,
                                        ui->allowOnlyOneInstanceChb,
                                        ui->closeParenthesesChb,
                                        ui->saveHistoryChb,
                                        ui->saveVariablesChb,
                                        ui->saveMemoryValueChb,
                                        ui->saveMainWindowPosChk,
                                        ui->rememberLastStateChk,
                                        InsertingGroup,
                                        NotationGroup,
                                        ComplexFormatGroup,
                                        SeparatorGroup};
        for (QObject *o : quiet)
            o->blockSignals(true);
        ui->checkUpdatesAtStartChb->setChecked(s->CheckUpdatesAtStart);
        ui->copyResultToClipboardChb->setChecked(s->CopyResultToClipboard);
        ui->allowOnlyOneInstanceChb->setChecked(s->AllowOnlyOneInstance);
        ui->closeParenthesesChb->setChecked(s->CloseParentheses);
        ui->saveHistoryChb->setChecked(s->SaveHistory);
        ui->saveVariablesChb->setChecked(s->SaveVariables);
        ui->saveMemoryValueChb->setChecked(s->SaveMemoryData);
        ui->saveMainWindowPosChk->setChecked(!s->Center);
        CheckItem(InsertingGroup, s->InsertAfterCalculation);
        CheckItem(SeparatorGroup, s->DecimalSeparator);
        CheckItem(NotationGroup, s->ScientificNotation ? 1 : 0);
        CheckItem(ComplexFormatGroup, s->ComplexNumberFormat != 0 ? 1 : 0);
        ui->rememberLastStateChk->setChecked(s->RememberLastState);
        for (QObject *o : quiet)
            o->blockSignals(false);
    }
    // What the click handlers would have done.
    DecimalSeparatorClick(s->DecimalSeparator);
    KMainProgram::Instance()->ApplyImaginaryUnit();
    UpdateDefaultStateEnabled(s->RememberLastState);

    CheckItem(NumberSetGroup, start->NumberSet);
    CheckItem(AngleModeGroup, start->AngleMode);
    CheckItem(NumberSystemGroup, start->NumeralSystem);
    ui->hypChk->setChecked(start->Hyp);
    ui->fractionsChk->setChecked(start->Fractions);
    ui->decUd->SetPosition(start->Decimals);
}

void TsettingsFrm::StoreDefaultState()
{
    KProgramState *start = KProgramState::GetInstance(1);
    // A group without a checked item leaves its field as it was.
    if (NumberSetGroup->checkedId() >= 0)
        start->NumberSet = quint8(NumberSetGroup->checkedId());
    if (AngleModeGroup->checkedId() >= 0)
        start->AngleMode = quint8(AngleModeGroup->checkedId());
    if (NumberSystemGroup->checkedId() >= 0)
        start->NumeralSystem = quint8(NumberSystemGroup->checkedId());
    start->Hyp = ui->hypChk->isChecked();
    start->Fractions = ui->fractionsChk->isChecked();
    start->Decimals = quint8(ui->decUd->Position());
}

void TsettingsFrm::UpdateDefaultStateEnabled(bool RememberLast)
{
    for (QWidget *w :
         std::initializer_list<QWidget *>{ui->numberSetRg, ui->angleModeRg, ui->numberSystemRg, ui->otherGb, ui->hypChk,
                                          ui->fractionsChk, ui->decLbl, ui->decEdt, ui->decUd})
        w->setEnabled(!RememberLast);
}

void TsettingsFrm::showEvent(QShowEvent *event)
{
    KTandorelForm::showEvent(event);
    if (!event->spontaneous())
        LoadControls();
}

void TsettingsFrm::hideEvent(QHideEvent *event)
{
    // The start-up page as edited stays when the window opens again (which
    // reloads every control).
    if (!event->spontaneous())
        StoreDefaultState();
    KTandorelForm::hideEvent(event);
}

void TsettingsFrm::TranslateTexts()
{
    Texts.Translate();
    FitToTexts();
}

void TsettingsFrm::FitToTexts()
{
    // A text changed on a page that is not shown leaves the size hints of
    // that page's layouts (and of the layouts inside them) stale: the
    // fixed-size window would change its size, and leave its centred place,
    // only when the page is turned to. Every hint is worked out anew, so the
    // window fits its longest page at once.
    for (QWidget *w : findChildren<QWidget *>())
        w->updateGeometry();
    for (QLayout *l : findChildren<QLayout *>())
        l->invalidate();
    layout()->activate();
}

void TsettingsFrm::ListTexts()
{
    const char *S = "SettingForm";
    Texts.Caption(this, S, "Caption")
        .Tab(ui->settingsPgc, 0, S, "Behaviour")
        .Tab(ui->settingsPgc, 1, S, "NumberFormat")
        .Tab(ui->settingsPgc, 2, S, "DefaultState")
        .Text(ui->restoreDefaultsBtn, S, "RestoreDefaults")
        .Text(ui->closeBtn, "Common", "Close")
        .Text(ui->generalGb, S, "General")
        .Text(ui->copyResultToClipboardChb, S, "CopyResultToClipboard")
        .Text(ui->checkUpdatesAtStartChb, S, "CheckUpdatesAtStart")
        .Text(ui->allowOnlyOneInstanceChb, S, "AllowOnlyOneInstance")
        .Text(ui->closeParenthesesChb, S, "AutomaticallyCloseParentheses")
        .Text(ui->rememberGb, S, "RememberAtNextStart")
        .Text(ui->saveMainWindowPosChk, S, "MainWindowPosition")
        .Text(ui->saveHistoryChb, S, "History")
        .Text(ui->saveVariablesChb, S, "Variables")
        .Text(ui->saveMemoryValueChb, S, "MemoryValue")
        .Text(ui->insertingAfterCalculationGpb, S, "InsertingAfterCalculation")
        .Text(ui->onlyOperatorRbt, S, "OnlyOperator")
        .Text(ui->lastResultAndOperatorRbt, S, "LastResultAndOperator")
        .Text(ui->expressionAndOperatorRbt, S, "ExpressionAndOperator")
        .Text(ui->decimalSeparatorRgp, S, "DecimalSeparator")
        .Text(ui->systemDefaultRbt, S, "SystemDefault")
        .Text(ui->dotRbt, S, "Dot")
        .Text(ui->commaRbt, S, "Comma")
        .Text(ui->resultNotationGpb, S, "ResultNotation")
        .Text(ui->ordinaryNotationRbt, S, "Ordinary")
        .Text(ui->ordinaryNotationLbl, S, "OrdinaryExample")
        .Text(ui->exponentialNotationRbt, S, "Exponential")
        .Text(ui->exponentialNotationLbl, S, "ExponentialExample")
        .Text(ui->complexNumberFormatGpb, S, "ComplexNumberFormat")
        .Text(ui->mathematicalRbt, S, "Mathematical")
        .Text(ui->elektrotechnicalRbt, S, "Electrotechnical")
        .Text(ui->rememberLastStateChk, S, "RememberLastState")
        .Text(ui->numberSetRg, S, "NumberSet")
        .Text(ui->realNumbersRbt, S, "RealNumbers")
        .Text(ui->complexNumbersRbt, S, "ComplexNumbers")
        .Text(ui->moduloNumbersRbt, S, "ModuloNumbers")
        .Text(ui->angleModeRg, S, "AngleMode")
        .Text(ui->degRbt, S, "Deg")
        .Text(ui->radRbt, S, "Rad")
        .Text(ui->gradRbt, S, "Grad")
        .Text(ui->numberSystemRg, S, "NumeralSystem")
        .Text(ui->binaryRbt, S, "Binary")
        .Text(ui->octalRbt, S, "Octal")
        .Text(ui->decimalRbt, S, "Decimal")
        .Text(ui->hexadecimalRbt, S, "Hexadecimal")
        .Text(ui->otherGb, S, "Other")
        .Text(ui->hypChk, S, "Hyp")
        .Text(ui->fractionsChk, S, "Fractions")
        .Text(ui->decLbl, S, "NumberOfDecimalPlaces");
}
