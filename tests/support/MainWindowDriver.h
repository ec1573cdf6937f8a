#pragma once
// The real main window, shown offscreen and driven as a user drives it:
// keys typed into the input line, keys and mode buttons clicked, and what
// the window then shows. Creating it resets the engine state and hands the
// window to the registry; destroying it undoes both.
#include "shell/fMain.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "tests/support/EngineState.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

class TMainWindowDriver
{
public:
    TMainWindowDriver()
    {
        ResetEngineState();
        Form = new TMainFrm();
        TGUIManager::Instance()->SetMainForm(Form);
        Form->RestoreState();
        Form->show();
        Input = Form->findChild<QTextEdit *>(QStringLiteral("vstupRdt"));
        Input->setFocus();
    }
    ~TMainWindowDriver()
    {
        TGUIManager::Instance()->SetMainForm(nullptr);
        delete Form;
        // The controller's history and last error start afresh.
        KMainProgram::DestroyInstance();
        ResetEngineState();
    }
    TMainWindowDriver(const TMainWindowDriver &) = delete;
    TMainWindowDriver &operator=(const TMainWindowDriver &) = delete;

    QAbstractButton *Key(const char *Name) const
    {
        auto *b = Form->findChild<QAbstractButton *>(QLatin1String(Name));
        EXPECT_TRUE(b) << Name;
        return b;
    }
    void Click(const char *Name) const { QTest::mouseClick(Key(Name), Qt::LeftButton); }
    void Type(const QString &Text) const { QTest::keyClicks(Input, Text); }
    void Enter() const { QTest::keyClick(Input, Qt::Key_Return); }
    QString Text() const { return Input->toPlainText(); }
    // The result as shown; empty while the result field is hidden.
    QString Display() const
    {
        auto *r = Form->findChild<QLineEdit *>(QStringLiteral("vysledokEdt"));
        return r->isVisible() ? r->text() : QString();
    }
    QString ErrorLabel() const { return Form->findChild<QLabel *>(QStringLiteral("LblChyba"))->text(); }
    bool WarningShown() const { return Form->findChild<QLabel *>(QStringLiteral("warningImg"))->isVisible(); }

    TMainFrm *Form = nullptr;
    QTextEdit *Input = nullptr;
};
