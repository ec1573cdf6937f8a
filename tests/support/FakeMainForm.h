#pragma once
// A main window for the tool-window tests that records what the controller
// and the tool windows ask of it.
#include "shell/uTandorelMainForm.h"

#include <QString>
#include <QStringList>

#include <functional>

class FakeMainForm : public ITandorelMainForm
{
public:
    int GetTop() override { return Top; }
    int GetLeft() override { return Left; }
    int GetHeight() override { return Height; }
    int GetWidth() override { return Width; }
    void DecimalSeparatorChanged() override {}
    void UpdateImaginaryUnitCaptions() override {}
    void ApplySettings() override {}
    void RestoreState() override {}
    void Show() override {}
    void SetCaption(const QString &) override {}
    void TranslateTexts() override {}
    void SetInput(const QString &Text) override { Input = Text; }
    QString GetInput() override
    {
        if (OnGetInput)
            OnGetInput();
        return Input;
    }
    void InsertText(const QString &Text) override { Inserted << Text; }
    QString GetInputBeforeCaret() override { return Caret < 0 ? Input : Input.left(Caret); }
    void ShowResult(const QString &Text) override { Result = Text; }
    void ShowError(const QString &Text, int, int) override { Error = Text; }
    void ClearError() override { Error.clear(); }
    void SetBackEnabled(bool Enabled) override { BackEnabled = Enabled; }
    void SetDecimals(int) override {}
    void SetAlwaysOnTop(bool OnTop) override
    {
        AlwaysOnTop = OnTop;
        ++OnTopCalls;
    }
    void ShowUpdateAvailable() override {}

    int Top = 100, Left = 100, Height = 300, Width = 400;
    QString Input;
    int Caret = -1; // characters before the caret; -1: at the end
    QString Result;
    QString Error;
    QStringList Inserted;
    bool BackEnabled = false;
    bool AlwaysOnTop = false;
    int OnTopCalls = 0;
    // Runs whenever someone reads the input, e.g. when a calculation starts.
    std::function<void()> OnGetInput;
};
