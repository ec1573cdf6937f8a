// Fixed text colours that stay readable in a dark theme.
#include "shell/uAccessibility.h"

#include "tests/support/QtPrint.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

TEST(Contrast, RatiosOfKnownPairs)
{
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35)), 1.0, 1e-9);
    // The grey that just misses 4.5:1 on white.
    EXPECT_NEAR(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio(Qt::red, Qt::white), 4.0, 0.01);
}

TEST(Contrast, ASpecifiedColourStaysOnALightBackgroundAndIsLightenedOnADarkOne)
{
    // clang-format off
    const struct { QColor Wanted, Background; bool Kept; } cases[] = {
        {QColor(0, 0, 128),       QColor(0xef, 0xef, 0xef), true},  // a link on the default palette
        {Qt::red,                 Qt::white,                true},  // kept, although it misses 4.5:1
        {QColor(0x60, 0x60, 0x60), QColor(0xef, 0xef, 0xef), true},
        {QColor(0, 0, 128),       QColor(0x35, 0x35, 0x35), false},
        {QColor(0, 128, 0),       QColor(0x35, 0x35, 0x35), false},
        {Qt::red,                 QColor(0x23, 0x23, 0x23), false},
        {QColor(0x60, 0x60, 0x60), QColor(0x22, 0x20, 0x20), false},
        {Qt::yellow,              QColor(0x35, 0x35, 0x35), true},  // readable as it is
        {Qt::black,               Qt::black,                false}, // nothing to keep: white
        {Qt::black,               QColor(0x30, 0x30, 0x30), false},
    };
    // clang-format on
    for (const auto &c : cases) {
        const QColor shown = ReadableColour(c.Wanted, c.Background);
        if (c.Kept) {
            EXPECT_EQ(shown, c.Wanted) << c.Wanted.name().toStdString() << " on " << c.Background.name().toStdString();
            continue;
        }
        EXPECT_GE(ContrastRatio(shown, c.Background), 4.5) << c.Wanted.name().toStdString();
        if (c.Wanted.hslSaturation() > 0) {
            EXPECT_EQ(shown.hslHue(), c.Wanted.hslHue()) << c.Wanted.name().toStdString();
        }
        // No lighter than it needs to be.
        const QColor step = QColor::fromHsl(shown.hslHue(), shown.hslSaturation(), shown.lightness() - 5);
        if (shown != QColor(Qt::white) && step.lightness() >= c.Wanted.lightness()) {
            EXPECT_LT(ContrastRatio(step, c.Background), 4.5) << c.Wanted.name().toStdString();
        }
    }
}

// The desktop's theme switched while the program runs, to dark and back.
TEST(Contrast, AFixedColourFollowsAThemeChangedWhileRunning)
{
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base})
        dark.setColor(role, QColor(0x23, 0x23, 0x23));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        dark.setColor(role, QColor(0xe0, 0xe0, 0xe0));
    QWidget window;
    auto *edit = new QLineEdit(&window);
    auto *label = new QLabel(QStringLiteral("text"), &window);
    SetFixedTextColour(edit, QColor(0, 0, 128));
    SetFixedTextColour(label, QColor(0, 0, 128));
    window.show();
    QApplication::setPalette(dark);
    QApplication::processEvents();
    EXPECT_GE(ContrastRatio(edit->palette().color(QPalette::Text), edit->palette().color(QPalette::Base)), 4.5);
    EXPECT_GE(ContrastRatio(label->palette().color(QPalette::WindowText), label->palette().color(QPalette::Window)),
              4.5);
    QApplication::setPalette(light);
    QApplication::processEvents();
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0, 0, 128));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

TEST(Contrast, AnEditIsJudgedOnItsBaseALabelOnItsWindow)
{
    QWidget window;
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
    palette.setColor(QPalette::Base, QColor(0x23, 0x23, 0x23));
    window.setPalette(palette);
    auto *edit = new QLineEdit(&window);
    auto *label = new QLabel(QStringLiteral("text"), &window);
    SetFixedTextColour(edit, Qt::red);
    SetFixedTextColour(label, Qt::red);
    EXPECT_NE(edit->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_GE(ContrastRatio(edit->palette().color(QPalette::Text), QColor(0x23, 0x23, 0x23)), 4.5);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::red));
}
