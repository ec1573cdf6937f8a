#pragma once
// Base of every registered tool window.
#include "shell/uMagneticForm.h"

class KTandorelForm : public TMagneticForm
{
    Q_OBJECT

public:
    explicit KTandorelForm(QWidget *parent = nullptr) : TMagneticForm(parent) {}

    // Reads the window's texts from the translator. A window that keeps
    // texts in fields first resets them to their English defaults; then,
    // only while a language file is loaded, every caption, hint, column
    // title and text field becomes
    // TProgramTranslator::Instance()->Translate(section, key, current text),
    // so that a key the new language lacks keeps the previous text.
    virtual void TranslateTexts() = 0;
};

// The hand-overs by which the controller gives a tool window its expression.
// A window registered under one of these ids implements its interface; the
// controller finds it with dynamic_cast, so a window that lacks the entry
// fails the hand-over test instead of ignoring the call.

// Function graph: plots Expr (already checked, decimal numbers).
class IFunctionGraphHandOver
{
public:
    virtual ~IFunctionGraphHandOver() = default;
    virtual void ShowFunction(const QString &expr) = 0;
};

// Derivatives: Expr becomes the function to differentiate.
class IDerivativeHandOver
{
public:
    virtual ~IDerivativeHandOver() = default;
    virtual void SetFunction(const QString &expr) = 0;
};

// Series sum and product: Expr becomes the expression of the series.
class ISeriesHandOver
{
public:
    virtual ~ISeriesHandOver() = default;
    virtual void SetExpression(const QString &expr) = 0;
};

// Expression preview: Text as typed (unchecked), then drawn.
class IExpressionPreviewHandOver
{
public:
    virtual ~IExpressionPreviewHandOver() = default;
    virtual void SetExpression(const QString &text) = 0;
    virtual void Redraw() = 0;
};

// Preferences: the controls show the settings and the start-up state
// (LoadControls), and the start-up state shown there goes back into state
// instance 1 (StoreDefaultState).
class IStartupStateEditor
{
public:
    virtual ~IStartupStateEditor() = default;
    virtual void LoadControls() = 0;
    virtual void StoreDefaultState() = 0;
};

// A window that keeps changes the user has not saved yet (the expression
// browser's libraries). Before the program ends the main window asks every
// created window that implements it (KMainProgram::OfferUnsavedChanges).
class IUnsavedChangesOwner
{
public:
    virtual ~IUnsavedChangesOwner() = default;
    // Offers the changes for saving; false when the program should keep
    // running (the user cancelled, or saving failed). When the session ends
    // from outside (CanAsk false) nobody can answer: the changes are saved
    // without a question and the program ends whatever the outcome.
    virtual bool OfferUnsavedChanges(bool canAsk) = 0;
};
