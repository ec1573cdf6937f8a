// The up-down control from the keyboard and for a screen reader.
#include "shell/uUpDown.h"

#include "shell/uAccessibility.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

TEST(UpDown, UpAndDownInItsEditStepWithinItsBounds)
{
    QWidget window;
    auto *edit = new QLineEdit(&window);
    edit->setReadOnly(true);
    auto *upDown = new TUpDown(&window);
    upDown->Min = 5;
    upDown->Max = 15;
    upDown->Increment = 5;
    upDown->SetPosition(10);
    upDown->SetAssociate(edit);
    int clicks = 0;
    upDown->OnClick = [&clicks](int) { ++clicks; };

    const struct
    {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Position;
    } steps[] = {
        {Qt::Key_Up, Qt::NoModifier, 15},       {Qt::Key_Up, Qt::NoModifier, 15},      // at Max
        {Qt::Key_Down, Qt::KeypadModifier, 10}, {Qt::Key_Down, Qt::ShiftModifier, 10}, // not a step
        {Qt::Key_Down, Qt::NoModifier, 5},      {Qt::Key_Down, Qt::NoModifier, 5},     // at Min
    };
    for (const auto &s : steps) {
        QTest::keyClick(edit, s.Key, s.Modifiers);
        EXPECT_EQ(upDown->Position(), s.Position);
        EXPECT_EQ(edit->text(), QString::number(s.Position));
    }
    EXPECT_EQ(clicks, 3); // one per accepted step

    // Another edit takes over; the first one no longer steps it.
    auto *other = new QLineEdit(&window);
    upDown->SetAssociate(other);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(upDown->Position(), 5);
    QTest::keyClick(other, Qt::Key_Up);
    EXPECT_EQ(upDown->Position(), 10);
}

TEST(UpDown, ItsArrowsHaveTranslatedNames)
{
    TUpDown upDown;
    EXPECT_EQ(upDown.UpButton()->accessibleName(), QStringLiteral("Increase"));
    EXPECT_EQ(upDown.UpButton()->property(AccessibleNameKey).toString(), QStringLiteral("Common/Increase"));
    EXPECT_EQ(upDown.DownButton()->accessibleName(), QStringLiteral("Decrease"));
    EXPECT_EQ(upDown.DownButton()->property(AccessibleNameKey).toString(), QStringLiteral("Common/Decrease"));
}
