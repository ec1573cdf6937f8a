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
#include "shell/fKonstanty.h"
#include "shell/fKontrola.h"
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

#include <QApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QThreadPool>

#include <functional>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString StateFileName = QStringLiteral("programState.ini");
const QString HistoryFileName = QStringLiteral("history.dat");
const QString VariablesFileName = QStringLiteral("variables.txt");

// A file that existed but could not be read at start is not overwritten at
// exit, so that what it holds is not lost. The settings and state files are
// not read when they are far larger than any the program writes.
bool HistoryUnread = false;
bool VariablesUnread = false;
bool SettingsUnread = false;
bool StateUnread = false;

bool IsFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

// Runs one step of the exit saves; a failure is remembered and the next
// step still runs.
void SaveStep(bool &failed, const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &) {
        failed = true;
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
    const QString stateFile = ConfigDir() + StateFileName;
    StateUnread = IsFile(stateFile) && TIniFile(stateFile).TooLarge();
    if (IsFile(stateFile) && !StateUnread) {
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
    const QString languageFile = DataDir() + settings->LanguageFile;
    QStringList refused;
    if (!settings->LanguageFile.isEmpty() && IsFile(languageFile)) {
        // A language file too large to read gives way to the default one;
        // the setting keeps naming it.
        if (!translator->LoadFile(languageFile)) {
            refused << translator->RefusedFile();
            translator->LoadDefault(DataDir() + QStringLiteral("lang/"));
        }
    } else {
        translator->LoadDefault(DataDir() + QStringLiteral("lang/"));
        settings->LanguageFile = MakeRelativePath(translator->GetFileName());
    }

    LoadTexts();

    if (SettingsUnread)
        refused << SettingsIniFile()->FileName();
    if (StateUnread)
        refused << stateFile;
    for (const QString &file : refused)
        ReportFileTooLarge(file);

    const auto load = [this](const QString &file, const std::function<void()> &read) {
        try {
            read();
            return true;
        } catch (const EFileTooLarge &) {
            ReportFileTooLarge(file);
        } catch (const Exception &e) {
            ShowMessage(msgError, e.Message());
        }
        return false;
    };
    HistoryUnread = false;
    if (settings->SaveHistory) {
        const QString file = UserDataDir() + HistoryFileName;
        HistoryUnread = !load(file, [&] { History()->LoadFromFile(file); });
    }
    VariablesUnread = false;
    if (settings->SaveVariables && IsFile(UserDataDir() + VariablesFileName)) {
        const QString file = UserDataDir() + VariablesFileName;
        VariablesUnread = !load(file, [&] { TVariableManager::Instance()->LoadFromFile(file); });
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
                                 [](TUpdateInformer *sender) { KMainProgram::Instance()->UpdateInformerDone(sender); });
    if (settings->CheckUpdatesAtStart)
        CheckForUpdate(true);
}

void KMainProgram::CheckForUpdate(bool automatic)
{
    TUpdateInformer *informer = TUpdateInformer::Instance();
    informer->CurrentBuild = ProgramBuild;
    informer->BaseURL = MakerWebAddress(QStringLiteral("updateinfo.php"));
    informer->ExtraQuery = BuildQueryString(true);
    informer->Check(automatic);
}

void KMainProgram::UpdateInformerDone(QObject *sender)
{
    auto *informer = qobject_cast<TUpdateInformer *>(sender);
    if (!informer || !informer->IsLoaded() || !informer->StableIsNewer())
        return;
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm())
        main->ShowUpdateAvailable();
}

