#include "shell/uMagneticForm.h"
#include "shell/uTandorelMainForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <limits>

#include <climits>

namespace {
const QRect Main(400, 300, 200, 100); // left 400, top 300, right edge 600, bottom 400

struct SnapCase
{
    QPoint Proposed;
    QSize Form;
    QPoint Expected;
};

// A main window that only tells where it stands.
class FakeMain : public IMagneticSuperiorForm
{
public:
    explicit FakeMain(QRect frame) : Frame(frame) {}
    int GetTop() override { return Frame.top(); }
    int GetLeft() override { return Frame.left(); }
    int GetHeight() override { return Frame.height(); }
    int GetWidth() override { return Frame.width(); }
    QRect Frame;
};
} // namespace

TEST(MagneticArithmetic, SnapsWithinFivePixelsAndNotSix)
{
    const QSize form(100, 80);
    const SnapCase cases[] = {
        {{605, 200}, form, {600, 200}},                                     // left edge 5 right of the right edge
        {{595, 200}, form, {600, 200}},                                     // 5 inside
        {{606, 200}, form, {606, 200}},                                     // 6: free
        {{594, 200}, form, {594, 200}},     {{295, 50}, form, {300, 50}},   // right edge (395) 5 left of the left edge
        {{306, 50}, form, {306, 50}},                                       // right edge 406: free
        {{700, 405}, form, {700, 400}},                                     // top edge 5 below the bottom
        {{700, 406}, form, {700, 406}},     {{700, 215}, form, {700, 220}}, // bottom edge (295) against the top
        {{700, 226}, form, {700, 226}},     {{602, 397}, form, {600, 400}}, // both axes at once, far from overlapping
        {{-2000, 396}, form, {-2000, 400}}, // an edge line snaps anywhere along the screen
    };
    for (const SnapCase &c : cases)
        EXPECT_EQ(MagneticSnap(c.Proposed, c.Form, Main, 5), c.Expected) << c.Proposed.x() << "," << c.Proposed.y();
}

TEST(MagneticArithmetic, FirstRuleWinsForAWindowAsWideAsTheMainWindow)
{
    // Left edge near the right edge and right edge near the left edge at once.
    const QRect narrow(400, 300, 10, 100);
    EXPECT_EQ(MagneticSnap(QPoint(412, 0), QSize(10, 10), narrow, 5).x(), 410);
    EXPECT_EQ(MagneticSnap(QPoint(0, 403), QSize(10, 100), QRect(0, 300, 10, 100), 5).y(), 400);
}

TEST(MagneticArithmetic, ExtremeCoordinatesNeitherOverflowNorWrap)
{
    // A main window (or a moved one) at the ends of the 32-bit range.
    const int hi = std::numeric_limits<int>::max(), lo = std::numeric_limits<int>::min();
    const QRect far(hi - 700, hi - 400, 640, 380);
    bool centred = false;
    const QPoint right = MagneticPlacement(DockRight, far, QSize(300, 200), 1920, centred);
    EXPECT_GT(right.x(), 0); // never wrapped round to a negative place
    EXPECT_EQ(MagneticSnap(QPoint(hi - 10, hi - 10), QSize(300, 200), far, 5), QPoint(hi - 10, hi - 10));
    const QRect low(lo, lo, 640, 380);
    EXPECT_EQ(MagneticSnap(QPoint(lo + 3, lo + 400), QSize(300, 200), low, 5).x(), lo + 3);
    EXPECT_LE(CentreOn(QRect(lo, lo, 10, 10), QSize(5000, 5000)).x(), lo + 10);
}

