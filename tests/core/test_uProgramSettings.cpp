#include "core/uProgramSettings.h"
#include "platform/IniFiles.h"
#include "platform/SysUtils.h"
#include "tests/support/TempProgramDir.h"

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

// Each test starts from a fresh settings object whose system separator is
// "#", so that mode 0 is recognisable.
class ProgramSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = DecimalSeparator;
        KProgramSettings::FreeInstance();
        DecimalSeparator = QChar(u'.');
        s = KProgramSettings::Instance();
        EXPECT_EQ(s->SystemDecimalSeparator, SystemDecimalSeparator());
        s->SystemDecimalSeparator = QChar(u'#');
    }
    void TearDown() override
    {
        KProgramSettings::FreeInstance();
        DecimalSeparator = saved;
    }
    QChar saved;
    KProgramSettings *s = nullptr;
    TempProgramDir dir;
};

} // namespace

TEST_F(ProgramSettings, DefaultsAndRestoringThem)
{
    EXPECT_TRUE(s->Center);
    EXPECT_EQ(s->Top, 100);
    EXPECT_EQ(s->Left, 100);
    EXPECT_FALSE(s->OnTop);
    EXPECT_FALSE(s->SaveMemoryData);
    EXPECT_EQ(s->MemoryData, QStringLiteral("0"));
    EXPECT_TRUE(s->SaveHistory);
    EXPECT_FALSE(s->SaveVariables);
    EXPECT_TRUE(s->CheckUpdatesAtStart);
    EXPECT_FALSE(s->CopyResultToClipboard);
    EXPECT_TRUE(s->LanguageFile.isEmpty());
    EXPECT_EQ(s->InsertAfterCalculation, 1);
    EXPECT_EQ(s->DecimalSeparator, 0);
    EXPECT_EQ(s->ComplexNumberFormat, 1);
    EXPECT_TRUE(s->UID.isEmpty());
    EXPECT_FALSE(s->RememberLastState);
    EXPECT_FALSE(s->ScientificNotation);
    EXPECT_FALSE(s->AllowOnlyOneInstance);
    EXPECT_TRUE(s->CloseParentheses);
    EXPECT_EQ(KProgramSettings::Instance(), s);

    s->Center = false;
    s->Top = -5;
    s->MemoryData = QStringLiteral("12");
    s->DecimalSeparator = 2;
    s->ComplexNumberFormat = 0;
    s->CloseParentheses = false;
    s->LanguageFile = QStringLiteral("lang/sk.txt");
    s->UID = QStringLiteral("261210101500");
    DecimalSeparator = QChar(u',');
    s->SetDefaults();
    EXPECT_TRUE(s->Center);
    EXPECT_EQ(s->Top, 100);
    EXPECT_EQ(s->MemoryData, QStringLiteral("0"));
    EXPECT_EQ(s->DecimalSeparator, 0);
    EXPECT_EQ(s->ComplexNumberFormat, 1);
    EXPECT_TRUE(s->CloseParentheses);
    EXPECT_EQ(s->LanguageFile, QStringLiteral("lang/sk.txt"));
    EXPECT_EQ(s->UID, QStringLiteral("261210101500"));
    EXPECT_EQ(s->SystemDecimalSeparator, QChar(u'#'));
    EXPECT_EQ(DecimalSeparator, QChar(u','));
}

TEST_F(ProgramSettings, DecimalSeparatorModes)
{
    const struct
    {
        quint8 mode;
        QChar before, after;
    } cases[] = {
        {1, u',', u'.'}, {2, u'.', u','}, {0, u',', u'#'}, {3, u',', u','}, {255, u'.', u'.'},
    };
    for (const auto &c : cases) {
        DecimalSeparator = c.before;
        s->SetDecimalSeparator(c.mode);
        EXPECT_EQ(s->DecimalSeparator, c.mode);
        EXPECT_EQ(DecimalSeparator, c.after) << int(c.mode);
    }
}

