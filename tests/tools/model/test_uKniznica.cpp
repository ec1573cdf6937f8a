// One expression library in memory: reading the file, every node
// operation, the node clipboard and saving.
#include "tools/model/uKniznica.h"

#include "platform/Classes.h"
#include "tests/support/TempProgramDir.h"

#include <QDir>
#include <QDomNodeList>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

#include <ostream>

void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QByteArray Fixture = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- kept on save -->
<library name="Physics" version="1.2" author="Ann" author-web="http://a.example" license="CC0">
  <desc>first|second</desc>
  <meta kind="unknown"><item>text</item></meta>
  <category name="Kinematics" colour="red">
    <expr name="Velocity" notation="v = s/t">
      <desc>old</desc>
      <var name="s" description="distance"/>
      <desc>uniform motion</desc>
      <var name="t" description="time"/>
      <note>ignored</note>
    </expr>
    <category name="Empty"/>
  </category>
  <expr name="Loose" notation="1+1"/>
</library>
)";

QStringList Lines(const TStringList &List)
{
    return List.Lines();
}

TStringList ListOf(std::initializer_list<const char *> lines)
{
    TStringList list;
    for (const char *line : lines)
        list.Add(QString::fromUtf8(line));
    return list;
}

class Library : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.write(QStringLiteral("fixture.xml"), Fixture);
        ASSERT_TRUE(lib.LoadFromFile(dir.file(QStringLiteral("fixture.xml"))));
    }
    QDomElement Category() const { return lib.GetDocumentElement().firstChildElement(QStringLiteral("category")); }
    QDomElement Velocity() const { return Category().firstChildElement(QStringLiteral("expr")); }
    QDomElement Root() const { return lib.GetDocumentElement(); }
    // The document as it would be saved.
    QString Text() const { return lib.Document.toString(2); }

    TempProgramDir dir;
    TKniznicaVyrazov lib;
};

} // namespace

TEST_F(Library, ReadsHeaderAndExpressions)
{
    EXPECT_FALSE(lib.Modified);
    TLibraryInfo info;
    lib.ReadLibraryInfo(info);
    EXPECT_EQ(info.Name, "Physics");
    EXPECT_EQ(info.FileName, dir.file(QStringLiteral("fixture.xml")));
    EXPECT_EQ(info.Version, "1.2");
    EXPECT_EQ(info.Date, ""); // missing attributes read as empty
    EXPECT_EQ(info.AuthorEmail, "");
    EXPECT_EQ(info.Author, "Ann");
    EXPECT_EQ(info.AuthorWeb, "http://a.example");
    EXPECT_EQ(info.Description, "first|second");

    QString name, notation, description;
    TStringList vars;
    lib.ReadExpressionNode(Velocity(), name, notation, description, vars);
    EXPECT_EQ(name, "Velocity");
    EXPECT_EQ(notation, "v = s/t");
    EXPECT_EQ(description, "uniform motion"); // a later desc replaces an earlier one
    EXPECT_EQ(Lines(vars), QStringList({"s=distance", "t=time"}));

    // Any other element clears the outputs and keeps Name.
    name = QStringLiteral("kept");
    lib.ReadExpressionNode(Category(), name, notation, description, vars);
    EXPECT_EQ(name, "kept");
    EXPECT_TRUE(notation.isEmpty() && description.isEmpty() && vars.Count() == 0);
    EXPECT_FALSE(lib.Modified);
}

TEST_F(Library, NodeKinds)
{
    EXPECT_EQ(NodeKind(Root()), NodeLibrary);
    EXPECT_EQ(NodeKind(Category()), NodeCategory);
    EXPECT_EQ(NodeKind(Velocity()), NodeExpression);
    EXPECT_EQ(NodeKind(Root().firstChildElement(QStringLiteral("meta"))), NodeOther);
    EXPECT_EQ(NodeKind(Root().firstChildElement(QStringLiteral("desc"))), NodeOther);
}

