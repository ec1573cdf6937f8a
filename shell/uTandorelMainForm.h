#pragma once
// How the tool windows, the window registry and the controller see the main
// window. They never touch its controls; every access goes through these
// operations. The main window implements both interfaces; the pointers that
// others hold do not own it.
#include <QString>

// What a magnetic tool window needs to know about the main window: its outer
// frame (decorations included) in screen pixels, as it currently stands.
class IMagneticSuperiorForm
{
public:
    virtual ~IMagneticSuperiorForm() = default;

    virtual int GetTop() = 0;
    virtual int GetLeft() = 0;
    virtual int GetHeight() = 0;
    virtual int GetWidth() = 0;
};

// The main window's services, in their fixed order.
class ITandorelMainForm : public IMagneticSuperiorForm
{
public:
    // The decimal-point key shows the current decimal separator.
    virtual void DecimalSeparatorChanged() = 0;
    // Re-captions the four keys that carry the imaginary unit.
    virtual void UpdateImaginaryUnitCaptions() = 0;
    // Memory text, window position and stay-on-top from the user settings.
    virtual void ApplySettings() = 0;
    // Mode buttons, check boxes, decimals and modulus from the live state.
    virtual void RestoreState() = 0;
    // Shows the main window.
    virtual void Show() = 0;
    // Window caption := Text.
    virtual void SetCaption(const QString &text) = 0;
    // Menu, key and popup texts and the hints, from the loaded language.
    virtual void TranslateTexts() = 0;
    // Input line := Text, then the window is shown.
    virtual void SetInput(const QString &text) = 0;
    // The input line's text.
    virtual QString GetInput() = 0;
    // Inserts Text at the caret as a keypad key would (no continuation of a
    // finished calculation, no bracket added).
    virtual void InsertText(const QString &text) = 0;
    // Shows a result (clears the error label; an empty Text hides the result).
    virtual void ShowResult(const QString &text) = 0;
    // Shows an error message and selects characters Start+1 .. End of the
    // input (counted from 1); End = 0 selects the whole input.
    virtual void ShowError(const QString &text, int start, int end) = 0;
    // Empties the error label.
    virtual void ClearError() = 0;
    // Enables or disables the Back key.
    virtual void SetBackEnabled(bool enabled) = 0;
    // The decimals field shows N.
    virtual void SetDecimals(int n) = 0;
    // The main window stays on top of other windows exactly when OnTop.
    virtual void SetAlwaysOnTop(bool onTop) = 0;
    // Shows the "new version available" sign in the status bar.
    virtual void ShowUpdateAvailable() = 0;
    // The input line's text before the caret (before the selection, which
    // typed text replaces); a main window that cannot tell gives the whole
    // input, as if the caret stood at its end.
    virtual QString GetInputBeforeCaret() { return GetInput(); }
};
