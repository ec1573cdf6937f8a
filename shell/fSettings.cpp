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

QButtonGroup *Group(QObject *owner, std::initializer_list<QAbstractButton *> items)
{
    auto *group = new QButtonGroup(owner);
    int id = 0;
    for (QAbstractButton *b : items)
        group->addButton(b, id++);
    return group;
}

// Checks item Index of a radio group; an index outside it leaves none checked.
void CheckItem(QButtonGroup *group, int index)
{
    if (QAbstractButton *b = group->button(index)) {
        b->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton *b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

} // namespace

TsettingsFrm::TsettingsFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TsettingsFrm)
{
    ui->setupUi(this);
    // The examples are grey, set apart from the choices they illustrate.
    for (QLabel *example :
         {ui->ordinaryNotationLbl, ui->exponentialNotationLbl, ui->mathematicalLbl, ui->elektrotechnicalLbl})
        SetFixedTextColour(example, QColor(0x60, 0x60, 0x60));
    m_insertingGroup = Group(this, {ui->onlyOperatorRbt, ui->lastResultAndOperatorRbt, ui->expressionAndOperatorRbt});
    m_notationGroup = Group(this, {ui->ordinaryNotationRbt, ui->exponentialNotationRbt});
    m_complexFormatGroup = Group(this, {ui->mathematicalRbt, ui->elektrotechnicalRbt});
    m_separatorGroup = Group(this, {ui->systemDefaultRbt, ui->dotRbt, ui->commaRbt});
    m_numberSetGroup = Group(this, {ui->realNumbersRbt, ui->complexNumbersRbt, ui->moduloNumbersRbt});
    m_angleModeGroup = Group(this, {ui->degRbt, ui->radRbt, ui->gradRbt});
    m_numberSystemGroup = Group(this, {ui->binaryRbt, ui->octalRbt, ui->decimalRbt, ui->hexadecimalRbt});
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
    const auto tick = [this](QAbstractButton *box, auto write) {
        connect(box, &QAbstractButton::toggled, this, write);
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

    const auto chosen = [this](QButtonGroup *group, auto write) {
        connect(group, &QButtonGroup::idToggled, this, [write](int id, bool on) {
            if (on)
                write(id);
        });
    };
    chosen(m_insertingGroup, [](int id) { KProgramSettings::Instance()->InsertAfterCalculation = quint8(id); });
    chosen(m_notationGroup, [](int id) { KProgramSettings::Instance()->ScientificNotation = id == 1; });
    chosen(m_complexFormatGroup, [this](int id) { ComplexNumberFormatClick(id); });
    chosen(m_separatorGroup, [this](int id) { DecimalSeparatorClick(id); });
}

void TsettingsFrm::DecimalSeparatorClick(int mode)
{
    KProgramSettings::Instance()->SetDecimalSeparator(quint8(mode));
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm())
        main->DecimalSeparatorChanged();
}

void TsettingsFrm::ComplexNumberFormatClick(int format)
{
    KProgramSettings::Instance()->ComplexNumberFormat = quint8(format);
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
                                        m_insertingGroup,
                                        m_notationGroup,
                                        m_complexFormatGroup,
                                        m_separatorGroup};
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
        CheckItem(m_insertingGroup, s->InsertAfterCalculation);
        CheckItem(m_separatorGroup, s->DecimalSeparator);
        CheckItem(m_notationGroup, s->ScientificNotation ? 1 : 0);
        CheckItem(m_complexFormatGroup, s->ComplexNumberFormat != 0 ? 1 : 0);
        ui->rememberLastStateChk->setChecked(s->RememberLastState);
        for (QObject *o : quiet)
            o->blockSignals(false);
    }
    // What the click handlers would have done.
    DecimalSeparatorClick(s->DecimalSeparator);
    KMainProgram::Instance()->ApplyImaginaryUnit();
    UpdateDefaultStateEnabled(s->RememberLastState);

    CheckItem(m_numberSetGroup, start->NumberSet);
    CheckItem(m_angleModeGroup, start->AngleMode);
    CheckItem(m_numberSystemGroup, start->NumeralSystem);
    ui->hypChk->setChecked(start->Hyp);
    ui->fractionsChk->setChecked(start->Fractions);
    ui->decUd->SetPosition(start->Decimals);
}

