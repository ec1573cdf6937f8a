#include "platform/Classes.h"

#include "tests/support/TempProgramDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(StringList, SplitsTextAtEveryLineEnd)
{
    struct Case
    {
        const char *text;
        QStringList lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r\n\r\nc", {"a", "b", "", "c"}},
        {"\r\n", {""}},
        {"\n\r", {"", ""}},
    };
    TStringList list;
    for (const auto &c : cases) {
        list.SetText(QString::fromUtf8(c.text));
        EXPECT_EQ(list.Lines(), c.lines) << c.text;
    }
    list.SetText("a\nb");
    EXPECT_EQ(list.Text(), "a\r\nb\r\n");
}

TEST(StringList, NameValueLookupsIgnoreCaseAndTakeTheFirst)
{
    TStringList list;
    list.SetText("x=1\nX=2\ny\nab=c=d\n=v\nY");
    EXPECT_EQ(list.IndexOfName("X"), 0);
    EXPECT_EQ(list.Values("x"), "1");
    EXPECT_EQ(list.IndexOfName("y"), -1); // a line without "=" has no name
    EXPECT_EQ(list.IndexOf("Y"), 2);
    EXPECT_EQ(list.IndexOf("z"), -1);
    EXPECT_EQ(list.Names(3), "ab");
    EXPECT_EQ(list.ValueFromIndex(3), "c=d");
    EXPECT_EQ(list.Names(4), "");
    EXPECT_EQ(list.ValueFromIndex(4), "v");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.ValueFromIndex(2), "");
    EXPECT_EQ(list.Values("missing"), "");
}

TEST(StringList, SettingValues)
{
    TStringList list;
    list.SetText("x=1\ny=2\nX=3");
    list.SetValues("X", "5"); // first match, rewritten with the given name
    list.SetValues("z", "7");
    list.SetValues("q", ""); // nothing to delete, nothing added
    EXPECT_EQ(list.Lines(), QStringList({"X=5", "y=2", "X=3", "z=7"}));
    list.SetValues("x", ""); // an empty value deletes the first line of that name
    EXPECT_EQ(list.Lines(), QStringList({"y=2", "X=3", "z=7"}));
}

TEST(StringList, IndexErrors)
{
    TStringList list;
    list.Add("a");
    EXPECT_THROW(list.Strings(1), EStringListError);
    EXPECT_THROW(list.Strings(-1), EStringListError);
    EXPECT_THROW(list.Delete(1), EStringListError);
    EXPECT_THROW(list.Insert(2, "x"), EStringListError);
    try {
        list[5] = "x";
        FAIL();
    } catch (const EStringListError &e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    list.Insert(1, "b");
    list.Insert(0, "c");
    EXPECT_EQ(list.Lines(), QStringList({"c", "a", "b"}));
}

TEST(StringList, FilesAreUtf8WithCrLf)
{
    TempProgramDir dir;
    TStringList list;
    list.SetText(QString::fromUtf8("\xc4\x8d=1\nb="));
    list.SaveToFile(dir.file("v.txt"));
    EXPECT_EQ(dir.read("v.txt"), "\xc4\x8d=1\r\nb=\r\n");

    dir.write("mixed.txt", "\xEF\xBB\xBFx=5\ry=2.5\r\nz=\n");
    TStringList loaded;
    loaded.LoadFromFile(dir.file("mixed.txt"));
    EXPECT_EQ(loaded.Lines(), QStringList({"x=5", "y=2.5", "z="}));

    dir.write("empty.txt", "");
    loaded.LoadFromFile(dir.file("empty.txt"));
    EXPECT_EQ(loaded.Count(), 0);

    // A first line that begins with a byte-order mark of its own keeps it.
    dir.write("marks.txt", "\xEF\xBB\xBF\xEF\xBB\xBFx=5\r\n");
    loaded.LoadFromFile(dir.file("marks.txt"));
    EXPECT_EQ(loaded.Lines(), QStringList({QChar(0xFEFF) + QStringLiteral("x=5")}));
    loaded.SaveToFile(dir.file("marks.txt"));
    EXPECT_EQ(dir.read("marks.txt"), "\xEF\xBB\xBF\xEF\xBB\xBFx=5\r\n");
}

TEST(StringList, OneStrayByteChangesNoOtherCharacter)
{
    // A history with one line from an older 8-bit program: the valid lines
    // read as the UTF-8 they are, and a save writes every byte back.
    TempProgramDir dir;
    const QByteArray history = "\xcf\x80*2 = 6.28\r\ncaf\xe9 = 1\r\n\xce\xb1=3\r\n";
    dir.write("history.dat", history);
    TStringList list;
    list.LoadFromFile(dir.file("history.dat"));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], QString::fromUtf8("\xcf\x80*2 = 6.28"));
    EXPECT_EQ(list[2], QString::fromUtf8("\xce\xb1=3"));
    EXPECT_EQ(list.Values(QString::fromUtf8("\xce\xb1")), "3");
    list.Add("1+1 = 2");
    list.SaveToFile(dir.file("history.dat"));
    EXPECT_EQ(dir.read("history.dat"), history + "1+1 = 2\r\n");
}