TEST(LibraryLoad, RefusesWhatIsNoLibrary)
{
    TempProgramDir dir;
    dir.write(QStringLiteral("other.xml"), "<other name=\"x\"/>");
    dir.write(QStringLiteral("broken.xml"), "<library name=\"x\"><category></library>");
    dir.write(QStringLiteral("empty.xml"), "");
    dir.write(QStringLiteral("upper.xml"), "<Library name=\"x\"/>"); // names are case-sensitive
    QDir(dir.path()).mkdir(QStringLiteral("folder.xml"));
    // Nested deeper than the document service can walk on its stack.
    QByteArray deep = "<library name=\"deep\">";
    for (int i = 0; i < 100000; ++i)
        deep += "<category name=\"c\">";
    dir.write(QStringLiteral("deep.xml"), deep);
    for (const char *name :
         {"other.xml", "broken.xml", "empty.xml", "upper.xml", "folder.xml", "missing.xml", "deep.xml"}) {
        TKniznicaVyrazov lib;
        lib.Modified = true;
        lib.MarkedDeleted = true;
        QString why;
        EXPECT_FALSE(lib.LoadFromFile(dir.file(QString::fromUtf8(name)), &why)) << name;
        EXPECT_FALSE(why.isEmpty()) << name;
        EXPECT_FALSE(lib.Modified) << name;
        EXPECT_TRUE(lib.MarkedDeleted) << name; // left alone
    }
}

