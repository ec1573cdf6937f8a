#include "core/uResultFormater.h"

#include "core/uProgramSettings.h"
#include "core/uProgramState.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

class ResultFormater : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KProgramSettings::Instance()->SetDefaults();
        KProgramSettings::Instance()->SetDecimalSeparator(1);
        KProgramState::GetInstance(0)->SetDefaults();
    }
    void TearDown() override
    {
        KProgramSettings::Instance()->SetDefaults();
        KProgramSettings::Instance()->SetDecimalSeparator(0);
        KProgramState::GetInstance(0)->SetDefaults();
    }
};

TEST_F(ResultFormater, FollowsDecimalPlacesAndNotation)
{
    const struct
    {
        Extended value;
        int decimals;
        bool scientific;
        const char *text;
    } cases[] = {
        {2.5L, 6, false, "2.5"},
        {1.0L / 3, 6, false, "0.333333"},
        {0.0000001L, 6, false, "1E-7"}, // too small for the places: general format
        {0, 6, false, "0"},
        {-2.25L, 1, false, "-2.3"}, // half away from zero
        {7.6L, 0, false, "8"},
        {1500, 6, true, "1.5E3"},
        {0.00025L, 6, true, "2.5E-4"},
    };
    for (const auto &c : cases) {
        KProgramState::GetInstance(0)->Decimals = quint8(c.decimals);
        KProgramSettings::Instance()->ScientificNotation = c.scientific;
        EXPECT_EQ(TResultFormater::FormatResult(c.value), QString::fromLatin1(c.text)) << c.text;
    }
}

TEST_F(ResultFormater, UsesTheCurrentDecimalSeparator)
{
    KProgramSettings::Instance()->SetDecimalSeparator(2);
    EXPECT_EQ(TResultFormater::FormatResult(2.5L), QStringLiteral("2,5"));
}

} // namespace