TEST(StringList, LosslessUtf8KeepsEveryByteSequence)
{
    const char *samples[] = {
        "plain",
        "\xc4\x8d\xce\xb1\xe2\x82\xac\xf0\x9f\x98\x80", // valid: 2, 3, 4 bytes
        "\xc0\xaf",
        "\xe0\x80\xaf", // overlong
        "\xed\xa0\x80",
        "\xed\xbf\xbf", // encoded surrogates
        "\xf4\x90\x80\x80",
        "\xf8\x88\x80\x80\x80", // beyond Unicode
        "\xe2\x82",
        "a\xe2\x82",
        "\x80",
        "\xff\xfe",             // cut short, stray
        "\xe2\x82\xe2\x82\xac", // a cut sequence before a whole one
    };
    for (const char *sample : samples) {
        const QByteArray bytes(sample);
        const QString text = DecodeUtf8Lossless(bytes);
        EXPECT_EQ(EncodeUtf8Lossless(text), bytes) << sample;
        if (QString::fromUtf8(bytes).toUtf8() == bytes) {
            EXPECT_EQ(text, QString::fromUtf8(bytes)) << sample;
        }
    }
    EXPECT_EQ(DecodeUtf8Lossless("a\xe2\x82\xac"), QString::fromUtf8("a\xe2\x82\xac"));
    EXPECT_EQ(DecodeUtf8Lossless("caf\xe9").size(), 4);
    // A lone surrogate that stands for no byte is written as U+FFFD.
    EXPECT_EQ(EncodeUtf8Lossless(QString(QChar(0xD800)) + u'x'), "\xef\xbf\xbdx");
}

TEST(StringList, FilesAboveTheLimitAreRefusedUnread)
{
    TempProgramDir dir;
    TStringList list;
    list.Add("keep");
    dir.write("ten.txt", "0123456789");
    list.LoadFromFile(dir.file("ten.txt"), 10);
    EXPECT_EQ(list.Lines(), QStringList({"0123456789"}));
    list.Clear();
    list.Add("keep");
    EXPECT_THROW(list.LoadFromFile(dir.file("ten.txt"), 9), EFileTooLarge);
    EXPECT_EQ(list.Lines(), QStringList({"keep"}));
    // The default limit (a sparse file here).
    {
        QFile big(dir.file("big.txt"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(MaxTextFileSize + 1));
    }
    try {
        list.LoadFromFile(dir.file("big.txt"));
        FAIL();
    } catch (const EFileTooLarge &e) {
        EXPECT_TRUE(e.Message().contains(dir.file("big.txt"))) << e.Message().toStdString();
    }
    EXPECT_EQ(list.Lines(), QStringList({"keep"}));
    EXPECT_EQ(QFileInfo(dir.file("big.txt")).size(), MaxTextFileSize + 1);
    // A device without a size is read no further than the limit.
    EXPECT_THROW(list.LoadFromFile(QStringLiteral("/dev/zero"), 4096), EFileTooLarge);
}

TEST(StringList, FileErrorsRaiseAndChangeNothing)
{
    TempProgramDir dir;
    TStringList list;
    list.Add("keep");
    EXPECT_THROW(list.LoadFromFile(dir.file("missing.txt")), EFOpenError);
    EXPECT_EQ(list.Lines(), QStringList({"keep"}));
    EXPECT_THROW(list.SaveToFile(dir.file("no/dir/v.txt")), EFCreateError);
    EXPECT_FALSE(dir.exists("no/dir/v.txt"));

    dir.write("v.txt", "old\r\n");
    list.SaveToFile(dir.file("v.txt"));
    EXPECT_EQ(dir.read("v.txt"), "keep\r\n");
}
