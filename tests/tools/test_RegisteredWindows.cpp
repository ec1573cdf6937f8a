// What every window of the registry does alike, with the real main window:
// it belongs to the main window (stays above it), closes on Escape, and the
// large ones open beside the calculator on its screen.
#include "shell/fUpravyKonstant.h"
#include "shell/fVariables.h"
#include "shell/uDisk.h"
#include "shell/uMainProgramStartup.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"
#include "tools/fUpravyKniznice.h"
#include "tools/fUpravyVyrazu.h"
#include "tools/uToolWindows.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMetaEnum>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

class RegisteredWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The libraries and units that come with the program: the browser
        // and the unit converter open on them.
        const QString data = qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/");
        for (const QString &name : {QStringLiteral("lib/geometry.xml"), QStringLiteral("units/en/units.xml")}) {
            QFile in(data + name);
            ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << name.toStdString();
            Dir.write(name, in.readAll());
        }
        SetProgramDir(Dir.path());
        Driver = std::make_unique<TMainWindowDriver>();
        Driver->Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Driver->Form));
        RegisterToolWindows(&RegisterToolWindowClasses);
        Gui = TGUIManager::Instance();
    }
    void TearDown() override
    {
        // As at program end: the windows go before the main window.
        TGUIManager::FreeInstance();
        Driver.reset();
        SetProgramDir(QString());
    }

    // Every id of the registry with its name.
    static QList<std::pair<int, QByteArray>> Ids()
    {
        QList<std::pair<int, QByteArray>> ids;
        const QMetaEnum names = QMetaEnum::fromType<FormId::TFormId>();
        for (int i = 0; i < names.keyCount(); ++i)
            ids.append({names.value(i), names.key(i)});
        return ids;
    }
    // Shows the window as the menus do and makes it the active one.
    KTandorelForm *Open(int Id)
    {
        Gui->ShowForm(Id);
        KTandorelForm *form = Gui->GetForm(Id);
        form->activateWindow();
        // Not qWaitForWindowActive: an owned window counts as active there
        // as soon as its owner is.
        EXPECT_TRUE(QTest::qWaitFor([form] { return QApplication::activeWindow() == form; }));
        return form;
    }
    static void PressEscape(QWidget *Window)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == Window ? focus : Window, Qt::Key_Escape);
    }

    TempProgramDir Dir;
    std::unique_ptr<TMainWindowDriver> Driver;
    TGUIManager *Gui = nullptr;
};

} // namespace

TEST_F(RegisteredWindows, EveryIdIsNamedAndRegistered)
{
    const auto ids = Ids();
    ASSERT_EQ(ids.size(), TGUIManager::FormCount);
    for (int i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(ids[i].first, i) << ids[i].second.constData();
        EXPECT_TRUE(Gui->Entry(ids[i].first).FormClass) << ids[i].second.constData();
    }
}

TEST_F(RegisteredWindows, EveryWindowBelongsToTheMainWindowAndLeavesItUsable)
{
    for (const auto &[id, name] : Ids()) {
        KTandorelForm *form = Open(id);
        ASSERT_TRUE(form->windowHandle()) << name.constData();
        EXPECT_EQ(form->windowHandle()->transientParent(), Driver->Form->windowHandle()) << name.constData();
        // Only these kinds are marked transient for the window manager.
        EXPECT_TRUE(form->windowType() == Qt::Dialog || form->windowType() == Qt::Tool) << name.constData();
        EXPECT_EQ(form->windowModality(), Qt::NonModal) << name.constData();
        form->hide();
    }
    // The main window still takes keys with a tool window open.
    Open(FormId::History);
    Driver->Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Driver->Form));
    Driver->Type(QStringLiteral("6*7"));
    Driver->Enter();
    EXPECT_EQ(Driver->Display().trimmed(), QStringLiteral("42"));
    EXPECT_TRUE(Gui->GetForm(FormId::History)->isVisible());
}

TEST_F(RegisteredWindows, EscapeClosesEveryWindow)
{
    for (const auto &[id, name] : Ids()) {
        KTandorelForm *form = Open(id);
        ASSERT_TRUE(form->isVisible()) << name.constData();
        PressEscape(form);
        EXPECT_FALSE(form->isVisible()) << name.constData();
    }
    // A window shown modally reports Escape as a cancel.
    QTimer::singleShot(0, qApp, [this] { PressEscape(Gui->GetForm(FormId::About)); });
    EXPECT_EQ(Gui->ShowFormModal(FormId::About), mrCancel);
}

TEST_F(RegisteredWindows, EscapeFirstEndsAnEditInPlace)
{
    auto *variables = static_cast<TVariablesFrm *>(Open(FormId::Variables));
    auto *grid = variables->findChild<QTableWidget *>();
    ASSERT_TRUE(grid);
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abc"));
    const auto editing = [grid] {
        QWidget *focus = QApplication::focusWidget();
        return qobject_cast<QLineEdit *>(focus) && grid->isAncestorOf(focus);
    };
    ASSERT_TRUE(editing());
    PressEscape(variables);
    EXPECT_FALSE(editing());
    EXPECT_TRUE(variables->isVisible());
    EXPECT_EQ(grid->item(0, 0)->text(), QString()); // the edit was undone
    PressEscape(variables);
    EXPECT_FALSE(variables->isVisible());
}

TEST_F(RegisteredWindows, TheEditDialogsCloseOnEscape)
{
    TUpravyKnizniceFrm library;
    TUpravyVyrazuFrm expression;
    const std::pair<const char *, QDialog *> dialogs[] = {
        {"constant", TuprKonstFrm::Instance()},
        {"library", &library},
        {"expression", &expression},
    };
    for (const auto &[name, dialog] : dialogs) {
        QTimer::singleShot(0, qApp, [dialog = dialog] { PressEscape(dialog); });
        EXPECT_EQ(dialog->exec(), QDialog::Rejected) << name;
        EXPECT_FALSE(dialog->isVisible()) << name;
    }
    TuprKonstFrm::FreeInstance();
}

TEST_F(RegisteredWindows, TheGraphAndTheBrowserOpenBesideTheCalculatorOnItsScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    Driver->Form->move(area.left() + 10, area.top() + 40);
    for (int id : {FormId::FunctionGraph, FormId::ExpressionBrowser}) {
        KTandorelForm *form = Open(id);
        const QRect main = Driver->Form->frameGeometry();
        const QRect frame = form->frameGeometry();
        EXPECT_EQ(frame.topLeft(), BesidePlacement(main, frame.size(), area)) << id;
        EXPECT_EQ(frame.top(), main.top()) << id; // level with the calculator, not in the corner
        EXPECT_TRUE(area.contains(frame.topLeft())) << id;
        // The side with more room is the right one here.
        EXPECT_GT(frame.right(), main.right()) << id;
        form->hide();
    }
}