// Characters that XML does not allow would make a saved file unreadable:
// a file holding one does not load, and a library given one is not saved.
TEST(LibraryLoad, CharactersXmlDoesNotAllowAreRefused)
{
    TempProgramDir dir;
    const struct
    {
        const char *Name;
        QByteArray Xml;
        bool OurReason; // the parser lets it through, the check does not
    } cases[] = {
        {"raw.xml", "<library name=\"a\x01b\"/>", false},
        {"nul.xml", QByteArray("<library name=\"P\" v\x01\0\0\x08x=\"1\"/>", 30), true},
        {"reference.xml", "<library name=\"x\"><desc>bell &#7;</desc></library>", false},
        {"noncharacter.xml", "<library name=\"x\"><expr name=\"\xEF\xBF\xBE\" notation=\"1\"/></library>", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        dir.write(QString::fromUtf8(c.Name), c.Xml);
        TKniznicaVyrazov lib;
        QString why;
        EXPECT_FALSE(lib.LoadFromFile(dir.file(QString::fromUtf8(c.Name)), &why));
        EXPECT_FALSE(why.isEmpty());
        if (c.OurReason) {
            EXPECT_EQ(why, "the file holds a character that XML does not allow (U+0001)");
        }
        EXPECT_EQ(dir.read(QString::fromUtf8(c.Name)), c.Xml);
    }
    // Tabs, line ends and characters beyond the 16-bit range are allowed.
    dir.write(QStringLiteral("fine.xml"), "<library name=\"a&#9;b&#10;\xF0\x9F\x98\x80\"/>");
    TKniznicaVyrazov fine;
    ASSERT_TRUE(fine.LoadFromFile(dir.file(QStringLiteral("fine.xml"))));

    const QByteArray before = dir.read(QStringLiteral("fine.xml"));
    fine.RenameNode(fine.GetDocumentElement(), QStringLiteral("bell \x07"));
    QString why;
    EXPECT_FALSE(fine.Save(&why));
    EXPECT_EQ(why, "the library holds a character that XML does not allow (U+0007)");
    EXPECT_TRUE(fine.Modified);
    EXPECT_EQ(dir.read(QStringLiteral("fine.xml")), before);
}

TEST(LibraryLoad, DepthIsCountedWhateverTheMarkupAround)
{
    auto nested = [](int levels, const QByteArray &open) {
        QByteArray xml = "<library name=\"deep\">";
        for (int i = 1; i < levels; ++i)
            xml += open;
        for (int i = 1; i < levels; ++i)
            xml += "</category>";
        return xml + "</library>";
    };
    const struct
    {
        const char *Name;
        QByteArray Xml;
        bool Loads;
    } cases[] = {
        // A "/>" inside a value closes nothing.
        {"values.xml", nested(MaxNestingDepth + 1, "<category name=\"a/>\" x='/>'>"), false},
        {"doctype.xml", "<!DOCTYPE library>" + nested(MaxNestingDepth + 1, "<category>"), false},
        {"spaced.xml", nested(MaxNestingDepth + 1, "<category\n>"), false},
        // Markup inside comments, CDATA and instructions is no element.
        {"comment.xml",
         "<library name=\"c\"><!-- " + QByteArray(1000, '<') + " --><![CDATA[" + QByteArray(1000, '<')
             + "]]><?pi <a><a>?></library>",
         true},
        {"selfclosed.xml", nested(3, "<category/>"), false}, // not well-formed, refused by the parser
    };
    TempProgramDir dir;
    for (const auto &c : cases) {
        dir.write(QString::fromUtf8(c.Name), c.Xml);
        TKniznicaVyrazov lib;
        EXPECT_EQ(lib.LoadFromFile(dir.file(QString::fromUtf8(c.Name))), c.Loads) << c.Name;
    }

    // Text of 16-bit characters is read by the streaming reader.
    const QString deep = QString::fromUtf8(nested(MaxNestingDepth + 1, "<category>"));
    QByteArray utf16("\xff\xfe");
    utf16 += QByteArray(reinterpret_cast<const char *>(deep.utf16()), deep.size() * 2);
    dir.write(QStringLiteral("utf16.xml"), utf16);
    TKniznicaVyrazov lib;
    QString why;
    EXPECT_FALSE(lib.LoadFromFile(dir.file(QStringLiteral("utf16.xml")), &why));
    EXPECT_TRUE(why.contains("nested")) << why.toStdString();
}

TEST(LibraryLoad, TakesNestingUpToTheLimit)
{
    TempProgramDir dir;
    QByteArray deep = "<library name=\"deep\">";
    for (int i = 1; i < MaxNestingDepth; ++i)
        deep += "<category name=\"c\">";
    for (int i = 1; i < MaxNestingDepth; ++i)
        deep += "</category>";
    dir.write(QStringLiteral("deep.xml"), deep + "</library>");
    TKniznicaVyrazov lib;
    EXPECT_TRUE(lib.LoadFromFile(dir.file(QStringLiteral("deep.xml"))));
}

TEST(LibraryNew, WritesEveryHeaderAttributeAndNothingToDisk)
{
    TempProgramDir dir;
    TKniznicaVyrazov lib;
    TLibraryInfo info{QStringLiteral("Geometry"),
                      dir.file(QStringLiteral("g.xml")),
                      QStringLiteral("0.0.0"),
                      QStringLiteral("1/2/25"),
                      QString(),
                      QString(),
                      QString(),
                      QString()};
    lib.CreateNew(info);
    EXPECT_TRUE(lib.Modified);
    EXPECT_EQ(lib.FileName, info.FileName);
    const QDomElement root = lib.GetDocumentElement();
    EXPECT_EQ(root.tagName(), "library");
    for (const char *attr : {"name", "version", "date", "author", "author-web", "author-email"})
        EXPECT_TRUE(root.hasAttribute(QString::fromUtf8(attr))) << attr;
    EXPECT_TRUE(root.firstChildElement(QStringLiteral("desc")).isNull()); // empty description: no desc
    EXPECT_FALSE(dir.exists(QStringLiteral("g.xml")));

    info.Description = QStringLiteral("a|b");
    lib.CreateNew(info);
    TLibraryInfo back;
    lib.ReadLibraryInfo(back);
    EXPECT_EQ(back.Description, "a|b");
    EXPECT_EQ(back.Date, "1/2/25");

    ASSERT_TRUE(lib.Save());
    TKniznicaVyrazov again;
    ASSERT_TRUE(again.LoadFromFile(info.FileName));
    again.ReadLibraryInfo(back);
    EXPECT_EQ(back.Name, "Geometry");
    EXPECT_EQ(back.Description, "a|b");
}

TEST_F(Library, WriteLibraryInfoSetsHeaderFileAndDescription)
{
    TLibraryInfo info;
    lib.ReadLibraryInfo(info);
    info.Name = QStringLiteral("Mechanics");
    info.FileName = dir.file(QStringLiteral("moved.xml"));
    info.Description = QStringLiteral("new");
    lib.WriteLibraryInfo(info);
    EXPECT_TRUE(lib.Modified);
    EXPECT_EQ(lib.FileName, info.FileName);
    EXPECT_EQ(Root().attribute(QStringLiteral("name")), "Mechanics");
    EXPECT_TRUE(Root().hasAttribute(QStringLiteral("author-email"))); // empty values written too
    EXPECT_EQ(Root().elementsByTagName(QStringLiteral("desc")).count(), 3);
    EXPECT_EQ(Root().firstChildElement(QStringLiteral("desc")).text(), "new");

    // A cleared description stays cleared.
    info.Description.clear();
    lib.WriteLibraryInfo(info);
    TLibraryInfo back;
    lib.ReadLibraryInfo(back);
    EXPECT_EQ(back.Description, "");

    // The next save writes the new path and leaves the old file alone.
    ASSERT_TRUE(lib.Save());
    EXPECT_TRUE(dir.exists(QStringLiteral("moved.xml")));
    EXPECT_EQ(dir.read(QStringLiteral("fixture.xml")), Fixture);
}

TEST(LibraryHeader, EmptyDescriptionAddsNoDescElement)
{
    TempProgramDir dir;
    dir.write(QStringLiteral("a.xml"), "<library name=\"A\"><category name=\"C\"/></library>");
    TKniznicaVyrazov lib;
    ASSERT_TRUE(lib.LoadFromFile(dir.file(QStringLiteral("a.xml"))));
    TLibraryInfo info;
    lib.ReadLibraryInfo(info);
    EXPECT_EQ(info.Description, "");
    lib.WriteLibraryInfo(info);
    ASSERT_TRUE(lib.Save());
    EXPECT_FALSE(dir.read(QStringLiteral("a.xml")).contains("desc"));

    // A new description heads the library's children.
    info.Description = QStringLiteral("d");
    lib.WriteLibraryInfo(info);
    EXPECT_EQ(lib.GetDocumentElement().firstChildElement().tagName(), "desc");
}

TEST_F(Library, AddCategoryAndExpression)
{
    QDomElement cat = lib.AddCategory(Category(), QStringLiteral("Dynamics"));
    EXPECT_TRUE(lib.Modified);
    EXPECT_EQ(cat.parentNode(), Category());
    EXPECT_EQ(Category().lastChild(), cat);
    EXPECT_EQ(cat.attribute(QStringLiteral("name")), "Dynamics");

    // Lines without a name give no variable; each line keeps its own value.
    QDomElement expr = lib.AddExpression(cat, QStringLiteral("F"), QStringLiteral("F = m*a"), QString(),
                                         ListOf({"x=length", "=", "y=", "x=again", "z"}));
    EXPECT_EQ(cat.lastChild(), expr);
    EXPECT_TRUE(expr.firstChildElement(QStringLiteral("desc")).isNull());
    QString name, notation, description;
    TStringList vars;
    lib.ReadExpressionNode(expr, name, notation, description, vars);
    EXPECT_EQ(name, "F");
    EXPECT_EQ(notation, "F = m*a");
    EXPECT_EQ(Lines(vars), QStringList({"x=length", "y=", "x=again", "z="}));

    expr = lib.AddExpression(cat, QStringLiteral("G"), QStringLiteral("1"), QStringLiteral("d"), TStringList());
    EXPECT_EQ(expr.firstChildElement().tagName(), "desc");
    EXPECT_EQ(expr.firstChildElement().text(), "d");
}

TEST_F(Library, ManyVariableLines)
{
    TStringList many;
    for (int i = 0; i < 200; ++i)
        many.Add(QStringLiteral("v%1=d%1").arg(i));
    QDomElement expr = lib.AddExpression(Root(), QStringLiteral("N"), QStringLiteral("v0"), QString(), many);
    EXPECT_EQ(expr.elementsByTagName(QStringLiteral("var")).count(), 200);
    many.Add(QStringLiteral("w=last"));
    lib.UpdateExpression(expr, QStringLiteral("N"), QStringLiteral("v0"), QString(), many);
    QString name, notation, description;
    TStringList vars;
    lib.ReadExpressionNode(expr, name, notation, description, vars);
    ASSERT_EQ(vars.Count(), 201);
    EXPECT_EQ(vars.Strings(199), "v199=d199");
    EXPECT_EQ(vars.Strings(200), "w=last");
}

TEST_F(Library, UpdateExpression)
{
    QDomElement velocity = Velocity();
    lib.UpdateExpression(velocity, QStringLiteral("Speed"), QStringLiteral("v = d/t"), QString(),
                         ListOf({"d=distance", "=", "t=time"}));
    EXPECT_TRUE(lib.Modified);
    QString name, notation, description;
    TStringList vars;
    lib.ReadExpressionNode(velocity, name, notation, description, vars);
    EXPECT_EQ(name, "Speed");
    EXPECT_EQ(notation, "v = d/t");
    EXPECT_EQ(description, ""); // a cleared description stays cleared
    EXPECT_EQ(Lines(vars), QStringList({"d=distance", "t=time"}));
    // Elements the program does not know stay.
    EXPECT_FALSE(velocity.firstChildElement(QStringLiteral("note")).isNull());

    lib.UpdateExpression(velocity, QStringLiteral("Speed"), QStringLiteral("v"), QStringLiteral("again"), vars);
    lib.ReadExpressionNode(velocity, name, notation, description, vars);
    EXPECT_EQ(description, "again");

    // Anything but an expression is left alone, Modified included.
    lib.Modified = false;
    const QString before = Text();
    lib.UpdateExpression(Category(), QStringLiteral("X"), QStringLiteral("1"), QStringLiteral("d"), vars);
    EXPECT_EQ(Text(), before);
    EXPECT_FALSE(lib.Modified);
}

TEST_F(Library, RenameRemoveInsert)
{
    lib.RenameNode(Root(), QStringLiteral("Renamed"));
    EXPECT_TRUE(lib.Modified);
    EXPECT_EQ(Root().attribute(QStringLiteral("name")), "Renamed");

    // The document element is never removed.
    lib.Modified = false;
    const QString before = Text();
    lib.RemoveNode(Root());
    EXPECT_EQ(Text(), before);
    EXPECT_FALSE(lib.Modified);

    QDomElement velocity = Velocity();
    lib.RemoveNode(velocity);
    EXPECT_TRUE(lib.Modified);
    EXPECT_TRUE(Velocity().isNull());

    // Index counts every child node, the description included; an index
    // past the end appends.
    QDomElement inserted = lib.InsertNode(Root(), velocity, 1);
    EXPECT_EQ(ChildIndex(inserted), 1);
    EXPECT_EQ(Root().firstChildElement().tagName(), "desc");
    QDomElement last = lib.InsertNode(Root(), lib.Document.createElement(QStringLiteral("expr")), 99);
    EXPECT_EQ(Root().lastChild(), last);

    // A node of another document is imported.
    QDomDocument other;
    QDomElement foreign = other.createElement(QStringLiteral("category"));
    foreign.setAttribute(QStringLiteral("name"), QStringLiteral("Foreign"));
    foreign.appendChild(other.createElement(QStringLiteral("expr")));
    QDomElement imported = lib.InsertNode(Category(), foreign, 0);
    EXPECT_EQ(imported.ownerDocument(), lib.Document);
    EXPECT_EQ(imported.parentNode(), Category());
    EXPECT_EQ(imported.firstChildElement().tagName(), "expr");
}

TEST_F(Library, ClipboardPastesIndependentCopies)
{
    KNodeClipboard clipboard;
    EXPECT_TRUE(clipboard.IsEmpty());
    EXPECT_TRUE(clipboard.GetNode().isNull());
    clipboard.Copy(Velocity());
    EXPECT_FALSE(clipboard.IsEmpty());

    QDomElement first = lib.InsertNode(Root(), clipboard.GetNode(), 99);
    QDomElement second = lib.InsertNode(Root(), clipboard.GetNode(), 99);
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_NE(first, second);
    lib.RenameNode(first, QStringLiteral("One"));
    EXPECT_EQ(second.attribute(QStringLiteral("name")), "Velocity");
    EXPECT_EQ(second.elementsByTagName(QStringLiteral("var")).count(), 2);

    // The copy outlives the library it came from.
    lib.LoadFromFile(dir.file(QStringLiteral("fixture.xml")));
    TKniznicaVyrazov other;
    other.CreateNew({QStringLiteral("O"), dir.file(QStringLiteral("o.xml")), {}, {}, {}, {}, {}, {}});
    QDomElement pasted = other.InsertNode(other.GetDocumentElement(), clipboard.GetNode(), 0);
    EXPECT_EQ(pasted.attribute(QStringLiteral("notation")), "v = s/t");

    clipboard.Clear();
    EXPECT_TRUE(clipboard.IsEmpty());
}

TEST_F(Library, RoundTripKeepsWhatItDoesNotKnow)
{
    lib.RenameNode(Velocity(), QStringLiteral("Velocity (uniform)"));
    lib.AddExpression(Category(), QStringLiteral("Ångström"), QStringLiteral("a<b & \"c\""), QStringLiteral("š|č <&>"),
                      ListOf({"x=count"}));
    ASSERT_TRUE(lib.Save());
    EXPECT_FALSE(lib.Modified);

    const QByteArray saved = dir.read(QStringLiteral("fixture.xml"));
    EXPECT_TRUE(saved.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE(saved.contains("<!-- kept on save -->"));
    EXPECT_TRUE(saved.contains("license=\"CC0\""));
    EXPECT_TRUE(saved.contains("colour=\"red\""));
    EXPECT_TRUE(saved.contains("<item>text</item>"));
    EXPECT_TRUE(saved.contains("<note>ignored</note>"));
    EXPECT_TRUE(saved.contains("\n  <category")); // indented
    // Attributes in a fixed order, foreign ones last: saving twice gives
    // the same file.
    EXPECT_TRUE(saved.contains(
        "<library name=\"Physics\" version=\"1.2\" author=\"Ann\" author-web=\"http://a.example\" license=\"CC0\">"));
    EXPECT_TRUE(saved.contains("<expr name=\"Velocity (uniform)\" notation=\"v = s/t\">"));
    EXPECT_TRUE(saved.contains("<var name=\"s\" description=\"distance\"/>"));

    TKniznicaVyrazov again;
    ASSERT_TRUE(again.LoadFromFile(dir.file(QStringLiteral("fixture.xml"))));
    EXPECT_EQ(again.GetDocumentElement().text(), Root().text());
    EXPECT_EQ(again.Document.toString(2).section(u'\n', 1), Text().section(u'\n', 1));
    QString name, notation, description;
    TStringList vars;
    again.ReadExpressionNode(again.GetDocumentElement()
                                 .firstChildElement(QStringLiteral("category"))
                                 .lastChildElement(QStringLiteral("expr")),
                             name, notation, description, vars);
    EXPECT_EQ(name, "Ångström");
    EXPECT_EQ(notation, "a<b & \"c\"");
    EXPECT_EQ(description, "š|č <&>");
}

TEST(LibrarySave, DeclaredEncodingFollowsTheBytesWritten)
{
    TempProgramDir dir;
    dir.write(QStringLiteral("l.xml"),
              QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<library name=\"caf\xe9\"/>"));
    TKniznicaVyrazov lib;
    ASSERT_TRUE(lib.LoadFromFile(dir.file(QStringLiteral("l.xml"))));
    lib.Modified = true;
    ASSERT_TRUE(lib.Save());
    TKniznicaVyrazov again;
    ASSERT_TRUE(again.LoadFromFile(dir.file(QStringLiteral("l.xml"))));
    EXPECT_EQ(again.GetDocumentElement().attribute(QStringLiteral("name")), QStringLiteral("café"));
}

TEST_F(Library, SaveWritesOnlyWhenModifiedAndDeletesWhenMarked)
{
    const QString path = dir.file(QStringLiteral("fixture.xml"));
    QFile::remove(path);
    ASSERT_TRUE(lib.Save()); // not modified: nothing written
    EXPECT_FALSE(QFileInfo::exists(path));

    lib.Modified = true;
    ASSERT_TRUE(lib.Save());
    EXPECT_TRUE(QFileInfo::exists(path));

    lib.MarkDeleted(true);
    EXPECT_TRUE(lib.Modified);
    ASSERT_TRUE(lib.Save());
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(lib.Modified);

    // A marked library whose file never existed saves cleanly.
    lib.Modified = true;
    EXPECT_TRUE(lib.Save());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(Library, FailedSaveOrDeleteKeepsTheLibraryModified)
{
    // A folder that cannot exist: its parent is a file.
    lib.FileName = dir.file(QStringLiteral("fixture.xml/inside.xml"));
    lib.Modified = true;
    QString why;
    EXPECT_FALSE(lib.Save(&why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(lib.Modified);
    EXPECT_EQ(dir.read(QStringLiteral("fixture.xml")), Fixture);

    // A "file" that cannot be deleted: a folder with something in it.
    QDir(dir.path()).mkpath(QStringLiteral("busy.xml/x"));
    lib.FileName = dir.file(QStringLiteral("busy.xml"));
    lib.MarkDeleted(true);
    EXPECT_FALSE(lib.Save(&why));
    EXPECT_TRUE(lib.Modified);
    EXPECT_TRUE(QFileInfo(lib.FileName).isDir());
}

TEST_F(Library, ReadOnlyFileIsNotReplaced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser writes read-only files";
    const QString path = dir.file(QStringLiteral("fixture.xml"));
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    lib.RenameNode(Root(), QStringLiteral("Changed"));
    EXPECT_FALSE(lib.Save());
    EXPECT_TRUE(lib.Modified);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(dir.read(QStringLiteral("fixture.xml")), Fixture);
}
