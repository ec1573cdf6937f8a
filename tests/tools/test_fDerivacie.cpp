// The derivatives window as a user meets it: the hand-over, the variable
// list, the order, the online request against a local server (its exact
// query, the reply rules, time-out, overtaking and aborts), the preview
// button, the hidden local route and the translated texts.
#include "tools/fDerivacie.h"

#include "shell/uAccessibility.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"
#include "shell/uUpDown.h"
#include "tests/support/EngineState.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TestWebHost.h"
#include "tests/support/ToolWindowFixture.h"
#include "tools/uToolWindows.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QByteArray Path = "/api/v0/differentiation";

class DerivativesWindow : public ToolWindowTest<TderivacieFrm>
{
protected:
    void SetUp() override
    {
        ToolWindowTest::SetUp();
        SetMakerWebHost(Server.HostAndPort());
    }
    void TearDown() override
    {
        SetMakerWebHost(TestWebHost());
        ToolWindowTest::TearDown();
    }

    template <class T>
    T *Child(const char *Name) const
    {
        T *w = Window.findChild<T *>(QLatin1String(Name));
        EXPECT_NE(w, nullptr) << Name;
        return w;
    }
    QLineEdit *Result() const { return Child<QLineEdit>("vysledokEdt"); }
    QComboBox *Variables() const { return Child<QComboBox>("premenneCmb"); }
    QStringList VariableItems() const
    {
        QStringList items;
        for (int i = 0; i < Variables()->count(); ++i)
            items << Variables()->itemText(i);
        return items;
    }
    bool ShownAsError() const { return Result()->palette().color(QPalette::Text) == QColor(255, 0, 0); }
    bool Busy() const { return Window.testAttribute(Qt::WA_SetCursor) && Window.cursor().shape() == Qt::WaitCursor; }
    void Calculate() const { QTest::mouseClick(Child<QPushButton>("vypocetBtn"), Qt::LeftButton); }
    // Serves events until the request has ended.
    bool WaitForAnswer(int TimeoutMs = 5000) const
    {
        QElapsedTimer timer;
        timer.start();
        while (Window.RequestRunning() && timer.elapsed() < TimeoutMs)
            QTest::qWait(10);
        return !Window.RequestRunning();
    }
    QString Ask(const QString &Function, const TLocalHttpServer::TReply &Reply)
    {
        Server.Route(Path, Reply);
        Window.SetFunction(Function);
        Calculate();
        EXPECT_TRUE(WaitForAnswer());
        return Result()->text();
    }

    TLocalHttpServer Server;
};

