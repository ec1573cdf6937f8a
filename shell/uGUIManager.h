#pragma once
// The registry of the twenty tool windows, reached by window id 0 to 19.
// A window is created the first time it is asked for, placed (when magnetic),
// given the stay-on-top style of the settings and its texts; afterwards it
// lives until program end and closing it only hides it.
//
// Registration takes a factory in place of a class:
//     gui->RegisterMagneticFormClass(FormId::History, &CreateForm<ThistoriaFrm>, DockCentred);
//     gui->RegisterFormClass(FormId::FunctionGraph, &CreateForm<TFunctionGraphFrm>);
#include "core/uSingleton.h"
#include "shell/uTandorelForm.h"
#include "shell/uTandorelMainForm.h"

#include <QObject>
#include <QtGlobal>

// The window ids of the registry. Stored nowhere, but fixed: the order of
// translation and of the stay-on-top switch follows them. Their names are
// known at run time (QMetaEnum), so that every id can be gone through by
// name.
namespace FormId {
Q_NAMESPACE
enum TFormId : int {
    History = 0,
    Constants = 1,
    PrefixValues = 2,
    Variables = 3,
    ExpressionPreview = 4,
    ExpressionBrowser = 5,
    Settings = 6,
    Language = 7,
    About = 8,
    UpdateInfo = 9,
    SelfTest = 10,
    SeriesSum = 11,
    FunctionGraph = 12,
    Polynomials = 13,
    Combinatorics = 14,
    Statistics = 15,
    RuleOfThree = 16,
    Derivatives = 17,
    QuadraticEquation = 18,
    UnitConverter = 19,
};
Q_ENUM_NS(TFormId)
} // namespace FormId

// Makes a new, hidden, parentless window of one tool-window class.
using TFormClass = KTandorelForm *(*)();

template <class T>
KTandorelForm *CreateForm()
{
    return new T();
}

struct TFormEntry
{
    TFormClass FormClass = nullptr; // nil: unregistered
    KTandorelForm *Form = nullptr;  // nil until first use
    bool IsMagnetic = false;
    quint8 DockSide = DockCentred; // 0 left, 1 right, 2 centred
};

class TGUIManager : public TSingleton
{
public:
    static constexpr int FormCount = 20;

    // The single object, created on first use.
    static TGUIManager *Instance();
    // Destroys the single object (and its windows); the next Instance
    // creates it afresh.
    static void FreeInstance();

    // Every operation that takes an id raises ERangeError for one outside 0..19.
    void RegisterFormClass(int id, TFormClass formClass);
    void RegisterMagneticFormClass(int id, TFormClass formClass, quint8 dockSide);

    void SetMainForm(ITandorelMainForm *mainForm);
    ITandorelMainForm *GetMainForm() const { return MainForm; }

    bool IsFormCreated(int id) const;
    // The window, created on first use; an id without a class raises
    // Exception "Unspecified form class: %d". A main window that is a widget
    // owns the new window (TMagneticForm::SetOwner).
    KTandorelForm *GetForm(int id);
    KTandorelForm *Form(int id) { return GetForm(id); }
    // The window cast to its own class (nullptr when it is of another class).
    template <class T>
    T *FormAs(int id)
    {
        return dynamic_cast<T *>(GetForm(id));
    }

    // GetForm, then shows the window and brings it to the front.
    void ShowForm(int id);
    // GetForm, then shows it modally and returns its modal result.
    int ShowFormModal(int id);

    // The main window's SetAlwaysOnTop, then every created tool window.
    void SetStayOnTop(bool flag);
    // TranslateTexts of every created tool window, ids 0 to 19 in order.
    void TranslateAll();

    // The entry of an id (for inspection).
    const TFormEntry &Entry(int id) const;

protected:
    TGUIManager();
    ~TGUIManager() override; // frees the created windows

private:
    static void CheckId(int id);

    ITandorelMainForm *MainForm = nullptr;
    TFormEntry Forms[FormCount];
};
