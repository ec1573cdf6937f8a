#include "shell/uGUIManager.h"

#include "core/uProgramSettings.h"
#include "shell/uProgramTranslator.h"

namespace {
TGUIManager *TheManager = nullptr;
}

TGUIManager *TGUIManager::Instance()
{
    if (!TheManager)
        TheManager = new TGUIManager;
    return TheManager;
}

void TGUIManager::FreeInstance()
{
    if (TheManager)
        TheManager->DestroyInstance();
}

TGUIManager::TGUIManager()
{
    for (TFormEntry &entry : Forms)
        entry = TFormEntry();
}

TGUIManager::~TGUIManager()
{
    for (TFormEntry &entry : Forms) {
        delete entry.Form;
        entry.Form = nullptr;
    }
    if (TheManager == this)
        TheManager = nullptr;
}

void TGUIManager::CheckId(int Id)
{
    if (Id < 0 || Id >= FormCount)
        throw ERangeError();
}

void TGUIManager::RegisterFormClass(int Id, TFormClass FormClass)
{
    CheckId(Id);
    Forms[Id].FormClass = FormClass;
}

void TGUIManager::RegisterMagneticFormClass(int Id, TFormClass FormClass, quint8 DockSide)
{
    CheckId(Id);
    Forms[Id].FormClass = FormClass;
    Forms[Id].IsMagnetic = true;
    Forms[Id].DockSide = DockSide;
}

void TGUIManager::SetMainForm(ITandorelMainForm *Value)
{
    MainForm = Value;
}

bool TGUIManager::IsFormCreated(int Id) const
{
    CheckId(Id);
    return Forms[Id].Form != nullptr;
}

const TFormEntry &TGUIManager::Entry(int Id) const
{
    CheckId(Id);
    return Forms[Id];
}

KTandorelForm *TGUIManager::GetForm(int Id)
{
    CheckId(Id);
    TFormEntry &entry = Forms[Id];
    if (entry.Form)
        return entry.Form;
    if (!entry.FormClass)
        throw Exception(QStringLiteral("Unspecified form class: %1").arg(Id));
    KTandorelForm *form = entry.FormClass();
    entry.Form = form;
    // A window freed by someone else must not stay behind as a dangling entry.
    QObject::connect(form, &QObject::destroyed, [this, Id] { Forms[Id].Form = nullptr; });
    // Owned by the main window, so that it stays above it; the registry
    // still frees it, before the main window goes.
    form->SetOwner(dynamic_cast<QWidget *>(MainForm));
    if (entry.IsMagnetic) {
        form->SetMainForm(MainForm);
        form->PlaceBesideMainForm(entry.DockSide);
        form->EnableMagnet();
    }
    form->SetStayOnTop(KProgramSettings::Instance()->OnTop);
    {
        const TTranslationGroup texts;
        form->TranslateTexts();
    }
    return form;
}

void TGUIManager::ShowForm(int Id)
{
    KTandorelForm *form = GetForm(Id);
    if (form->isMinimized())
        form->showNormal();
    else
        form->show();
    form->raise();
    form->activateWindow();
}

int TGUIManager::ShowFormModal(int Id)
{
    return GetForm(Id)->ShowModal();
}

void TGUIManager::SetStayOnTop(bool Flag)
{
    if (MainForm)
        MainForm->SetAlwaysOnTop(Flag);
    for (TFormEntry &entry : Forms)
        if (entry.Form)
            entry.Form->SetStayOnTop(Flag);
}

void TGUIManager::TranslateAll()
{
    const TTranslationGroup texts;
    for (TFormEntry &entry : Forms)
        if (entry.Form)
            entry.Form->TranslateTexts();
}
