#include "core/uProgramState.h"
#include "platform/IniFiles.h"
#include "tests/support/TempProgramDir.h"

#include <QDir>

#include <gtest/gtest.h>

// Readable failure messages for texts.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '{' << l.join(QStringLiteral(", ")).toStdString() << '}';
}

namespace {

class ProgramState : public ::testing::Test
{
protected:
    void TearDown() override
    {
        KProgramState::GetInstance(0)->SetDefaults();
        KProgramState::GetInstance(1)->SetDefaults();
    }
    KProgramState *live() { return KProgramState::GetInstance(0); }
    TempProgramDir dir;
};

void fill(KProgramState *s)
{
    s->JustCalculated = true;
    s->NumberSet = 2;
    s->ModuloBase = 17;
    s->AngleMode = 2;
    s->NumeralSystem = 3;
    s->Ans = QStringLiteral("[42]");
    s->LastExpression = QStringLiteral("6*7");
    s->Hyp = true;
    s->Fractions = true;
    s->Decimals = 12;
}

} // namespace

TEST_F(ProgramState, TwoInstancesWithDefaults)
{
    KProgramState *a = KProgramState::GetInstance(0);
    KProgramState *b = KProgramState::GetInstance(1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(KProgramState::GetInstance(0), a);
    EXPECT_EQ(KProgramState::GetInstance(2), nullptr);
    EXPECT_EQ(KProgramState::GetInstance(255), nullptr);

    fill(a);
    a->SetDefaults();
    EXPECT_FALSE(a->JustCalculated);
    EXPECT_EQ(a->NumberSet, 0);
    EXPECT_EQ(a->ModuloBase, 5);
    EXPECT_EQ(a->AngleMode, 0);
    EXPECT_EQ(a->NumeralSystem, 2);
    EXPECT_TRUE(a->Ans.isEmpty());
    EXPECT_TRUE(a->LastExpression.isEmpty());
    EXPECT_FALSE(a->Hyp);
    EXPECT_FALSE(a->Fractions);
    EXPECT_EQ(a->Decimals, 6);
}

TEST_F(ProgramState, AssignCopiesEveryFieldButNotFromItself)
{
    KProgramState *start = KProgramState::GetInstance(1);
    fill(start);
    live()->Assign(1);
    EXPECT_TRUE(live()->JustCalculated);
    EXPECT_EQ(live()->NumberSet, 2);
    EXPECT_EQ(live()->ModuloBase, 17);
    EXPECT_EQ(live()->AngleMode, 2);
    EXPECT_EQ(live()->NumeralSystem, 3);
    EXPECT_EQ(live()->Ans, QStringLiteral("[42]"));
    EXPECT_EQ(live()->LastExpression, QStringLiteral("6*7"));
    EXPECT_TRUE(live()->Hyp);
    EXPECT_TRUE(live()->Fractions);
    EXPECT_EQ(live()->Decimals, 12);

    live()->Decimals = 3;
    live()->Assign(0);
    live()->Assign(9);
    EXPECT_EQ(live()->Decimals, 3);
}

TEST_F(ProgramState, Radix)
{
    const struct
    {
        quint8 system;
        int radix;
    } cases[] = {{0, 2}, {1, 8}, {2, 10}, {3, 16}, {4, 10}, {255, 10}};
    for (const auto &c : cases) {
        live()->NumeralSystem = c.system;
        EXPECT_EQ(live()->GetRadix(), c.radix) << int(c.system);
    }
}

TEST_F(ProgramState, LoadTakesValuesInRangeKeyByKey)
{
    struct Case
    {
        const char *file;
        quint8 numberSet, angle, numeral, modulo;
        bool hyp, fractions;
        quint8 decimals;
    };
    // Start state for every case: NumberSet 1, AngleMode 2, NumeralSystem 1,
    // ModuloBase 9, Hyp true, Fractions false, Decimals 4.
    const Case cases[] = {
        {"[ProgramState]\nNumberSet=7\nAngleMode=1\n", 1, 1, 1, 9, true, false, 4},
        {"[ProgramState]\nNumberSet=2\nAngleMode=3\nNumeralSystem=3\n", 2, 2, 3, 9, true, false, 4},
        {"[ProgramState]\nNumberSet=-1\nNumeralSystem=4\nModuloBase=256\nDecimals=-1\n", 1, 2, 1, 9, true, false, 4},
        {"[ProgramState]\nModuloBase=255\nDecimals=0\nHyp=0\nFractions=7\n", 1, 2, 1, 255, false, true, 0},
        // A damaged modulus below 2 is refused; 2 is the smallest one.
        {"[ProgramState]\nModuloBase=0\nAngleMode=1\n", 1, 1, 1, 9, true, false, 4},
        {"[ProgramState]\nModuloBase=1\n", 1, 2, 1, 9, true, false, 4},
        {"[ProgramState]\nModuloBase=2\n", 1, 2, 1, 2, true, false, 4},
        {"[programstate]\nnumberset=0\nanglemode=0\n", 0, 0, 1, 9, true, false, 4},
        {"[ProgramState]\nNumberSet=abc\nAngleMode=\n", 1, 2, 1, 9, true, false, 4},
        {"[Other]\nNumberSet=2\n", 1, 2, 1, 9, true, false, 4},
    };
    for (const Case &c : cases) {
        KProgramState *s = live();
        s->NumberSet = 1;
        s->AngleMode = 2;
        s->NumeralSystem = 1;
        s->ModuloBase = 9;
        s->Hyp = true;
        s->Fractions = false;
        s->Decimals = 4;
        dir.write("programState.ini", c.file);
        s->LoadFromFile(dir.file("programState.ini"));
        EXPECT_EQ(s->NumberSet, c.numberSet) << c.file;
        EXPECT_EQ(s->AngleMode, c.angle) << c.file;
        EXPECT_EQ(s->NumeralSystem, c.numeral) << c.file;
        EXPECT_EQ(s->ModuloBase, c.modulo) << c.file;
        EXPECT_EQ(s->Hyp, c.hyp) << c.file;
        EXPECT_EQ(s->Fractions, c.fractions) << c.file;
        EXPECT_EQ(s->Decimals, c.decimals) << c.file;
    }
}

TEST_F(ProgramState, MissingOrUnreadableFileChangesNothing)
{
    fill(live());
    live()->LoadFromFile(dir.file("missing.ini"));
    dir.write("folder/x", "");
    live()->LoadFromFile(dir.file("folder")); // a folder cannot be read as a file
    dir.write("programState.ini", QByteArray("\xff\xfe\x00[Program", 12));
    live()->LoadFromFile(dir.file("programState.ini"));
    EXPECT_EQ(live()->NumberSet, 2);
    EXPECT_EQ(live()->ModuloBase, 17);
    EXPECT_EQ(live()->AngleMode, 2);
    EXPECT_EQ(live()->NumeralSystem, 3);
    EXPECT_TRUE(live()->Hyp);
    EXPECT_TRUE(live()->Fractions);
    EXPECT_EQ(live()->Decimals, 12);
}

TEST_F(ProgramState, SaveWritesTheSavedFieldsInOrderAndRoundTrips)
{
    fill(live());
    const QString name = dir.file("programState.ini");
    live()->SaveToFile(name);

    TIniFile ini(name);
    QStringList keys;
    ini.ReadSection(QStringLiteral("ProgramState"), keys);
    EXPECT_EQ(keys,
              (QStringList{"NumberSet", "ModuloBase", "AngleMode", "NumeralSystem", "Hyp", "Fractions", "Decimals"}));
    EXPECT_EQ(ini.ReadString("ProgramState", "Hyp", ""), QStringLiteral("1"));
    EXPECT_FALSE(dir.read("programState.ini").contains("42"));
    EXPECT_FALSE(dir.read("programState.ini").contains("6*7"));

    KProgramState *start = KProgramState::GetInstance(1);
    start->LoadFromFile(name);
    EXPECT_EQ(start->NumberSet, 2);
    EXPECT_EQ(start->ModuloBase, 17);
    EXPECT_EQ(start->AngleMode, 2);
    EXPECT_EQ(start->NumeralSystem, 3);
    EXPECT_TRUE(start->Hyp);
    EXPECT_TRUE(start->Fractions);
    EXPECT_EQ(start->Decimals, 12);
    EXPECT_TRUE(start->Ans.isEmpty());
    EXPECT_TRUE(start->LastExpression.isEmpty());
}

TEST_F(ProgramState, SaveUpdatesAnExistingFileInPlace)
{
    dir.write("programState.ini", "; kept\r\n[Extra]\r\nA=1\r\n[ProgramState]\r\nDecimals=9\r\nOwn=x\r\n");
    live()->SaveToFile(dir.file("programState.ini"));
    const QByteArray text = dir.read("programState.ini");
    EXPECT_TRUE(text.startsWith("; kept")) << text.constData();
    TIniFile ini(dir.file("programState.ini"));
    EXPECT_EQ(ini.ReadString("Extra", "A", ""), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString("ProgramState", "Own", ""), QStringLiteral("x"));
    EXPECT_EQ(ini.ReadInteger("ProgramState", "Decimals", -1), 6);
    QStringList keys;
    ini.ReadSection("ProgramState", keys);
    EXPECT_EQ(keys.first(), QStringLiteral("Decimals"));
}

TEST_F(ProgramState, UnwritableFileIsReportedAndLeavesNothingBehind)
{
    dir.write("blocker", "not a folder");
    EXPECT_THROW(live()->SaveToFile(dir.file("blocker/programState.ini")), EIniFileException);
    // A folder in the file's place cannot be replaced: the save fails and the
    // folder, with what it holds, stays.
    dir.write("programState.ini/inside", "x");
    EXPECT_THROW(live()->SaveToFile(dir.file("programState.ini")), EIniFileException);
    EXPECT_EQ(dir.read("programState.ini/inside"), QByteArray("x"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(','), QStringLiteral("blocker"));
}
