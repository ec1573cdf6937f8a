#include "core/uProgramSettings.h"
#include "shell/uGUIManager.h"
#include "tests/support/FakeMainForm.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {
int Translations = 0;
int Created = 0;

class CountingForm : public KTandorelForm
{
public:
    CountingForm()
    {
        ++Created;
        resize(120, 90);
    }
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
    EXPECT_EQ(MessageOf([&] { Manager()->GetForm(FormId::ExpressionBrowser); }),
              QStringLiteral("Unspecified form class: 5"));
    EXPECT_EQ(MessageOf([&] { Manager()->ShowForm(FormId::UnitConverter); }),
              QStringLiteral("Unspecified form class: 19"));
    EXPECT_THROW(Manager()->GetForm(TGUIManager::FormCount), ERangeError);
    EXPECT_THROW(Manager()->GetForm(-1), ERangeError);
    EXPECT_THROW(Manager()->RegisterFormClass(TGUIManager::FormCount, &CreateForm<CountingForm>), ERangeError);
    EXPECT_THROW(Manager()->IsFormCreated(TGUIManager::FormCount + 235), ERangeError);
}

TEST_F(Registry, CreatesOnFirstUseOnlyAndTranslatesOnce)
{
    Manager()->RegisterFormClass(FormId::History, &CreateForm<CountingForm>);
    EXPECT_FALSE(Manager()->IsFormCreated(FormId::History));
    KTandorelForm *first = Manager()->GetForm(FormId::History);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Manager()->IsFormCreated(FormId::History));
    EXPECT_FALSE(first->isVisible()); // created hidden
    EXPECT_FALSE(first->IsMagnetic());
    first->move(10, 20);
    EXPECT_EQ(Manager()->Form(FormId::History), first);
    EXPECT_EQ(Created, 1);
    EXPECT_EQ(Translations, 1);              // not re-read on the second look-up
    EXPECT_EQ(first->pos(), QPoint(10, 20)); // nor re-placed
    EXPECT_NE(Manager()->FormAs<CountingForm>(FormId::History), nullptr);
    EXPECT_EQ(Manager()->FormAs<OtherForm>(FormId::History), nullptr);

    Manager()->ShowForm(FormId::History);
    EXPECT_TRUE(first->isVisible());
    first->close(); // closing only hides
    EXPECT_TRUE(Manager()->IsFormCreated(FormId::History));
    EXPECT_FALSE(first->isVisible());
}

TEST_F(Registry, MagneticWindowOpensBesideTheMainWindow)
{
    RegistryMainForm main;
    Manager()->SetMainForm(&main);
    EXPECT_EQ(Manager()->GetMainForm(), &main);
    Manager()->RegisterMagneticFormClass(FormId::Variables, &CreateForm<CountingForm>, DockRight);
    EXPECT_TRUE(Manager()->Entry(FormId::Variables).IsMagnetic);
    EXPECT_EQ(Manager()->Entry(FormId::Variables).DockSide, DockRight);
    KTandorelForm *form = Manager()->GetForm(FormId::Variables);
    EXPECT_TRUE(form->IsMagnetic());
    EXPECT_EQ(form->GetMainForm(), &main);
    EXPECT_EQ(form->pos(), QPoint(600, 300)); // right of the main window, same top
}

TEST_F(Registry, StayOnTopFollowsTheSettingAndTheSwitch)
{
    RegistryMainForm main;
    Manager()->SetMainForm(&main);
    Manager()->RegisterFormClass(FormId::Constants, &CreateForm<CountingForm>);
    Manager()->RegisterFormClass(FormId::PrefixValues, &CreateForm<CountingForm>);
    Manager()->RegisterFormClass(FormId::ExpressionPreview, &CreateForm<CountingForm>);
    KProgramSettings::Instance()->OnTop = true;
    EXPECT_TRUE(Manager()->GetForm(FormId::Constants)->StaysOnTop());
    KProgramSettings::Instance()->OnTop = false;
    EXPECT_FALSE(Manager()->GetForm(FormId::PrefixValues)->StaysOnTop());

    Manager()->SetStayOnTop(true);
    EXPECT_TRUE(main.AlwaysOnTop);
    EXPECT_TRUE(Manager()->GetForm(FormId::Constants)->StaysOnTop());
    EXPECT_TRUE(Manager()->GetForm(FormId::PrefixValues)->StaysOnTop());
    EXPECT_FALSE(Manager()->IsFormCreated(FormId::ExpressionPreview)); // never created by the switch

    Manager()->SetStayOnTop(false);
    EXPECT_FALSE(main.AlwaysOnTop);
    EXPECT_EQ(main.OnTopCalls, 2);
    EXPECT_FALSE(Manager()->GetForm(FormId::Constants)->StaysOnTop());
    EXPECT_FALSE(Manager()->GetForm(FormId::PrefixValues)->StaysOnTop());
}

TEST_F(Registry, TranslateAllReachesOnlyCreatedWindows)
{
    Manager()->RegisterFormClass(FormId::Language, &CreateForm<CountingForm>);
    Manager()->RegisterFormClass(FormId::About, &CreateForm<CountingForm>);
    Manager()->GetForm(FormId::About);
    Translations = 0;
    Manager()->TranslateAll();
    EXPECT_EQ(Translations, 1);
    EXPECT_FALSE(Manager()->IsFormCreated(FormId::Language));
}

TEST_F(Registry, AWindowFreedElsewhereIsCreatedAgain)
{
    Manager()->RegisterFormClass(FormId::UpdateInfo, &CreateForm<CountingForm>);
    delete Manager()->GetForm(FormId::UpdateInfo);
    EXPECT_FALSE(Manager()->IsFormCreated(FormId::UpdateInfo));
    EXPECT_NE(Manager()->GetForm(FormId::UpdateInfo), nullptr);
    EXPECT_EQ(Created, 2);
}
