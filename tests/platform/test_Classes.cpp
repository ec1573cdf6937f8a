#include "platform/Classes.h"

#include "tests/support/TempProgramDir.h"

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
    list.SetValues("q", "");  // nothing to delete, nothing added
    EXPECT_EQ(list.Lines(), QStringList({"X=5", "y=2", "X=3", "z=7"}));
    list.SetValues("x", "");  // an empty value deletes the first line of that name
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

    // An older 8-bit file keeps every character instead of failing.
    dir.write("latin.txt", "x=\xe9\n");
    loaded.LoadFromFile(dir.file("latin.txt"));
    EXPECT_EQ(loaded.Lines(), QStringList({QString::fromLatin1("x=\xe9")}));

    dir.write("empty.txt", "");
    loaded.LoadFromFile(dir.file("empty.txt"));
    EXPECT_EQ(loaded.Count(), 0);
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