TEST_F(DerivativesWindow, ControlsAsLaidOut)
{
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("Function derivative"));
    EXPECT_EQ(Child<QLabel>("premennaLbl")->text(), QStringLiteral("&Variable:"));
    EXPECT_EQ(Child<QLabel>("stupenLbl")->text(), QStringLiteral("&Order:"));
    EXPECT_TRUE(Child<QLabel>("stupenLbl")->alignment() & Qt::AlignRight);
    EXPECT_EQ(Child<QLabel>("funkciaLbl")->text(), QStringLiteral("&Function:"));
    EXPECT_EQ(Child<QLabel>("derivaciaLbl")->text(), QStringLiteral("&Derivative:"));
    EXPECT_EQ(Child<QPushButton>("vypocetBtn")->text(), QStringLiteral("Ca&lculate"));
    EXPECT_TRUE(Child<QPushButton>("vypocetBtn")->font().bold());
    EXPECT_FALSE(Child<QToolButton>("nahladBtn")->icon().isNull());
    EXPECT_EQ(Child<QLineEdit>("funkciaEdt")->text(), QStringLiteral("0"));
    EXPECT_EQ(Child<QLineEdit>("stupenDerivacieEdt")->text(), QStringLiteral("1"));
    for (const char *edit : {"funkciaEdt", "stupenDerivacieEdt", "vysledokEdt"})
        EXPECT_TRUE(Child<QLineEdit>(edit)->isReadOnly()) << edit;
    EXPECT_FALSE(Variables()->isEditable());
    for (const char *hidden : {"Edit2", "Edit3", "Button1", "Button2", "Button3"})
        EXPECT_FALSE(Child<QWidget>(hidden)->isVisible()) << hidden;
    EXPECT_EQ(Window.height(), 153);
    EXPECT_EQ(Window.minimumHeight(), 153);
    EXPECT_EQ(Window.maximumHeight(), 153);
    EXPECT_EQ(Window.minimumWidth(), 320);
    EXPECT_FALSE(Window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(Window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(Window.RequestTimeoutMs, 10000);
}

// The darkest ink of the preview glyph against the button it sits on, after
// the theme turned dark and back while the window was open.
TEST_F(DerivativesWindow, ThePreviewGlyphFollowsAThemeChangedWhileOpen)
{
    const auto inkContrast = [this] {
        auto *button = Child<QToolButton>("nahladBtn");
        const QImage glyph = button->icon().pixmap(QSize(16, 16), Window.devicePixelRatioF()).toImage();
        EXPECT_EQ(glyph.devicePixelRatio(), Window.devicePixelRatioF());
        const QColor face = button->palette().color(QPalette::Button);
        double best = 1;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                if (qAlpha(glyph.pixel(x, y)) == 255)
                    best = qMax(best, ContrastRatio(glyph.pixelColor(x, y), face));
        return best;
    };
    Window.show();
    EXPECT_GE(inkContrast(), 4.5);
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    QApplication::setPalette(dark);
    QApplication::processEvents();
    EXPECT_GE(inkContrast(), 4.5);
    QApplication::setPalette(light);
    QApplication::processEvents();
    EXPECT_GE(inkContrast(), 4.5);
}

TEST_F(DerivativesWindow, OrderRunsFromOneToTen)
{
    auto *updown = Child<TUpDown>("stupenDerivacieUpd");
    auto *order = Child<QLineEdit>("stupenDerivacieEdt");
    QTest::mouseClick(updown->DownButton(), Qt::LeftButton);
    EXPECT_EQ(order->text(), QStringLiteral("1"));
    for (int i = 0; i < 12; ++i)
        QTest::mouseClick(updown->UpButton(), Qt::LeftButton);
    EXPECT_EQ(order->text(), QStringLiteral("10"));
    QTest::mouseClick(updown->DownButton(), Qt::LeftButton);
    EXPECT_EQ(order->text(), QStringLiteral("9"));
}

TEST_F(DerivativesWindow, HandOverListsTheVariables)
{
    Window.SetFunction(QStringLiteral("y*x+sin(y)"));
    EXPECT_EQ(Child<QLineEdit>("funkciaEdt")->text(), QStringLiteral("y*x+sin(y)"));
    EXPECT_EQ(VariableItems(), (QStringList{QStringLiteral("y"), QStringLiteral("x")}));
    EXPECT_EQ(Variables()->currentText(), QStringLiteral("x"));

    Window.SetFunction(QStringLiteral("y^2+$pi"));
    EXPECT_EQ(VariableItems(), QStringList{QStringLiteral("y")});
    EXPECT_EQ(Variables()->currentText(), QStringLiteral("y"));

    // A new hand-over drops the derivative of the old function.
    EXPECT_EQ(Ask(QStringLiteral("x^2"), TLocalHttpServer::TReply::Ok("OK:2*x")), QStringLiteral("2*x"));
    Window.SetFunction(QStringLiteral("x^3"));
    EXPECT_EQ(Result()->text(), QString());
}

TEST_F(DerivativesWindow, TheQueryCarriesExactlyTheKeysAndValues)
{
    Server.Route(Path, TLocalHttpServer::TReply::Ok("OK:2"));
    Window.SetFunction(QStringLiteral("x^2"));
    QTest::mouseClick(Child<TUpDown>("stupenDerivacieUpd")->UpButton(), Qt::LeftButton);
    Calculate();
    EXPECT_TRUE(Busy());
    ASSERT_TRUE(WaitForAnswer());
    ASSERT_EQ(Server.Targets.size(), 1);
    EXPECT_EQ(Server.Targets[0], QByteArray("/api/v0/differentiation?expression=x%5E2&variable=x&order=2"
                                            "&groupingSeparator=%20&decimalSeparator=."));
    EXPECT_EQ(Result()->text(), QStringLiteral("2"));
    EXPECT_FALSE(ShownAsError());
    EXPECT_FALSE(Busy());

    // Blanks, signs and the decimal comma are encoded; so is the separator.
    DecimalSeparator = u',';
    Window.SetFunction(QStringLiteral("a + 1,5*b"));
    Variables()->setCurrentIndex(1);
    Calculate();
    ASSERT_TRUE(WaitForAnswer());
    ASSERT_EQ(Server.Targets.size(), 2);
    EXPECT_EQ(Server.Targets[1], QByteArray("/api/v0/differentiation?expression=a+%2B+1%2C5*b&variable=b&order=2"
                                            "&groupingSeparator=%20&decimalSeparator=%2C"));
}

TEST_F(DerivativesWindow, OnlyASuccessfulAnswerOfTheServiceCounts)
{
    using R = TLocalHttpServer::TReply;
    const QString failed = QStringLiteral("Server unavailable. Check your internet connection.");
    const struct
    {
        R Reply;
        QString Shown;
        bool Error;
    } cases[] = {
        {R::Ok("OK:2*x\r\n"), QStringLiteral("2*x"), false},
        {R::Ok("OK:cos(x)*1").InPieces(3), QStringLiteral("cos(x)*1"), false},
        {R::With(201, "OK:1"), QStringLiteral("1"), false},
        {R::Ok("---"), QStringLiteral("---"), true},
        {R::Ok("OK:"), QStringLiteral("---"), true},
        {R::Ok("<html>Error. OK:2*x</html>"), QStringLiteral("---"), true},
        // One line of text or nothing: the field shows one line.
        {R::Ok("OK:2*x\r\n<p>debug</p>"), QStringLiteral("---"), true},
        {R::Ok("OK:2*x\tx"), QStringLiteral("---"), true},
        {R::Ok("OK:2\xFF*x"), QStringLiteral("---"), true},
        {R::Ok("OK: \xC3\xA9*x \n"), QString::fromUtf8("\xC3\xA9*x"), false},
        {R::With(404, "OK:2*x"), failed, true},
        {R::With(500, "OK:2*x"), failed, true},
        {R::Ok(QByteArray(TderivacieFrm::MaxReplyBytes + 10, 'x').prepend("OK:")), failed, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Reply.Body.left(30).toStdString());
        EXPECT_EQ(Ask(QStringLiteral("x^2"), c.Reply), c.Shown);
        EXPECT_EQ(ShownAsError(), c.Error);
        EXPECT_FALSE(Busy());
    }
}

TEST_F(DerivativesWindow, NoServerAndASilentOneAreConnectionErrors)
{
    Window.RequestTimeoutMs = 300;
    EXPECT_EQ(Ask(QStringLiteral("x"), TLocalHttpServer::TReply::Silence()),
              QStringLiteral("Server unavailable. Check your internet connection."));
    EXPECT_TRUE(ShownAsError());
    EXPECT_FALSE(Busy());

    // A port where nothing listens.
    quint16 port = 0;
    {
        TLocalHttpServer gone;
        port = gone.Port();
    }
    SetMakerWebHost(QStringLiteral("127.0.0.1:%1").arg(port));
    Window.RequestTimeoutMs = 5000;
    Window.SetFunction(QStringLiteral("x"));
    Calculate();
    ASSERT_TRUE(WaitForAnswer());
    EXPECT_EQ(Result()->text(), QStringLiteral("Server unavailable. Check your internet connection."));
    EXPECT_TRUE(ShownAsError());

    // In the narrowest window the message is longer than the field: its
    // start shows and the whole of it is the field's tooltip.
    Window.resize(Window.minimumWidth(), Window.height());
    QCoreApplication::processEvents();
    ASSERT_GT(Result()->fontMetrics().horizontalAdvance(Result()->text()), Result()->width());
    EXPECT_EQ(Result()->cursorPosition(), 0);
    EXPECT_EQ(Result()->toolTip(), Result()->text());
    Window.ShowResult(QStringLiteral("2*x"));
    EXPECT_EQ(Result()->toolTip(), QStringLiteral("2*x"));
}

TEST_F(DerivativesWindow, ANewerRequestOvertakesASlowOne)
{
    Server.Route(Path, TLocalHttpServer::TReply::Ok("OK:old").After(400));
    Window.SetFunction(QStringLiteral("x^2"));
    Calculate();
    ASSERT_TRUE(Server.WaitForRequests(1));
    Server.Route(Path, TLocalHttpServer::TReply::Ok("OK:new"));
    Calculate();
    ASSERT_TRUE(WaitForAnswer());
    EXPECT_EQ(Result()->text(), QStringLiteral("new"));
    // The slow reply's time passes; it is never shown.
    QTest::qWait(700);
    EXPECT_EQ(Result()->text(), QStringLiteral("new"));
    EXPECT_EQ(Server.Targets.size(), 2);
}

TEST_F(DerivativesWindow, ChangesAndClosingAbortTheRunningRequest)
{
    Server.Route(Path, TLocalHttpServer::TReply::Silence());
    Window.SetFunction(QStringLiteral("x*y"));

    Calculate();
    ASSERT_TRUE(Window.RequestRunning());
    Variables()->setCurrentIndex(1);
    EXPECT_FALSE(Window.RequestRunning());
    EXPECT_FALSE(Busy());

    Calculate();
    ASSERT_TRUE(Window.RequestRunning());
    QTest::mouseClick(Child<TUpDown>("stupenDerivacieUpd")->UpButton(), Qt::LeftButton);
    EXPECT_FALSE(Window.RequestRunning());

    Calculate();
    ASSERT_TRUE(Window.RequestRunning());
    Window.SetFunction(QStringLiteral("x"));
    EXPECT_FALSE(Window.RequestRunning());

    // Closed while the service thinks: nothing more is shown.
    Server.Route(Path, TLocalHttpServer::TReply::Ok("OK:late").After(200));
    Calculate();
    ASSERT_TRUE(Window.RequestRunning());
    Window.close();
    EXPECT_FALSE(Window.RequestRunning());
    QTest::qWait(400);
    EXPECT_EQ(Result()->text(), QString());

    // Program exit, with the window still open.
    Window.show();
    Calculate();
    ASSERT_TRUE(Window.RequestRunning());
    ASSERT_TRUE(QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection));
    EXPECT_FALSE(Window.RequestRunning());
}

