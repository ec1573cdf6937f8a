#include "platform/IniFiles.h"

#include "tests/support/TempProgramDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// File content as text, so that a failure shows a readable difference.
std::string Bytes(const TempProgramDir &dir, const QString &name)
{
    return dir.read(name).toStdString();
}

const QByteArray Sample = "; comment\r\n"
                          "top=before any section\r\n"
                          "[Common]\r\n"
                          "Close = Zavrie\xc5\xa5 \r\n"
                          "Quoted=\"  padded  \"\r\n"
                          "Half=\"open\r\n"
                          "Empty=\r\n"
                          "Dup=first\r\n"
                          "Dup=second\r\n"
                          "\tSpaces =   a b   \r\n"
                          "NoEquals\r\n"
                          ";Commented=x\r\n"
                          "Inner=a;b,c \\n\r\n"
                          "[common]\r\n"
                          "Late=hidden\r\n"
                          "[ Numbers ]\r\n"
                          "Int=42\r\n"
                          "Neg=-7\r\n"
                          "Plus=+3\r\n"
                          "Hex=0x1F\r\n"
                          "Dollar=$10\r\n"
                          "Damaged=12abc\r\n"
                          "Blank=\r\n"
                          "Big=99999999999\r\n"
                          "Float=1.5\r\n"
                          "Zero=0\r\n"
                          "Two=2\r\n"
                          "Text=true\r\n"
                          "QuotedInt=\"5\"\r\n";

} // namespace