TEST_F(ProgramSettings, LoadFollowsTheFileAndIgnoresValuesOutOfRange)
{
    dir.write("settings.ini",
              "[MainForm]\nCenter=0\nTop=-20\nLeft=3000\nOnTop=1\n"
              "[Settings]\nSaveMemoryData=1\nSaveHistory=0\nCheckUpdatesAtStart=0\nLanguageFile=lang/sk.txt\n"
              "SaveVariables=2\nCopyResultToClipboard=1\nUID=abc\nInsertAfterCalculation=2\nDecimalSeparator=2\n"
              "ComplexNumberFormat=0\nRememberLastState=1\nScientificNotation=1\nAllowOnlyOneInstance=1\n"
              "CloseParentheses=0\n"
              "[Memory]\nData=-2.5\n");
    TIniFile ini(dir.file("settings.ini"));
    s->Load(&ini);
    EXPECT_FALSE(s->Center);
    EXPECT_EQ(s->Top, -20);
    EXPECT_EQ(s->Left, 3000);
    EXPECT_TRUE(s->OnTop);
    EXPECT_TRUE(s->SaveMemoryData);
    EXPECT_EQ(s->MemoryData, QStringLiteral("-2.5"));
    EXPECT_FALSE(s->SaveHistory);
    EXPECT_FALSE(s->CheckUpdatesAtStart);
    EXPECT_EQ(s->LanguageFile, QStringLiteral("lang/sk.txt"));
    EXPECT_TRUE(s->SaveVariables);
    EXPECT_TRUE(s->CopyResultToClipboard);
    EXPECT_EQ(s->UID, QStringLiteral("abc"));
    EXPECT_EQ(s->InsertAfterCalculation, 2);
    EXPECT_EQ(s->DecimalSeparator, 2);
    EXPECT_EQ(DecimalSeparator, QChar(u',')); // at once, while loading
    EXPECT_EQ(s->ComplexNumberFormat, 0);
    EXPECT_TRUE(s->RememberLastState);
    EXPECT_TRUE(s->ScientificNotation);
    EXPECT_TRUE(s->AllowOnlyOneInstance);
    EXPECT_FALSE(s->CloseParentheses);

    dir.write("bad.ini", "[Settings]\nInsertAfterCalculation=3\nDecimalSeparator=5\nComplexNumberFormat=2\n");
    s->SetDecimalSeparator(1);
    TIniFile bad(dir.file("bad.ini"));
    s->Load(&bad);
    EXPECT_EQ(s->InsertAfterCalculation, 2);
    EXPECT_EQ(s->DecimalSeparator, 1);
    EXPECT_EQ(DecimalSeparator, QChar(u'.'));
    EXPECT_EQ(s->ComplexNumberFormat, 0);
    EXPECT_EQ(s->UID, QStringLiteral("none"));
}

TEST_F(ProgramSettings, FirstStartWithoutFile)
{
    TIniFile ini(dir.file("settings.ini"));
    s->Load(&ini);
    EXPECT_EQ(s->UID, QStringLiteral("none"));
    EXPECT_EQ(s->DecimalSeparator, 0);
    EXPECT_EQ(DecimalSeparator, QChar(u'#')); // mode 0 applied: the system's
    EXPECT_TRUE(s->Center);
    s->Load(nullptr);
    s->Save(nullptr);
    EXPECT_FALSE(dir.exists("settings.ini"));
}