TEST_F(DerivativesWindow, WithoutAVariableTheAnswerIsZero)
{
    Server.Route(Path, TLocalHttpServer::TReply::Ok("OK:never"));
    Window.SetFunction(QStringLiteral("2+sin(3)+$pi"));
    EXPECT_EQ(Variables()->count(), 0);
    Calculate();
    EXPECT_FALSE(Window.RequestRunning());
    EXPECT_EQ(Result()->text(), QStringLiteral("0"));
    EXPECT_FALSE(ShownAsError());
    QTest::qWait(50);
    EXPECT_TRUE(Server.Targets.isEmpty());
}

// Stands in for the preview window.
class PreviewFrm : public KTandorelForm, public IExpressionPreviewHandOver
{
public:
    static inline QStringList Received;
    void TranslateTexts() override {}
    void SetExpression(const QString &Text) override { Received << Text; }
    void Redraw() override {}
};

TEST_F(DerivativesWindow, PreviewShowsTheDerivative)
{
    TGUIManager::Instance()->RegisterFormClass(FormId::ExpressionPreview, &CreateForm<PreviewFrm>);
    EXPECT_EQ(Ask(QStringLiteral("x^2"), TLocalHttpServer::TReply::Ok("OK:2*x")), QStringLiteral("2*x"));
    QTest::mouseClick(Child<QToolButton>("nahladBtn"), Qt::LeftButton);
    EXPECT_EQ(PreviewFrm::Received, QStringList{QStringLiteral("2*x")});
    TGUIManager::FreeInstance();
    TGUIManager::Instance()->SetMainForm(&Main);
}

