#include "shell/uMainProgramStartup.h"

#include "core/KomplexneCisla.h"
#include "core/uCommon.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/IniFiles.h"
#include "shell/CheckPrevious.h"
#include "shell/fAbout.h"
#include "shell/fHistoria.h"
#include "shell/fJazyk.h"
#include "shell/fKontrola.h"
#include "shell/fKonstanty.h"
#include "shell/fMain.h"
#include "shell/fSettings.h"
#include "shell/fUpdateInfo.h"
#include "shell/fUpravyKonstant.h"
#include "shell/fVariables.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uHistoryModel.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "shell/uQtTranslation.h"
#include "shell/uShellCommon.h"
#include "shell/uUpdateInformer.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include <functional>

namespace {

const QString StateFileName = QStringLiteral("programState.ini");
const QString HistoryFileName = QStringLiteral("history.dat");
const QString VariablesFileName = QStringLiteral("variables.txt");

// A file that existed but could not be read at start is not overwritten at
// exit, so that what it holds is not lost.
bool HistoryUnread = false;
bool VariablesUnread = false;

bool IsFile(const QString &Path)
{
    return QFileInfo(Path).isFile();
}

// Runs one step of the exit saves; a failure is remembered and the next
// step still runs.
void SaveStep(bool &Failed, const std::function<void()> &Step)
{
    try {
        Step();
    } catch (const std::exception &) {
        Failed = true;
    }
}

void RaiseMainWindow()
{
    if (!MainFrm)
        return;
    MainFrm->setWindowState(MainFrm->windowState() & ~Qt::WindowMinimized);
    MainFrm->show();
    MainFrm->raise();
    MainFrm->activateWindow();
}

} // namespace

// ------------------------------------------------------------ KMainProgram

void KMainProgram::Start()
{
    const QString stateFile = ProgramDir() + StateFileName;
    if (IsFile(stateFile)) {
        KProgramState::GetInstance(1)->LoadFromFile(stateFile);
        KProgramState::GetInstance(0)->Assign(1);
    }

    ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm();
    main->ApplySettings();
    main->RestoreState();
    main->SetCaption(MainWindowCaption);
    main->Show();

    ApplyImaginaryUnit();

    KProgramSettings *settings = KProgramSettings::Instance();
    TProgramTranslator *translator = TProgramTranslator::Instance();
    const QString languageFile = ProgramDir() + settings->LanguageFile;
    if (!settings->LanguageFile.isEmpty() && IsFile(languageFile)) {
        translator->LoadFile(languageFile);
    } else {
        translator->LoadDefault(ProgramDir() + QStringLiteral("lang/"));
        settings->LanguageFile = MakeRelativePath(translator->GetFileName());
    }

    LoadTexts();

    HistoryUnread = false;
    if (settings->SaveHistory) {
        try {
            History()->LoadFromFile(ProgramDir() + HistoryFileName);
        } catch (const Exception &e) {
            HistoryUnread = true;
            ShowMessage(msgError, e.Message());
        }
    }
    VariablesUnread = false;
    if (settings->SaveVariables && IsFile(ProgramDir() + VariablesFileName)) {
        try {
            TVariableManager::Instance()->LoadFromFile(ProgramDir() + VariablesFileName);
        } catch (const Exception &e) {
            VariablesUnread = true;
            ShowMessage(msgError, e.Message());
        }
    }

    if (settings->UID == QStringLiteral("none"))
        settings->UID = UtcNow().toString(QStringLiteral("yyMMddHHmmss"));

    // The status-bar sign follows every answer, also one that the update
    // window asked for. The check runs in the background: start-up goes on
    // at once, and the sign appears whenever the answer comes.
    TUpdateInformer *informer = TUpdateInformer::Instance();
    static QMetaObject::Connection listening;
    QObject::disconnect(listening);
    listening = QObject::connect(informer, &TUpdateInformer::Info, informer,
                                 [](TUpdateInformer *Sender) { KMainProgram::Instance()->UpdateInformerDone(Sender); });
    if (settings->CheckUpdatesAtStart)
        CheckForUpdate(true);
}

void KMainProgram::CheckForUpdate(bool Automatic)
{
    TUpdateInformer *informer = TUpdateInformer::Instance();
    informer->CurrentBuild = ProgramBuild;
    informer->BaseURL = MakerWebAddress(QStringLiteral("updateinfo.php"));
    informer->ExtraQuery = BuildQueryString(true);
    informer->Check(Automatic);
}

void KMainProgram::UpdateInformerDone(QObject *Sender)
{
    auto *informer = qobject_cast<TUpdateInformer *>(Sender);
    if (!informer || !informer->IsLoaded() || !informer->StableIsNewer())
        return;
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm())
        main->ShowUpdateAvailable();
}

void KMainProgram::LoadTexts()
{
    Texts.Translate();
    ApplyQtTranslation();
    if (!TProgramTranslator::Instance()->IsLoaded())
        return;
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm())
        main->TranslateTexts();
    TGUIManager::Instance()->TranslateAll();
}