void TsettingsFrm::StoreDefaultState()
{
    KProgramState *start = KProgramState::GetInstance(1);
    // A group without a checked item leaves its field as it was.
    if (m_numberSetGroup->checkedId() >= 0)
        start->NumberSet = quint8(m_numberSetGroup->checkedId());
    if (m_angleModeGroup->checkedId() >= 0)
        start->AngleMode = quint8(m_angleModeGroup->checkedId());
    if (m_numberSystemGroup->checkedId() >= 0)
        start->NumeralSystem = quint8(m_numberSystemGroup->checkedId());
    start->Hyp = ui->hypChk->isChecked();
    start->Fractions = ui->fractionsChk->isChecked();
    start->Decimals = quint8(ui->decUd->Position());
}

void TsettingsFrm::UpdateDefaultStateEnabled(bool rememberLast)
{
    for (QWidget *w :
         std::initializer_list<QWidget *>{ui->numberSetRg, ui->angleModeRg, ui->numberSystemRg, ui->otherGb, ui->hypChk,
                                          ui->fractionsChk, ui->decLbl, ui->decEdt, ui->decUd})
        w->setEnabled(!rememberLast);
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
    m_texts.Translate();
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
    const char *s = "SettingForm";
    m_texts.Caption(this, s, "Caption")
        .Tab(ui->settingsPgc, 0, s, "Behaviour")
        .Tab(ui->settingsPgc, 1, s, "NumberFormat")
        .Tab(ui->settingsPgc, 2, s, "DefaultState")
        .Text(ui->restoreDefaultsBtn, s, "RestoreDefaults")
        .Text(ui->closeBtn, "Common", "Close")
        .Text(ui->generalGb, s, "General")
        .Text(ui->copyResultToClipboardChb, s, "CopyResultToClipboard")
        .Text(ui->checkUpdatesAtStartChb, s, "CheckUpdatesAtStart")
        .Text(ui->allowOnlyOneInstanceChb, s, "AllowOnlyOneInstance")
        .Text(ui->closeParenthesesChb, s, "AutomaticallyCloseParentheses")
        .Text(ui->rememberGb, s, "RememberAtNextStart")
        .Text(ui->saveMainWindowPosChk, s, "MainWindowPosition")
        .Text(ui->saveHistoryChb, s, "History")
        .Text(ui->saveVariablesChb, s, "Variables")
        .Text(ui->saveMemoryValueChb, s, "MemoryValue")
        .Text(ui->insertingAfterCalculationGpb, s, "InsertingAfterCalculation")
        .Text(ui->onlyOperatorRbt, s, "OnlyOperator")
        .Text(ui->lastResultAndOperatorRbt, s, "LastResultAndOperator")
        .Text(ui->expressionAndOperatorRbt, s, "ExpressionAndOperator")
        .Text(ui->decimalSeparatorRgp, s, "DecimalSeparator")
        .Text(ui->systemDefaultRbt, s, "SystemDefault")
        .Text(ui->dotRbt, s, "Dot")
        .Text(ui->commaRbt, s, "Comma")
        .Text(ui->resultNotationGpb, s, "ResultNotation")
        .Text(ui->ordinaryNotationRbt, s, "Ordinary")
        .Text(ui->ordinaryNotationLbl, s, "OrdinaryExample")
        .Text(ui->exponentialNotationRbt, s, "Exponential")
        .Text(ui->exponentialNotationLbl, s, "ExponentialExample")
        .Text(ui->complexNumberFormatGpb, s, "ComplexNumberFormat")
        .Text(ui->mathematicalRbt, s, "Mathematical")
        .Text(ui->elektrotechnicalRbt, s, "Electrotechnical")
        .Text(ui->rememberLastStateChk, s, "RememberLastState")
        .Text(ui->numberSetRg, s, "NumberSet")
        .Text(ui->realNumbersRbt, s, "RealNumbers")
        .Text(ui->complexNumbersRbt, s, "ComplexNumbers")
        .Text(ui->moduloNumbersRbt, s, "ModuloNumbers")
        .Text(ui->angleModeRg, s, "AngleMode")
        .Text(ui->degRbt, s, "Deg")
        .Text(ui->radRbt, s, "Rad")
        .Text(ui->gradRbt, s, "Grad")
        .Text(ui->numberSystemRg, s, "NumeralSystem")
        .Text(ui->binaryRbt, s, "Binary")
        .Text(ui->octalRbt, s, "Octal")
        .Text(ui->decimalRbt, s, "Decimal")
        .Text(ui->hexadecimalRbt, s, "Hexadecimal")
        .Text(ui->otherGb, s, "Other")
        .Text(ui->hypChk, s, "Hyp")
        .Text(ui->fractionsChk, s, "Fractions")
        .Text(ui->decLbl, s, "NumberOfDecimalPlaces");
}
