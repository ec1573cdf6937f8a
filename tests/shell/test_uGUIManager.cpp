#include "core/uProgramSettings.h"
#include "shell/uGUIManager.h"
#include "tests/shell/FakeMainForm.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {
int Translations = 0;
int Created = 0;

class CountingForm : public KTandorelForm
{
public:
    CountingForm() { ++Created; resize(120, 90); }
    void TranslateTexts() override { ++Translations; }
};

class OtherForm : public KTandorelForm
{
public:
    void TranslateTexts() override {}
};

// The registry's tests place windows around a main window at 400, 300.
class RegistryMainForm : public FakeMainForm
{
public:
    RegistryMainForm()
    {
        Top = 300;
        Left = 400;
        Height = 100;
        Width = 200;
    }
};

class Registry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Translations = Created = 0;
        KProgramSettings::Instance()->OnTop = false;
    }
    void TearDown() override
    {
        TGUIManager::FreeInstance();
        KProgramSettings::Instance()->OnTop = false;
    }
    TGUIManager *Manager() { return TGUIManager::Instance(); }
};

QString MessageOf(const std::function<void()> &run)
{
    try {
        run();
    } catch (const Exception &e) {
        return e.Message();
    }
    return QStringLiteral("(nothing raised)");
}
} // namespace

TEST_F(Registry, StartsEmptyWithEveryEntryCentred)
{
    for (int id = 0; id < TGUIManager::FormCount; ++id) {
        const TFormEntry &e = Manager()->Entry(id);
        EXPECT_EQ(e.FormClass, nullptr);
        EXPECT_EQ(e.Form, nullptr);
        EXPECT_FALSE(e.IsMagnetic);
        EXPECT_EQ(e.DockSide, DockCentred);
    }
}

TEST_F(Registry, UnregisteredAndOutOfRangeIds)
{
    EXPECT_EQ(MessageOf([&] { Manager()->GetForm(5); }), QStringLiteral("Unspecified form class: 5"));
    EXPECT_EQ(MessageOf([&] { Manager()->ShowForm(19); }), QStringLiteral("Unspecified form class: 19"));
    EXPECT_THROW(Manager()->GetForm(20), ERangeError);
    EXPECT_THROW(Manager()->GetForm(-1), ERangeError);
    EXPECT_THROW(Manager()->RegisterFormClass(20, &CreateForm<CountingForm>), ERangeError);
    EXPECT_THROW(Manager()->IsFormCreated(255), ERangeError);
}

TEST_F(Registry, CreatesOnFirstUseOnlyAndTranslatesOnce)
{
    Manager()->RegisterFormClass(0, &CreateForm<CountingForm>);
    EXPECT_FALSE(Manager()->IsFormCreated(0));
    KTandorelForm *first = Manager()->GetForm(0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Manager()->IsFormCreated(0));
    EXPECT_FALSE(first->isVisible()); // created hidden
    EXPECT_FALSE(first->IsMagnetic());
    first->move(10, 20);
    EXPECT_EQ(Manager()->Form(0), first);
    EXPECT_EQ(Created, 1);
    EXPECT_EQ(Translations, 1); // not re-read on the second look-up
    EXPECT_EQ(first->pos(), QPoint(10, 20)); // nor re-placed
    EXPECT_NE(Manager()->FormAs<CountingForm>(0), nullptr);
    EXPECT_EQ(Manager()->FormAs<OtherForm>(0), nullptr);

    Manager()->ShowForm(0);
    EXPECT_TRUE(first->isVisible());
    first->close(); // closing only hides
    EXPECT_TRUE(Manager()->IsFormCreated(0));
    EXPECT_FALSE(first->isVisible());
}

TEST_F(Registry, MagneticWindowOpensBesideTheMainWindow)
{
    RegistryMainForm main;
    Manager()->SetMainForm(&main);
    EXPECT_EQ(Manager()->GetMainForm(), &main);
    Manager()->RegisterMagneticFormClass(3, &CreateForm<CountingForm>, DockRight);
    EXPECT_TRUE(Manager()->Entry(3).IsMagnetic);
    EXPECT_EQ(Manager()->Entry(3).DockSide, DockRight);
    KTandorelForm *form = Manager()->GetForm(3);
    EXPECT_TRUE(form->IsMagnetic());
    EXPECT_EQ(form->GetMainForm(), &main);
    EXPECT_EQ(form->pos(), QPoint(600, 300)); // right of the main window, same top
}

TEST_F(Registry, StayOnTopFollowsTheSettingAndTheSwitch)
{
    RegistryMainForm main;
    Manager()->SetMainForm(&main);
    Manager()->RegisterFormClass(1, &CreateForm<CountingForm>);
    Manager()->RegisterFormClass(2, &CreateForm<CountingForm>);
    Manager()->RegisterFormClass(4, &CreateForm<CountingForm>);
    KProgramSettings::Instance()->OnTop = true;
    EXPECT_TRUE(Manager()->GetForm(1)->StaysOnTop());
    KProgramSettings::Instance()->OnTop = false;
    EXPECT_FALSE(Manager()->GetForm(2)->StaysOnTop());

    Manager()->SetStayOnTop(true);
    EXPECT_TRUE(main.AlwaysOnTop);
    EXPECT_TRUE(Manager()->GetForm(1)->StaysOnTop());
    EXPECT_TRUE(Manager()->GetForm(2)->StaysOnTop());
    EXPECT_FALSE(Manager()->IsFormCreated(4)); // never created by the switch

    Manager()->SetStayOnTop(false);
    EXPECT_FALSE(main.AlwaysOnTop);
    EXPECT_EQ(main.OnTopCalls, 2);
    EXPECT_FALSE(Manager()->GetForm(1)->StaysOnTop());
    EXPECT_FALSE(Manager()->GetForm(2)->StaysOnTop());
}

TEST_F(Registry, TranslateAllReachesOnlyCreatedWindows)
{
    Manager()->RegisterFormClass(7, &CreateForm<CountingForm>);
    Manager()->RegisterFormClass(8, &CreateForm<CountingForm>);
    Manager()->GetForm(8);
    Translations = 0;
    Manager()->TranslateAll();
    EXPECT_EQ(Translations, 1);
    EXPECT_FALSE(Manager()->IsFormCreated(7));
}

TEST_F(Registry, AWindowFreedElsewhereIsCreatedAgain)
{
    Manager()->RegisterFormClass(9, &CreateForm<CountingForm>);
    delete Manager()->GetForm(9);
    EXPECT_FALSE(Manager()->IsFormCreated(9));
    EXPECT_NE(Manager()->GetForm(9), nullptr);
    EXPECT_EQ(Created, 2);
}