void KMainProgram::LoadTexts()
{
    const TTranslationGroup texts;
    m_texts.Translate();
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

bool KMainProgram::OfferUnsavedChanges()
{
    TGUIManager *gui = TGUIManager::Instance();
    for (int id = 0; id < TGUIManager::FormCount; ++id) {
        if (!gui->IsFormCreated(id))
            continue;
        if (auto *owner = dynamic_cast<IUnsavedChangesOwner *>(gui->Form(id));
            owner && !owner->OfferUnsavedChanges(!SessionEnding))
            return false;
    }
    return true;
}

void KMainProgram::SaveAll()
{
    KProgramSettings *settings = KProgramSettings::Instance();
    TGUIManager *gui = TGUIManager::Instance();
    bool failed = false;

    if (!SettingsUnread)
        SaveStep(failed, [&] { settings->Save(SettingsIniFile()); });
    if (settings->SaveHistory && !HistoryUnread)
        SaveStep(failed, [&] { History()->SaveToFile(UserDataDir() + HistoryFileName); });
    if (settings->SaveVariables && !VariablesUnread)
        SaveStep(failed, [&] { TVariableManager::Instance()->SaveToFile(UserDataDir() + VariablesFileName); });
    SaveStep(failed, [&] {
        if (StateUnread) {
            return;
        } else if (settings->RememberLastState) {
            KProgramState::GetInstance(0)->SaveToFile(ConfigDir() + StateFileName);
        } else if (gui->IsFormCreated(FormId::Settings)) {
            // The preferences window hands its start-up-state controls over.
            if (auto *editor = dynamic_cast<IStartupStateEditor *>(gui->Form(FormId::Settings)))
                editor->StoreDefaultState();
            KProgramState::GetInstance(1)->SaveToFile(ConfigDir() + StateFileName);
        }
    });

    if (failed)
        ShowMessage(msgError, msgCouldntSaveSettings);
}

// ------------------------------------------------------------- main block

void RegisterToolWindows(TToolWindowRegistration registerTools)
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
    if (registerTools)
        registerTools(gui);
}

bool ProgramStartUp(TToolWindowRegistration registerTools)
{
    KProgramSettings *settings = KProgramSettings::Instance();
    // Far larger than any settings file: the defaults stay, and the file is
    // left as it is (the message comes once the texts are loaded).
    SettingsUnread = SettingsIniFile()->TooLarge();
    settings->Load(SettingsIniFile());

    if (settings->AllowOnlyOneInstance && CheckPreviousInstance(&RaiseMainWindow, 1))
        return false;

    QCoreApplication::setApplicationName(ApplicationTitle);

    MainFrm = new TMainFrm();
    TGUIManager::Instance()->SetMainForm(MainFrm);
    RegisterToolWindows(registerTools);
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

namespace {

// The signals that end a session from outside (logout, shutdown, a closed
// terminal) only write a byte here; the message loop reads it and ends the
// program as closing its main window does, so the saves at exit run.
int EndSignalPipe[2] = {-1, -1};

extern "C" void NoteEndSignal(int)
{
    const char byte = 1;
    const ssize_t written = ::write(EndSignalPipe[1], &byte, 1);
    (void)written;
}

void EndAsIfClosed()
{
    // A second signal ends at once.
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
    // A message box or dialog still open gives way first.
    for (int i = 0; i < 20; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        modal->close();
        if (modal->isVisible())
            modal->hide();
    }
    // Nobody is there to answer questions about unsaved work.
    KMainProgram::Instance()->SessionEnding = true;
    if (MainFrm)
        MainFrm->close();
    QCoreApplication::quit();
}

void EndOnSignals(QObject *owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, EndSignalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(EndSignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        char buffer[16];
        while (::read(EndSignalPipe[0], buffer, sizeof buffer) > 0) {}
        notifier->setEnabled(false);
        EndAsIfClosed();
    });
    struct sigaction action = {};
    action.sa_handler = NoteEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace

int RunProgram(int &argc, char **argv, TToolWindowRegistration registerTools)
{
    TTandorelApplication app(argc, argv);
    EndOnSignals(&app);
    // The main window stays hidden until KMainProgram::Start shows it; tool
    // windows never keep the program alive on their own.
    app.setQuitOnLastWindowClosed(true);
    InstallMainWindowStyle();
    int result = 0;
    // A signal met during start-up (in a message box's loop) has closed the
    // window already.
    if (ProgramStartUp(registerTools) && MainFrm && MainFrm->isVisible())
        result = app.exec();
    ProgramShutDown();
    return result;
}