TEST_F(ProgramSettings, SaveWritesSectionsAndKeysInOrder)
{
    s->Center = false;
    s->Top = 7;
    s->Left = 8;
    s->SaveMemoryData = true;
    s->MemoryData = QStringLiteral("3.5");
    s->UID = QStringLiteral("261210101500");
    s->LanguageFile = QStringLiteral("lang/en.txt");
    TIniFile ini(dir.file("settings.ini"));
    s->Save(&ini);

    QStringList sections, mainForm, settings;
    ini.ReadSections(sections);
    EXPECT_EQ(sections, (QStringList{"MainForm", "Settings", "Memory"}));
    ini.ReadSection("MainForm", mainForm);
    EXPECT_EQ(mainForm, (QStringList{"Center", "Top", "Left", "OnTop"}));
    ini.ReadSection("Settings", settings);
    EXPECT_EQ(settings, (QStringList{"SaveMemoryData", "SaveHistory", "CheckUpdatesAtStart", "LanguageFile",
                                     "SaveVariables", "CopyResultToClipboard", "UID", "InsertAfterCalculation",
                                     "DecimalSeparator", "ComplexNumberFormat", "RememberLastState",
                                     "ScientificNotation", "AllowOnlyOneInstance", "CloseParentheses"}));
    EXPECT_EQ(ini.ReadString("Memory", "Data", ""), QStringLiteral("3.5"));
    EXPECT_EQ(ini.ReadString("MainForm", "Center", ""), QStringLiteral("0"));

    KProgramSettings::FreeInstance();
    KProgramSettings *again = KProgramSettings::Instance();
    again->Load(&ini);
    EXPECT_FALSE(again->Center);
    EXPECT_EQ(again->Top, 7);
    EXPECT_EQ(again->Left, 8);
    EXPECT_EQ(again->MemoryData, QStringLiteral("3.5"));
    EXPECT_EQ(again->UID, QStringLiteral("261210101500"));
    EXPECT_EQ(again->LanguageFile, QStringLiteral("lang/en.txt"));
}

TEST_F(ProgramSettings, SaveKeepsWhatItDoesNotWrite)
{
    dir.write("settings.ini", "[MainForm]\nCenter=0\nTop=33\nLeft=44\n[Memory]\nData=9\n");
    TIniFile ini(dir.file("settings.ini"));
    s->Center = true;
    s->Top = 1;
    s->Left = 2;
    s->SaveMemoryData = false;
    s->MemoryData = QStringLiteral("5");
    s->Save(&ini);
    EXPECT_EQ(ini.ReadString("MainForm", "Center", ""), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadInteger("MainForm", "Top", 0), 33);
    EXPECT_EQ(ini.ReadInteger("MainForm", "Left", 0), 44);
    EXPECT_EQ(ini.ReadString("Memory", "Data", ""), QStringLiteral("9"));
    EXPECT_EQ(ini.ReadString("Settings", "SaveMemoryData", ""), QStringLiteral("0"));

    // Read back while centred, the old position is taken but not used.
    s->Load(&ini);
    EXPECT_TRUE(s->Center);
    EXPECT_EQ(s->Top, 33);
    EXPECT_EQ(s->MemoryData, QStringLiteral("9"));
}

TEST_F(ProgramSettings, UnwritableFileIsReported)
{
    dir.write("blocker", "x");
    TIniFile ini(dir.file("blocker/settings.ini"));
    EXPECT_THROW(s->Save(&ini), EIniFileException);
    EXPECT_EQ(dir.read("blocker"), QByteArray("x"));
}

TEST_F(ProgramSettings, UnreadableFileKeepsTheOptions)
{
    s->Center = false;
    s->Top = 5;
    s->LanguageFile = QStringLiteral("lang/sk.txt");
    s->SetDecimalSeparator(2);
    dir.write("settings.ini/inside", "x"); // a folder where the file should be
    TIniFile ini(dir.file("settings.ini"));
    s->Load(&ini);
    EXPECT_FALSE(s->Center);
    EXPECT_EQ(s->Top, 5);
    EXPECT_EQ(s->LanguageFile, QStringLiteral("lang/sk.txt"));
    EXPECT_EQ(s->DecimalSeparator, 2);
    EXPECT_EQ(DecimalSeparator, QChar(u','));
    EXPECT_THROW(s->Save(&ini), EIniFileException);
    EXPECT_EQ(dir.read("settings.ini/inside"), QByteArray("x"));
}
