#pragma once
// A tool window shown offscreen and active, with a recording main window in
// the registry and the engine state at its defaults before and after.
#include "shell/uGUIManager.h"
#include "tests/support/EngineState.h"
#include "tests/support/FakeMainForm.h"

#include <QTest>

#include <gtest/gtest.h>

template <class TWindow>
class ToolWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetEngineState();
        TGUIManager::Instance()->SetMainForm(&Main);
        Window.TranslateTexts();
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    }
    void TearDown() override
    {
        TGUIManager::Instance()->SetMainForm(nullptr);
        ResetEngineState();
    }

    FakeMainForm Main;
    TWindow Window;
};