void KMainProgram::ApplyImaginaryUnit()
{
    if (KProgramSettings::Instance()->ComplexNumberFormat != 0) {
        ImaginaryUnit = u'j';
        ImaginaryUnitFirst = true;
    } else {
        ImaginaryUnit = u'i';
        ImaginaryUnitFirst = false;
    }
    ImaginaryUnitChar = ImaginaryUnit;
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm())
        main->UpdateImaginaryUnitCaptions();
}

void KMainProgram::SaveAll()
{
    KProgramSettings *settings = KProgramSettings::Instance();
    TGUIManager *gui = TGUIManager::Instance();
    bool failed = false;

    SaveStep(failed, [&] { settings->Save(SettingsIniFile()); });
    if (settings->SaveHistory && !HistoryUnread)
        SaveStep(failed, [&] { History()->SaveToFile(ProgramDir() + HistoryFileName); });
    if (settings->SaveVariables && !VariablesUnread)
        SaveStep(failed, [&] { TVariableManager::Instance()->SaveToFile(ProgramDir() + VariablesFileName); });
    SaveStep(failed, [&] {
        if (settings->RememberLastState) {
            KProgramState::GetInstance(0)->SaveToFile(ProgramDir() + StateFileName);
        } else if (gui->IsFormCreated(FormId::Settings)) {
            // The preferences window hands its start-up-state controls over.
            if (auto *editor = dynamic_cast<IStartupStateEditor *>(gui->Form(FormId::Settings)))
                editor->StoreDefaultState();
            KProgramState::GetInstance(1)->SaveToFile(ProgramDir() + StateFileName);
        }
    });

    if (failed)
        ShowMessage(msgError, msgCouldntSaveSettings);
}

// ------------------------------------------------------------- main block

void RegisterToolWindows(TToolWindowRegistration RegisterTools)
{
    TGUIManager *gui = TGUIManager::Instance();
    gui->RegisterMagneticFormClass(FormId::History, &CreateForm<ThistoriaFrm>, DockCentred);
    gui->RegisterMagneticFormClass(FormId::Constants, &CreateForm<TkonstantyFrm>, DockCentred);
    gui->RegisterMagneticFormClass(FormId::Variables, &CreateForm<TVariablesFrm>, DockRight);
    // The tools library registers the rest (expression preview, SI prefixes,
    // expression browser and the tool windows): the shell cannot name their
    // classes.
    gui->RegisterFormClass(FormId::Settings, &CreateForm<TsettingsFrm>);
    gui->RegisterFormClass(FormId::Language, &CreateForm<TjazykFrm>);
    gui->RegisterFormClass(FormId::About, &CreateForm<ToProgrameFrm>);
    gui->RegisterFormClass(FormId::UpdateInfo, &CreateForm<TUpdateInfoFrm>);
    gui->RegisterFormClass(FormId::SelfTest, &CreateForm<TkontrolaFrm>);
    if (RegisterTools)
        RegisterTools(gui);
}

bool ProgramStartUp(TToolWindowRegistration RegisterTools)
{
    KProgramSettings *settings = KProgramSettings::Instance();
    settings->Load(SettingsIniFile());

    if (settings->AllowOnlyOneInstance && CheckPreviousInstance(&RaiseMainWindow, 1))
        return false;

    QCoreApplication::setApplicationName(ApplicationTitle);

    MainFrm = new TMainFrm();
    TGUIManager::Instance()->SetMainForm(MainFrm);
    RegisterToolWindows(RegisterTools);
    KMainProgram::Instance()->Start();
    return true;
}

void ProgramShutDown()
{
    if (MainFrm)
        KMainProgram::Instance()->SaveAll();

    // A check still waiting for its answer ends here, without reporting to
    // the windows about to go.
    TUpdateInformer::FreeInstance();

    // Worker threads first: they read the translator and write to windows.
    // The hint thread hands each hint over by a blocking call to this
    // thread, so events are served while it winds down.
    if (MainFrm) {
        QPointer<TVlaknoPrekladaniaHintov> hints = MainFrm->HintThread;
        if (hints)
            hints->Stop();
        while (hints && !hints->wait(10))
            QCoreApplication::processEvents();
    }
    QThreadPool::globalInstance()->waitForDone();

    // The constant substitution must not read a freed window.
    ConstantItems = nullptr;
    TuprKonstFrm::FreeInstance();
    TGUIManager::FreeInstance();
    delete MainFrm;
    MainFrm = nullptr;

    KMainProgram::DestroyInstance();
    TProgramTranslator::FreeInstance();
    TVariableManager::FreeInstance();
    KProgramState::FreeInstances();
    KProgramSettings::FreeInstance();
    FreeSettingsIniFile();
    ReleasePreviousInstance();
}

int RunProgram(int &argc, char **argv, TToolWindowRegistration RegisterTools)
{
    TTandorelApplication app(argc, argv);
    // The main window stays hidden until KMainProgram::Start shows it; tool
    // windows never keep the program alive on their own.
    app.setQuitOnLastWindowClosed(true);
    int result = 0;
    if (ProgramStartUp(RegisterTools))
        result = app.exec();
    ProgramShutDown();
    return result;
}