TEST_F(DerivativesWindow, HiddenLocalRoute)
{
    Window.SetFunction(QStringLiteral("-x^2"));
    Child<QPushButton>("Button1")->click();
    EXPECT_EQ(Result()->text(), QStringLiteral("-(2)*(x)^((2)-1)*1"));
    EXPECT_FALSE(ShownAsError());

    Window.SetFunction(QStringLiteral("x!"));
    Child<QPushButton>("Button1")->click();
    EXPECT_EQ(Result()->text(), QStringLiteral("Cannot differentiate x!."));
    EXPECT_TRUE(ShownAsError());

    Window.SetFunction(QStringLiteral("(x+1"));
    Child<QPushButton>("Button1")->click();
    EXPECT_EQ(Result()->text(), QStringLiteral("A bracket is not closed."));

    const struct
    {
        const char16_t *Input;
        const char16_t *Raw;
        const char16_t *Shown;
    } folds[] = {
        {u"x*1+sin(0)+2*3", u"x+sin[0]+6", u"x+sin(0)+6"},
        {u"2*x*-3", u"-2*x*3", u"-2*x*3"},
        {u"2*-x^2*1", u"-2*(x)^((2))", u"-2*x^2"},
        {u"x/10000+1/10000", u"x/10000+0.0001", u"x/10000+0.0001"},
    };
    for (const auto &f : folds) {
        SCOPED_TRACE(QString::fromUtf16(f.Input).toStdString());
        Child<QLineEdit>("Edit2")->setText(QString::fromUtf16(f.Input));
        Child<QPushButton>("Button2")->click();
        EXPECT_EQ(Child<QLineEdit>("Edit3")->text(), QString::fromUtf16(f.Raw));
        EXPECT_EQ(Result()->text(), QString::fromUtf16(f.Shown));
    }
    Child<QLineEdit>("Edit2")->setText(QString());
    Child<QPushButton>("Button2")->click();
    EXPECT_EQ(Result()->text(), QStringLiteral("An operand is missing in the expression."));
    EXPECT_TRUE(ShownAsError());
}

