// Runs under the program's own application object, so this test has its own main.
#include "shell/uShellCommon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
QStringList Shown;

class FailingWidget : public QWidget
{
protected:
    void mousePressEvent(QMouseEvent *) override { throw Exception(QStringLiteral("Unspecified form class: 7")); }
};
} // namespace

TEST(TandorelApplication, AnEscapingExceptionIsShownAndTheProgramGoesOn)
{
    Shown.clear();
    FailingWidget widget;
    widget.resize(50, 50);
    widget.show();
    QTest::mouseClick(&widget, Qt::LeftButton);

    QPushButton button(QStringLiteral("go"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        if (++clicks == 1)
            throw std::runtime_error("first click fails");
    });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton); // still works afterwards
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(Shown, (QStringList{QStringLiteral("Unspecified form class: 7"), QStringLiteral("first click fails")}));
}

TEST(TandorelApplication, EveryWindowCarriesTheProgramsIconAndTheDesktopKnowsTheProgram)
{
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("org.tandorel.Tandorel"));
    QWidget window;
    const QIcon icon = window.windowIcon();
    const QList<QSize> sizes = {{16, 16}, {32, 32}, {48, 48}, {64, 64}};
    EXPECT_EQ(icon.availableSizes(), sizes);
    for (const QSize &size : sizes) {
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.size(), size);
        // Drawn, not blank: the middle is the opaque calculator body.
        EXPECT_EQ(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255) << size.width();
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size.width();
    }
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    TTandorelApplication app(argc, argv);
    TTandorelApplication::ShowExceptionMessage = [](const QString &text) { Shown << text; };
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