TEST(IniFile, ReadsStringsAsThePrivateProfileFunctions)
{
    TempProgramDir dir;
    dir.write("a.ini", Sample);
    const TIniFile ini(dir.file("a.ini"));
    struct Case
    {
        const char *section, *key, *value;
    };
    const Case cases[] = {
        {"common", "close", "Zavrie\xc5\xa5"}, // names ignore case, blanks dropped
        {"COMMON", "Quoted", "  padded  "},    // one pair of quotes removed
        {"Common", "Half", "\"open"},
        {"Common", "Empty", ""}, // present and empty: not the default
        {"Common", "Dup", "first"},
        {"Common", "Spaces", "a b"},
        {"Common", "Inner", "a;b,c \\n"}, // no comments, splitting or escapes in values
        {"Common", "NoEquals", "<def>"},
        {"Common", "Commented", "<def>"},
        {"Common", "Late", "<def>"}, // a repeated section is not looked into
        {"Common", "Missing", "<def>"},
        {"Missing", "Close", "<def>"},
        {"", "top", "<def>"},
        {"Numbers", "Int", "42"}, // blanks around a section name
    };
    for (const auto &c : cases)
        EXPECT_EQ(ini.ReadString(QString::fromUtf8(c.section), QString::fromUtf8(c.key), "<def>"),
                  QString::fromUtf8(c.value))
            << c.section << "/" << c.key;
    EXPECT_TRUE(ini.SectionExists("COMMON"));
    EXPECT_FALSE(ini.SectionExists("Nope"));
    EXPECT_TRUE(ini.ValueExists("common", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("common", "late"));
    QStringList list;
    ini.ReadSections(list);
    EXPECT_EQ(list, QStringList({"Common", "Numbers"}));
    ini.ReadSection("common", list);
    EXPECT_EQ(list, QStringList({"Close", "Quoted", "Half", "Empty", "Dup", "Dup", "Spaces", "Inner"}));
}

TEST(IniFile, ReadsIntegersAndBooleans)
{
    TempProgramDir dir;
    dir.write("a.ini", Sample);
    const TIniFile ini(dir.file("a.ini"));
    struct Case
    {
        const char *key;
        int value;
    };
    // A value that is not wholly an integer is damage and gives the default.
    const Case cases[] = {{"Int", 42},     {"Neg", -7},   {"Plus", 3},     {"Hex", 31},   {"Dollar", 16},
                          {"Damaged", -1}, {"Blank", -1}, {"Big", -1},     {"Float", -1}, {"Missing", -1},
                          {"Zero", 0},     {"Text", -1},  {"QuotedInt", 5}};
    for (const auto &c : cases)
        EXPECT_EQ(ini.ReadInteger("numbers", c.key, -1), c.value) << c.key;
    EXPECT_FALSE(ini.ReadBool("Numbers", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("Numbers", "Two", false)); // any non-zero integer
    EXPECT_TRUE(ini.ReadBool("Numbers", "Neg", false));
    EXPECT_TRUE(ini.ReadBool("Numbers", "Text", true));
    EXPECT_FALSE(ini.ReadBool("Numbers", "Text", false));
    EXPECT_FALSE(ini.ReadBool("Numbers", "Missing", false));
}

TEST(IniFile, CutsValuesAt2047Characters)
{
    TempProgramDir dir;
    dir.write("a.ini", "[S]\nLong=" + QByteArray(3000, 'x') + "\nQuoted=\"" + QByteArray(2100, 'y')
                           + "\"\nExact=" + QByteArray(2047, 'z') + "\n");
    const TIniFile ini(dir.file("a.ini"));
    EXPECT_EQ(ini.ReadString("S", "Long", ""), QString(2047, u'x'));
    EXPECT_EQ(ini.ReadString("S", "Quoted", ""), QString(2047, u'y'));
    EXPECT_EQ(ini.ReadString("S", "Exact", ""), QString(2047, u'z'));
}

TEST(IniFile, WritesInPlaceKeepingForeignLines)
{
    TempProgramDir dir;
    dir.write("s.ini", "; settings\r\n"
                       "[MainForm]\r\n"
                       "Center=1\r\n"
                       "Top = 100\r\n"
                       "\r\n"
                       "[Settings]\r\n"
                       "; keep me\r\n"
                       "Lang=en\r\n");
    TIniFile ini(dir.file("s.ini"));
    ini.WriteInteger("mainform", "TOP", 5);   // replaced where it stands, spelling kept
    ini.WriteInteger("MainForm", "Left", -7); // new key at the end of its section
    ini.WriteBool("Settings", "OnTop", true);
    ini.WriteString("Memory", "Data", "2.5"); // new section at the end
    ini.WriteBool("Settings", "Lang", false);
    EXPECT_EQ(Bytes(dir, "s.ini"), "; settings\r\n"
                                   "[MainForm]\r\n"
                                   "Center=1\r\n"
                                   "Top = 5\r\n"
                                   "Left=-7\r\n"
                                   "\r\n"
                                   "[Settings]\r\n"
                                   "; keep me\r\n"
                                   "Lang=0\r\n"
                                   "OnTop=1\r\n"
                                   "[Memory]\r\n"
                                   "Data=2.5\r\n");
    EXPECT_EQ(ini.ReadInteger("MainForm", "Top", 0), 5);
    EXPECT_EQ(ini.ReadString("memory", "data", ""), "2.5");
}

TEST(IniFile, CreatesANewFileInWriteOrder)
{
    TempProgramDir dir;
    TIniFile ini(dir.file("programState.ini"));
    EXPECT_EQ(ini.ReadInteger("ProgramState", "NumberSet", 3), 3);
    ini.WriteInteger("ProgramState", "NumberSet", 0);
    ini.WriteInteger("ProgramState", "ModuloBase", 5);
    ini.WriteBool("ProgramState", "Hyp", false);
    EXPECT_EQ(Bytes(dir, "programState.ini"), "[ProgramState]\r\nNumberSet=0\r\nModuloBase=5\r\nHyp=0\r\n");
}

TEST(IniFile, KeepsLineEndsBomAndUndecodableBytes)
{
    TempProgramDir dir;
    dir.write("lf.ini", "[A]\nk=v\n");
    TIniFile lf(dir.file("lf.ini"));
    lf.WriteString("A", "n", QString::fromUtf8("\xc4\x8d"));
    EXPECT_EQ(Bytes(dir, "lf.ini"), "[A]\nk=v\nn=\xc4\x8d\n");

    dir.write("bom.ini", "\xEF\xBB\xBF[A]\r\nk=\xc5\xa1\r\nraw=\xff\xfe\r\n");
    TIniFile bom(dir.file("bom.ini"));
    EXPECT_EQ(bom.ReadString("a", "k", ""), QString::fromUtf8("\xc5\xa1"));
    EXPECT_EQ(bom.ReadString("a", "raw", ""), QString::fromLatin1("\xff\xfe"));
    bom.WriteString("A", "k", "x");
    EXPECT_EQ(Bytes(dir, "bom.ini"), "\xEF\xBB\xBF[A]\r\nk=x\r\nraw=\xff\xfe\r\n");

    // A UTF-16 file is read and written back in UTF-16, never mixed.
    const QString wide = QString::fromUtf8("[A]\r\nk=\xc5\xa1\r\n");
    dir.write("le.ini", "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2));
    TIniFile le(dir.file("le.ini"));
    EXPECT_EQ(le.ReadString("A", "k", ""), QString::fromUtf8("\xc5\xa1"));
    le.WriteString("A", "n", "1");
    const QString wider = wide + "n=1\r\n";
    EXPECT_EQ(dir.read("le.ini"),
              "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(wider.utf16()), wider.size() * 2));

    dir.write("cr.ini", "[A]\rk=1\r[B]\rk=2");
    const TIniFile cr(dir.file("cr.ini"));
    EXPECT_EQ(cr.ReadInteger("B", "k", 0), 2);
}

TEST(IniFile, LineBreaksInWrittenTextCannotAddLines)
{
    TempProgramDir dir;
    TIniFile ini(dir.file("a.ini"));
    ini.WriteString("S", "k", "one\r\n[Evil]\nx=1");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "one  [Evil] x=1");
    EXPECT_FALSE(ini.SectionExists("Evil"));
}

TEST(IniFile, DamagedOrUnreadableFilesReadAsEmpty)
{
    TempProgramDir dir;
    static constexpr char binary[] = "\0\x01[\xff\xfe]\0=\n\n=\n[\n]]]";
    dir.write("bin.ini", QByteArray(binary, sizeof binary - 1));
    const TIniFile bin(dir.file("bin.ini"));
    EXPECT_EQ(bin.ReadString("x", "y", "d"), "d");
    QStringList sections;
    bin.ReadSections(sections);

    QDir().mkpath(dir.file("folder.ini"));
    TIniFile folder(dir.file("folder.ini"));
    EXPECT_EQ(folder.ReadInteger("a", "b", 9), 9);
    EXPECT_FALSE(folder.SectionExists("a"));
    // A file that exists but cannot be read is never replaced.
    EXPECT_THROW(folder.WriteInteger("a", "b", 1), EIniFileException);

    // A file far larger than any settings file (sparse here) is refused,
    // neither loaded nor rewritten, not even by a group of writes.
    {
        QFile huge(dir.file("huge.ini"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        huge.write("[a]\nb=1\n");
        ASSERT_TRUE(huge.resize(MaxTextFileSize + 1));
    }
    TIniFile huge(dir.file("huge.ini"));
    EXPECT_TRUE(huge.TooLarge());
    EXPECT_EQ(huge.ReadInteger("a", "b", 9), 9);
    EXPECT_THROW(huge.WriteInteger("a", "b", 2), EIniFileException);
    EXPECT_THROW(WriteIniAtomically(dir.file("huge.ini"), [](TIniFile &ini) { ini.WriteInteger("a", "b", 2); }),
                 EIniFileException);
    EXPECT_EQ(QFileInfo(dir.file("huge.ini")).size(), MaxTextFileSize + 1);
    // A language file may be larger.
    const TIniFile language(dir.file("huge.ini"), MaxLanguageFileSize);
    EXPECT_FALSE(language.TooLarge());
    EXPECT_EQ(language.ReadInteger("a", "b", 9), 1);
    EXPECT_FALSE(TIniFile(dir.file("none.ini")).TooLarge());

    const TIniFile missing(dir.file("none.ini"));
    EXPECT_EQ(missing.ReadString("a", "b", "d"), "d");
    EXPECT_FALSE(QFileInfo::exists(dir.file("none.ini")));
}

TEST(IniFile, WriteFailureIsReportedAndLeavesNoFile)
{
    TempProgramDir dir;
    TIniFile ini(dir.file("no/such/dir/a.ini"));
    try {
        ini.WriteString("a", "b", "c");
        FAIL();
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + dir.file("no/such/dir/a.ini"));
    }
    EXPECT_FALSE(dir.exists("no/such/dir/a.ini"));
}

TEST(IniFile, SeesChangesMadeByOthers)
{
    TempProgramDir dir;
    dir.write("a.ini", "[A]\nk=1\n");
    TIniFile reader(dir.file("a.ini"));
    TIniFile writer(dir.file("a.ini"));
    EXPECT_EQ(reader.ReadInteger("A", "k", 0), 1);
    writer.WriteInteger("A", "k", 2);
    EXPECT_EQ(reader.ReadInteger("A", "k", 0), 2);
    dir.write("a.ini", "[A]\nk=3\n"); // same size, same moment, same inode
    EXPECT_EQ(reader.ReadInteger("A", "k", 0), 3);
}

// A read group looks at the file once: a change made by others in between
// is seen after the group (nested groups end with the outer one), while
// the group's own writes reach the file and its reads at once.
TEST(IniFile, AReadGroupLooksAtTheFileOnce)
{
    TempProgramDir dir;
    dir.write("a.ini", "[A]\nk=1\n");
    TIniFile ini(dir.file("a.ini"));
    {
        const TIniReadGroup outer(ini);
        EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
        dir.write("a.ini", "[A]\nk=2\n");
        {
            const TIniReadGroup inner(ini);
            EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
        }
        EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
        ini.WriteInteger("A", "j", 5);
        EXPECT_EQ(ini.ReadInteger("A", "j", 0), 5);
        // The write read the file anew, so the change made meanwhile stays.
        EXPECT_EQ(Bytes(dir, "a.ini"), "[A]\nk=2\nj=5\n");
        dir.write("a.ini", "[A]\nk=3\nj=5\n");
        EXPECT_EQ(ini.ReadInteger("A", "k", 0), 2);
    }
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 3);
    ini.EndReadGroup(); // one end too many changes nothing
    dir.write("a.ini", "[A]\nk=4\nj=5\n");
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 4);
}

// What reading takes off (blanks around a value, one pair of enclosing
// quotation marks) is protected when writing, so every value reads back.
TEST(IniFile, EveryWrittenValueReadsBack)
{
    TempProgramDir dir;
    TIniFile ini(dir.file("a.ini"));
    const struct
    {
        const char *Value, *Line;
    } cases[] = {
        {"plain", "k=plain"},     {" padded ", "k=\" padded \""},
        {"\ttab", "k=\"\ttab\""}, {"\"quoted\"", "k=\"\"quoted\"\""},
        {"\"", "k=\""},           {"\"\"", "k=\"\"\"\""},
        {"\"open", "k=\"open"},   {"", "k="},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Value);
        ini.WriteString("S", "k", c.Value);
        EXPECT_EQ(ini.ReadString("S", "k", "default"), c.Value);
        EXPECT_EQ(TIniFile(dir.file("a.ini")).ReadString("S", "k", "default"), c.Value);
        EXPECT_EQ(Bytes(dir, "a.ini"), std::string("[S]\r\n") + c.Line + "\r\n");
    }
}

TEST(IniFile, DeletesKeysAndSections)
{
    TempProgramDir dir;
    dir.write("a.ini", "[A]\nk=1\nj=2\n[B]\nx=1\n[a]\nm=3\n");
    TIniFile ini(dir.file("a.ini"));
    ini.DeleteKey("a", "K");
    EXPECT_EQ(Bytes(dir, "a.ini"), "[A]\nj=2\n[B]\nx=1\n[a]\nm=3\n");
    ini.EraseSection("A");
    EXPECT_EQ(Bytes(dir, "a.ini"), "[B]\nx=1\n");
    QStringList values;
    ini.ReadSectionValues("b", values);
    EXPECT_EQ(values, QStringList({"x=1"}));
}

TEST(IniFile, GroupWriteLandsWholeOrNotAtAll)
{
    TempProgramDir dir;
    const QString name = dir.file("group.ini");
    dir.write("group.ini", "[S]\r\nKeep=old\r\n");

    WriteIniAtomically(name, [](TIniFile &ini) {
        ini.WriteString("S", "Keep", "new");
        ini.WriteInteger("T", "N", 7);
    });
    EXPECT_EQ(Bytes(dir, "group.ini"), "[S]\r\nKeep=new\r\n[T]\r\nN=7\r\n");

    // A failure part-way through leaves the file exactly as it was and no
    // temporary copy behind.
    EXPECT_THROW(WriteIniAtomically(name,
                                    [](TIniFile &ini) {
                                        ini.WriteString("S", "Keep", "lost");
                                        throw EIniFileException("disk full");
                                    }),
                 EIniFileException);
    EXPECT_EQ(Bytes(dir, "group.ini"), "[S]\r\nKeep=new\r\n[T]\r\nN=7\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(IniFile, NamesWithBlanksAroundThemAreFoundAsWritten)
{
    TempProgramDir dir;
    const QString name = dir.file("blanks.ini");
    TIniFile ini(name);
    ini.WriteString(" Fz ", " Key ", "1");
    ini.WriteString(" Fz ", " Key ", "2");
    ini.WriteString("Fz", "Other", "3");
    EXPECT_EQ(ini.ReadString(" Fz ", " Key ", ""), "2");
    EXPECT_EQ(ini.ReadString("fz", "key", ""), "2");
    EXPECT_TRUE(ini.ValueExists(" Fz", "Other "));
    EXPECT_EQ(Bytes(dir, "blanks.ini"), "[ Fz ]\r\n Key =2\r\nOther=3\r\n");
    ini.DeleteKey(" fz ", " key ");
    EXPECT_FALSE(ini.ValueExists("Fz", "Key"));
    ini.EraseSection("  Fz");
    EXPECT_FALSE(ini.SectionExists("Fz"));
}

TEST(IniFile, GroupWriteThatChangesNothingLeavesTheFile)
{
    TempProgramDir dir;
    const QString name = dir.file("same.ini");
    dir.write("same.ini", "[S]\nk=1\n");
    const QDateTime before = QFileInfo(name).lastModified();
    const auto inode = [&] {
        struct stat st;
        return ::stat(QFile::encodeName(name).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    const ino_t first = inode();
    WriteIniAtomically(name, [](TIniFile &ini) {
        ini.WriteInteger("S", "k", 1);
        EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
    });
    EXPECT_EQ(inode(), first);
    EXPECT_EQ(QFileInfo(name).lastModified(), before);
    // Reads inside a group see its own writes before they land.
    WriteIniAtomically(name, [](TIniFile &ini) {
        ini.WriteInteger("S", "k", 2);
        EXPECT_EQ(ini.ReadInteger("S", "k", 0), 2);
        ini.WriteInteger("T", "n", 3);
    });
    EXPECT_EQ(Bytes(dir, "same.ini"), "[S]\nk=2\n[T]\nn=3\n");
}
