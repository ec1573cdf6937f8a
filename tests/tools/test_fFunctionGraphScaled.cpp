// The graph window on a screen of device pixel ratio 2 (QT_SCALE_FACTOR=2,
// set for this test program): the pictures are drawn at the screen's ratio,
// the export keeps one pixel per pixel.
#include "tools/fFunctionGraph.h"

#include "tests/support/EngineState.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

TEST(GraphWindowScaled, PicturesAreDrawnAtTheScreensRatioAndTheExportKeepsItsSize)
{
    ResetEngineState();
    TFunctionGraphFrm window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.devicePixelRatioF(), 2) << "run with QT_SCALE_FACTOR=2";
    window.ShowFunction(QStringLiteral("x"));
    for (const char *name : {"graphImg", "verticalScaleImg", "horizontalScaleImg"}) {
        auto *image = window.findChild<TGraphImage *>(QLatin1String(name));
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->Bitmap.devicePixelRatio(), 2) << name;
        EXPECT_EQ(image->Bitmap.size(), image->size() * 2) << name;
    }
    EXPECT_EQ(window.findChild<QWidget *>(QStringLiteral("graphImg"))->size(), QSize(715, 313));
    QImage bitmap;
    window.Graph()->RenderExport(bitmap);
    EXPECT_EQ(bitmap.size(), QSize(764, 340));
    EXPECT_EQ(bitmap.devicePixelRatio(), 1);
    ResetEngineState();
}