TEST_F(DerivativesWindow, TextsComeFromTheLanguageFile)
{
    TProgramTranslator::Instance()->LoadFile(qEnvironmentVariable("TANDOREL_SOURCE_DIR") + "/data/lang/Slovensky.txt");
    ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
    Window.TranslateTexts();
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("Derivácia funkcie"));
    EXPECT_EQ(Child<QLabel>("premennaLbl")->text(), QStringLiteral("&Premenná:"));
    EXPECT_EQ(Child<QLabel>("stupenLbl")->text(), QStringLiteral("&Rád:"));
    EXPECT_EQ(Window.ConnectionErrorText, QStringLiteral("Server je nedostupný. Skontrolujte pripojenie na internet."));
    Window.SetFunction(QStringLiteral("gamma(x)"));
    Child<QPushButton>("Button1")->click();
    EXPECT_EQ(Result()->text(), QStringLiteral("gamma(x) nemožno derivovať."));
    TProgramTranslator::FreeInstance();
}

TEST(DerivativesRegistration, TheControllerHandsTheExpressionOver)
{
    ResetEngineState();
    FakeMainForm main;
    TGUIManager *gui = TGUIManager::Instance();
    gui->SetMainForm(&main);
    RegisterToolWindowClasses(gui);
    KMainProgram::Instance()->ShowDerivative(QStringLiteral("x^2+y"));
    auto *window = dynamic_cast<TderivacieFrm *>(gui->GetForm(FormId::Derivatives));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("funkciaEdt"))->text(), QStringLiteral("x^2+y"));
    EXPECT_EQ(window->findChild<QComboBox *>(QStringLiteral("premenneCmb"))->currentText(), QStringLiteral("x"));
    TGUIManager::FreeInstance();
    KMainProgram::DestroyInstance();
    ResetEngineState();
}

} // namespace
