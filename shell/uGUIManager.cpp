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

void TGUIManager::CheckId(int id)
{
    if (id < 0 || id >= FormCount)
        throw ERangeError();
}

void TGUIManager::RegisterFormClass(int id, TFormClass formClass)
{
    CheckId(id);
    Forms[id].FormClass = formClass;
}

void TGUIManager::RegisterMagneticFormClass(int id, TFormClass formClass, quint8 dockSide)
{
    CheckId(id);
    Forms[id].FormClass = formClass;
    Forms[id].IsMagnetic = true;
    Forms[id].DockSide = dockSide;
}

void TGUIManager::SetMainForm(ITandorelMainForm *value)
{
    MainForm = value;
}

bool TGUIManager::IsFormCreated(int id) const
{
    CheckId(id);
    return Forms[id].Form != nullptr;
}

const TFormEntry &TGUIManager::Entry(int id) const
{
    CheckId(id);
    return Forms[id];
}

KTandorelForm *TGUIManager::GetForm(int id)
{
    CheckId(id);
    TFormEntry &entry = Forms[id];
    if (entry.Form)
        return entry.Form;
    if (!entry.FormClass)
        throw Exception(QStringLiteral("Unspecified form class: %1").arg(id));
    KTandorelForm *form = entry.FormClass();
    entry.Form = form;
    // A window freed by someone else must not stay behind as a dangling entry.
    QObject::connect(form, &QObject::destroyed, [this, id] { Forms[id].Form = nullptr; });
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

void TGUIManager::ShowForm(int id)
{
    KTandorelForm *form = GetForm(id);
    if (form->isMinimized())
        form->showNormal();
    else
        form->show();
    form->raise();
    form->activateWindow();
}

int TGUIManager::ShowFormModal(int id)
{
    return GetForm(id)->ShowModal();
}

void TGUIManager::SetStayOnTop(bool flag)
{
    if (MainForm)
        MainForm->SetAlwaysOnTop(flag);
    for (TFormEntry &entry : Forms)
        if (entry.Form)
            entry.Form->SetStayOnTop(flag);
}

void TGUIManager::TranslateAll()
{
    const TTranslationGroup texts;
    for (TFormEntry &entry : Forms)
        if (entry.Form)
            entry.Form->TranslateTexts();
}
