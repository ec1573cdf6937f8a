// Number text must not follow the process locale: Qt sets it from the
// environment, and a German one writes "2,5" through the C library.
#include "platform/SysUtils.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

TEST(NumberText, IgnoresTheProcessLocale)
{
    QTemporaryDir dir;
    QProcess localedef;
    localedef.start("localedef", {"-i", "de_DE", "-f", "UTF-8", dir.path() + "/de_DE.UTF-8"});
    if (!localedef.waitForFinished(60000) || localedef.exitStatus() != QProcess::NormalExit || localedef.exitCode() > 1)
        GTEST_SKIP() << "no German locale can be built here";
    qputenv("LOCPATH", dir.path().toLocal8Bit());
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the German locale does not load";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    const QChar oldSeparator = DecimalSeparator;
    DecimalSeparator = u'.';
    EXPECT_EQ(StrToFloat("1.5"), 1.5L);
    Extended v;
    EXPECT_FALSE(TryStrToFloat("1,5", v));
    EXPECT_EQ(FloatToStr(2.5L), "2.5");
    EXPECT_EQ(FormatFloat("0.000", 1.0L / 8), "0.125");
    EXPECT_EQ(FormatFloat("0.##E-0", -1500.0L), "-1.5E3");
    DecimalSeparator = u',';
    EXPECT_EQ(StrToFloat("1,5"), 1.5L);
    EXPECT_EQ(FloatToStr(-2.5e-20L), "-2,5E-20");
    DecimalSeparator = oldSeparator;

    std::setlocale(LC_ALL, saved.c_str());
    qunsetenv("LOCPATH");
}
