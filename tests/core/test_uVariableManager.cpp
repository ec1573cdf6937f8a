#include "core/uVariableManager.h"
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

class VariableManager : public ::testing::Test
{
protected:
    void SetUp() override { vars()->Clear(); }
    void TearDown() override { TVariableManager::FreeInstance(); }
    static TVariableManager *vars() { return TVariableManager::Instance(); }
    static QStringList lines() { return vars()->Variables.Lines(); }
    static TStringList list(const QStringList &l)
    {
        TStringList r;
        for (const QString &s : l)
            r.Add(s);
        return r;
    }
    TempProgramDir dir;
};

} // namespace

TEST_F(VariableManager, SetValueAddsNamesAndKeepsKnownValues)
{
    vars()->SetValue("x", "");
    EXPECT_EQ(lines(), QStringList{"x="});
    vars()->SetValue("x", "5");
    vars()->SetValue("X", "");
    vars()->SetValue("", "7");
    vars()->SetValue("y", "2.5");
    EXPECT_EQ(lines(), (QStringList{"x=5", "y=2.5"}));
    vars()->SetValue("Y", "1/3");
    EXPECT_EQ(vars()->GetValue("y"), QStringLiteral("1/3"));
    EXPECT_EQ(vars()->Count(), 2);
}

TEST_F(VariableManager, LookUpsIgnoreLetterCase)
{
    vars()->SetValue("x", "5");
    vars()->SetValue("r", "");
    EXPECT_TRUE(vars()->Exists("X"));
    EXPECT_EQ(vars()->GetValue("X"), QStringLiteral("5"));
    EXPECT_TRUE(vars()->Exists("r"));
    EXPECT_EQ(vars()->GetValue("r"), QString());
    EXPECT_FALSE(vars()->Exists("z"));
    EXPECT_EQ(vars()->GetValue("z"), QString());
}

TEST_F(VariableManager, MergeUpdatesRemovesAndAdds)
{
    vars()->SetValue("x", "5");
    vars()->SetValue("z", "1");
    vars()->Merge(list({"x=", "y=3", "z=4", "w="}));
    EXPECT_EQ(lines(), (QStringList{"z=4", "y=3", "w="}));
}

TEST_F(VariableManager, CopyToReplacesTheTarget)
{
    vars()->SetValue("a", "1");
    vars()->SetValue("b", "");
    TStringList target = list({"old=1"});
    vars()->CopyTo(target);
    EXPECT_EQ(target.Lines(), (QStringList{"a=1", "b="}));
    // The window's round trip: clear, then merge the edited lines back.
    target.SetValues("b", "2");
    vars()->Clear();
    EXPECT_EQ(vars()->Count(), 0);
    vars()->Merge(target);
    EXPECT_EQ(lines(), (QStringList{"a=1", "b=2"}));
}

TEST_F(VariableManager, FileRoundTripAndLineEnds)
{
    vars()->SetValue("x", "5");
    vars()->SetValue("y", "2.5");
    vars()->SetValue("z", "");
    vars()->SaveToFile(dir.file("variables.txt"));
    EXPECT_EQ(dir.read("variables.txt"), QByteArray("x=5\r\ny=2.5\r\nz=\r\n"));

    dir.write("variables.txt", "a=1\nb=2\rc=\xc4\xbe\r\n");
    vars()->LoadFromFile(dir.file("variables.txt"));
    EXPECT_EQ(lines(), (QStringList{"a=1", "b=2", QString::fromUtf8("c=\xc4\xbe")}));

    dir.write("empty.txt", "");
    vars()->LoadFromFile(dir.file("empty.txt"));
    EXPECT_EQ(vars()->Count(), 0);
}

TEST_F(VariableManager, AStrayByteRenamesNoVariable)
{
    const QByteArray file = "\xce\xb1=2\r\nb\xe9ta=3\r\nx=1/3\r\n";
    dir.write("variables.txt", file);
    vars()->LoadFromFile(dir.file("variables.txt"));
    EXPECT_EQ(vars()->GetValue(QString::fromUtf8("\xce\xb1")), "2");
    EXPECT_EQ(vars()->GetValue("x"), "1/3");
    vars()->SetValue("x", "4");
    vars()->SaveToFile(dir.file("variables.txt"));
    EXPECT_EQ(dir.read("variables.txt"), QByteArray("\xce\xb1=2\r\nb\xe9ta=3\r\nx=4\r\n"));
}

TEST_F(VariableManager, FileErrorsReachTheCallerAndKeepTheVariables)
{
    vars()->SetValue("x", "5");
    EXPECT_THROW(vars()->LoadFromFile(dir.file("missing.txt")), EFOpenError);
    EXPECT_EQ(lines(), QStringList{"x=5"});
    dir.write("huge.txt", QByteArray(MaxTextFileSize + 1, 'y'));
    EXPECT_THROW(vars()->LoadFromFile(dir.file("huge.txt")), EFileTooLarge);
    EXPECT_EQ(lines(), QStringList{"x=5"});
    dir.write("blocker", "keep");
    EXPECT_THROW(vars()->SaveToFile(dir.file("blocker/variables.txt")), EFCreateError);
    EXPECT_EQ(dir.read("blocker"), QByteArray("keep"));
}