TEST(MagneticArithmetic, ACentredWindowIsKeptOnTheScreen)
{
    const QRect screen(0, 0, 1600, 1000);
    // A preferences window centred on a main window at the top left corner.
    EXPECT_EQ(KeptOnScreen(CentreOn(QRect(0, 0, 640, 383), QSize(343, 481)), QSize(343, 481), screen), QPoint(148, 0));
    EXPECT_EQ(KeptOnScreen(QPoint(1500, 900), QSize(300, 200), screen), QPoint(1300, 800));
    EXPECT_EQ(KeptOnScreen(QPoint(100, 200), QSize(300, 200), screen), QPoint(100, 200));
    // Larger than the screen: its title bar stays on it.
    EXPECT_EQ(KeptOnScreen(QPoint(-50, -80), QSize(2000, 1200), screen), QPoint(0, 0));
    EXPECT_EQ(KeptOnScreen(QPoint(10, 20), QSize(300, 200), QRect(1600, 0, 1280, 1024)), QPoint(1600, 20));
    const int hi = std::numeric_limits<int>::max();
    EXPECT_EQ(KeptOnScreen(QPoint(hi, hi), QSize(hi, hi), screen), QPoint(0, 0));
}

TEST(MagneticArithmetic, BesidePlacementTakesTheSideWithMoreRoomAndStaysOnTheScreen)
{
    const QRect screen(0, 0, 1600, 1000);
    const struct
    {
        QRect Main;
        QSize Form;
        QPoint Expected;
    } cases[] = {
        {QRect(100, 200, 640, 400), QSize(500, 300), QPoint(740, 200)},   // right has more room, and it fits
        {QRect(900, 200, 640, 400), QSize(500, 300), QPoint(400, 200)},   // left has more room
        {QRect(480, 308, 640, 383), QSize(776, 457), QPoint(824, 308)},   // fits nowhere: over the right edge only
        {QRect(100, 800, 640, 150), QSize(500, 300), QPoint(740, 700)},   // moved up onto the screen
        {QRect(480, 300, 640, 400), QSize(2000, 1200), QPoint(0, 0)},     // larger than the screen: its corner on it
        {QRect(-3000, 100, 640, 400), QSize(300, 200), QPoint(0, 100)},   // a main window off the screen
        {QRect(2000, 100, 640, 400), QSize(300, 200), QPoint(1300, 100)}, // ... on either side
    };
    for (const auto &c : cases)
        EXPECT_EQ(BesidePlacement(c.Main, c.Form, screen), c.Expected) << c.Main.x() << "," << c.Main.y();
    // Equal room: the right side; on a second screen its own area counts.
    EXPECT_EQ(BesidePlacement(QRect(500, 0, 600, 300), QSize(400, 200), screen), QPoint(1100, 0));
    EXPECT_EQ(BesidePlacement(QRect(1700, 50, 640, 400), QSize(300, 200), QRect(1600, 0, 1280, 1024)),
              QPoint(2340, 50));
}

TEST(MagneticArithmetic, PlacementPrefersTheAskedSideThenTheOtherThenCentre)
{
    bool centred = false;
    // Left fits: L (400) > width (150).
    EXPECT_EQ(MagneticPlacement(DockLeft, Main, QSize(150, 50), 1920, centred), QPoint(250, 300));
    EXPECT_FALSE(centred);
    // Right fits: 600 < 1920 - 150.
    EXPECT_EQ(MagneticPlacement(DockRight, Main, QSize(150, 50), 1920, centred), QPoint(600, 300));
    EXPECT_FALSE(centred);
    // Left edge equal to the width does not fit on the left: the right side.
    EXPECT_EQ(MagneticPlacement(DockLeft, Main, QSize(400, 50), 1920, centred), QPoint(600, 300));
    EXPECT_FALSE(centred);
    // Right needs 600 < screen - width strictly; 600 = 1000 - 400 fails, and so does the left.
    EXPECT_EQ(MagneticPlacement(DockLeft, Main, QSize(400, 60), 1000, centred), QPoint(300, 320));
    EXPECT_TRUE(centred);
    EXPECT_EQ(MagneticPlacement(DockRight, Main, QSize(400, 60), 1000, centred), QPoint(300, 320));
    EXPECT_TRUE(centred);
    // Centred is asked for directly.
    EXPECT_EQ(MagneticPlacement(DockCentred, Main, QSize(100, 50), 1920, centred), QPoint(450, 325));
    EXPECT_TRUE(centred);
    QPoint pos(1, 1);
    EXPECT_FALSE(MagneticTryPlaceAtSide(7, Main, 10, 1920, pos));
    EXPECT_EQ(pos, QPoint(1, 1));
}

