#include "shell/fAbout.h"

#include "tests/support/TestWebHost.h"

#include "shell/uShellCommon.h"
#include "tests/support/UrlCatcher.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QByteArray OwnPicture()
{
    QFile file(QStringLiteral(":/images/about.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Jpeg(const QImage &Image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    Image.save(&buffer, "JPG", 90);
    return data;
}

} // namespace

TEST(AboutPicture, TheOwnPictureDecodes)
{
    const QByteArray data = OwnPicture();
    ASSERT_FALSE(data.isEmpty());
    const QImage image = DecodeJpegImage(data);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(140, 236));
    // Deep blue at the top, green-blue at the bottom, as drawn.
    const QColor top = image.pixelColor(60, 2), bottom = image.pixelColor(60, 233);
    EXPECT_GT(top.blue(), top.red());
    EXPECT_GT(bottom.green(), top.green());
}

TEST(AboutPicture, AnyJpegDecodesToItsPixels)
{
    QImage grey(8, 4, QImage::Format_Grayscale8);
    grey.fill(200);
    const QImage decoded = DecodeJpegImage(Jpeg(grey));
    ASSERT_FALSE(decoded.isNull()); // a one-component picture comes out as RGB
    EXPECT_EQ(decoded.size(), QSize(8, 4));
    EXPECT_NEAR(decoded.pixelColor(3, 2).red(), 200, 3);
}

TEST(AboutPicture, ADamagedPictureGivesNoneAndTheProgramGoesOn)
{
    const QByteArray good = OwnPicture();
    ASSERT_GT(good.size(), 1000);
    QByteArray scrambled = good;
    for (qsizetype i = good.size() / 3; i < good.size() / 3 + 64; ++i)
        scrambled[i] = char(0xFF); // markers where coded data belongs
    QByteArray badHeader = good;
    badHeader[3] = char(0x00);
    const struct
    {
        const char *Name;
        QByteArray Data;
    } cases[] = {
        {"empty", QByteArray()},
        {"not a picture", QByteArray("GIF89a this is no JPEG at all")},
        {"only the start marker", good.left(2)},
        {"cut after the header", good.left(300)},
        {"cut in half", good.left(good.size() / 2)},
        {"scrambled data", scrambled},
        {"broken header", badHeader},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(DecodeJpegImage(c.Data).isNull()) << c.Name;
}

TEST(AboutWindow, ShowsVersionPictureAndLinks)
{
    TRealWebHost real; // the window takes the contact address from the maker's domain
    ToProgrameFrm window;
    EXPECT_EQ(window.windowTitle(), "About Tandorel");
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("verziaLbl"))->text(), "1.10.0.26");
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("datumVerzieLbl"))->text(), "2018-07-11");
    auto *picture = window.findChild<QLabel *>(QStringLiteral("obrazokImg"));
    EXPECT_EQ(picture->pixmap().size(), QSize(140, 236));

    window.SetPicture(OwnPicture().left(2000));
    EXPECT_TRUE(picture->pixmap().isNull());

    SetMakerWebHost(QStringLiteral("127.0.0.1:9"));
    TUrlCatcher catcher;
    window.show();
    QTest::mouseClick(window.findChild<QLabel *>(QStringLiteral("strankaLbl")), Qt::LeftButton);
    QTest::mouseClick(window.findChild<QLabel *>(QStringLiteral("kontaktLbl")), Qt::LeftButton);
    QTest::mouseClick(window.findChild<QToolButton *>(QStringLiteral("donatePayPalSbtn")), Qt::LeftButton);
    SetMakerWebHost(TestWebHost());
    ASSERT_EQ(catcher.Opened.size(), 3);
    EXPECT_EQ(catcher.Opened[0].toString(), "http://127.0.0.1:9/index.php?page=home&build=26&language=e2");
    EXPECT_EQ(catcher.Opened[1].toString(), "mailto:info@tandorel.org");
    EXPECT_EQ(catcher.Opened[2].toString(), "http://127.0.0.1:9/donate");

    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("okBtn")), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}