TEST(MagneticForm, OpensBesideTheMainWindowAndSnapsWhileMoved)
{
    FakeMain main(QRect(400, 300, 200, 100));
    TMagneticForm form;
    form.resize(150, 80);
    EXPECT_FALSE(form.TryPlaceAtSide(DockLeft)); // no main window yet
    form.SetMainForm(&main);
    form.PlaceBesideMainForm(DockLeft);
    EXPECT_EQ(form.pos(), QPoint(250, 300));
    form.EnableMagnet();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    form.move(QPoint(604, 120)); // 4 px right of the main window's right edge
    QCoreApplication::processEvents();
    EXPECT_EQ(form.pos(), QPoint(600, 120));
    form.move(QPoint(620, 120));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.pos(), QPoint(620, 120));
}

TEST(MagneticForm, WithoutMagnetNothingSnaps)
{
    FakeMain main(QRect(400, 300, 200, 100));
    TMagneticForm form;
    form.resize(150, 80);
    form.SetMainForm(&main);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.move(QPoint(603, 120));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.pos(), QPoint(603, 120));
}

TEST(MagneticForm, CentredWindowIsCentredWhenShown)
{
    FakeMain main(QRect(400, 300, 200, 100));
    TMagneticForm form;
    form.SetMainForm(&main);
    form.PlaceBesideMainForm(DockCentred);
    form.resize(100, 60); // the size it has when it opens counts
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.frameGeometry().center(), QRect(400, 300, 200, 100).center());
}

TEST(MagneticForm, StayOnTopKeepsAShownWindowVisible)
{
    TMagneticForm form;
    form.show();
    form.SetStayOnTop(true);
    EXPECT_TRUE(form.StaysOnTop());
    EXPECT_TRUE(form.isVisible());
    form.SetStayOnTop(false);
    EXPECT_FALSE(form.StaysOnTop());
    EXPECT_TRUE(form.isVisible());
}

TEST(MagneticForm, ShowModalReturnsTheResultThatClosedIt)
{
    TMagneticForm form;
    QTimer::singleShot(0, &form, [&] { form.SetModalResult(mrOk); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowModality(), Qt::NonModal);

    QTimer::singleShot(0, &form, [&] { form.close(); }); // closed by the user
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST(OnSomeScreen, AWindowCountsAsReachableWhenAFortyByTwentyPieceIsShown)
{
    const QList<QRect> screens{QRect(0, 0, 1000, 800), QRect(1000, 0, 800, 600)};
    const QSize form(300, 200);
    const struct
    {
        QPoint Pos;
        bool Reachable;
    } cases[] = {
        {{100, 100}, true},          {{-260, 100}, true}, // 40 pixels still shown
        {{-261, 100}, false},                             // 39
        {{100, 780}, true},                               // 20 pixels high
        {{100, 781}, false},         {{1700, 500}, true}, // on the second screen
        {{1700, 601}, false},                             // below the second screen's bottom
        {{INT_MAX, INT_MAX}, false},                      // no overflow on the way
        {{INT_MIN, INT_MIN}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OnSomeScreen(c.Pos, form, screens), c.Reachable) << c.Pos.x() << "," << c.Pos.y();
    // A window smaller than the piece needs to be shown whole.
    EXPECT_TRUE(OnSomeScreen(QPoint(990, 790), QSize(10, 10), {QRect(0, 0, 1000, 800)}));
    EXPECT_FALSE(OnSomeScreen(QPoint(991, 790), QSize(10, 10), {QRect(0, 0, 1000, 800)}));
}
