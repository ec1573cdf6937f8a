// The set of libraries of the library folder, the one-line descriptions and
// the rules by which the browser shows, moves and pastes nodes.
#include "tools/model/uPrehliadacVyrazov.h"

#include "platform/Classes.h"
#include "tests/support/TempProgramDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QByteArray LibraryXml(const char *name, const char *body = "")
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<library name=\"") + name + "\">" + body
           + "</library>\n";
}

QDomElement Named(const QDomElement &Root, const QString &Name)
{
    for (QDomElement e = Root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.attribute(QStringLiteral("name")) == Name)
            return e;
        const QDomElement inside = Named(e, Name);
        if (!inside.isNull())
            return inside;
    }
    return QDomElement();
}

// The names of Parent's child elements that have one, in file order.
QStringList ChildNames(const QDomElement &Parent)
{
    QStringList names;
    for (QDomElement e = Parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.hasAttribute(QStringLiteral("name")))
            names << e.attribute(QStringLiteral("name"));
    return names;
}

} // namespace

TEST(Lines, JoinAndSplit)
{
    struct Case
    {
        QStringList Lines;
        QString Joined;
    };
    const Case cases[] = {
        {{"", "a", "b"}, "|a|b"},
        {{"a", "", "b"}, "a||b"},
        {{"a", "b", ""}, "a|b|"},
        {{""}, ""},
        {{"one line"}, "one line"},
        // A separator or an escaping backslash inside a line survives.
        {{"x|y", "z"}, "x\\|y|z"},
        {{"C:\\dir", "b"}, "C:\\dir|b"},
        {{"ends\\", "b"}, "ends\\\\|b"},
        {{"\\\\|"}, "\\\\\\\\\\|"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(JoinLines(c.Lines, u'|'), c.Joined);
        QStringList back{"stale"};
        SplitLines(c.Joined, back, u'|');
        EXPECT_EQ(back, c.Lines) << c.Joined.toStdString();
    }
    EXPECT_EQ(JoinLines({}, u'|'), "");
    QStringList lines;
    SplitLines(QStringLiteral("a||b"), lines, u'|');
    EXPECT_EQ(lines, QStringList({"a", "", "b"}));
}

TEST(LibraryPaths, FolderStaysInsideTheProgramFolder)
{
    TempProgramDir dir;
    TempProgramDir outside;
    ASSERT_TRUE(QFile::link(outside.path(), dir.file("away")));
    const QString root = QDir::cleanPath(dir.path());
    const struct
    {
        const char *Path;
        const char *Folder;
        // clang-format off
    } cases[] = {
        {"lib/", "/lib/"},     {"lib\\", "/lib/"},       {"lib", "/lib/"},
        {"libs\\en\\", "/libs/en/"}, {"/abs/lib", "/abs/lib/"}, {"", "/lib/"},
        {"../outside", "/lib/"}, {"a/../../x", "/lib/"},    {"./a/./b/", "/a/b/"},
        {"away/lib", "/lib/"}, // a link that leads out of the program folder
    };
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(LibraryFolderIn(dir.path(), QString::fromUtf8(c.Path)), root + QString::fromUtf8(c.Folder)) << c.Path;
    EXPECT_EQ(LibraryFolderIn(root, QStringLiteral("lib")), root + "/lib/");
}

TEST(LibraryPaths, TypedFileNames)
{
    const QString folder = QStringLiteral("/prog/lib/");
    EXPECT_EQ(LibraryFileName(folder, QStringLiteral("mine")), "/prog/lib/mine.xml");
    EXPECT_EQ(LibraryFileName(folder, QStringLiteral(" mine.xml ")), "/prog/lib/mine.xml");
    EXPECT_EQ(LibraryFileName(folder, QStringLiteral("Mine.XML")), "/prog/lib/Mine.XML");
    EXPECT_EQ(LibraryFileName(folder, QStringLiteral("sub/x")), "/prog/lib/sub/x.xml");
    EXPECT_EQ(LibraryFileName(folder, QStringLiteral("/elsewhere/y.xml")), "/elsewhere/y.xml");
    EXPECT_EQ(LibraryFileName(folder, QStringLiteral("  ")), "");
}

TEST(LibrarySet, LoadsFilesInNameOrderAndListsTheDamagedOnes)
{
    TempProgramDir dir;
    dir.write(QStringLiteral("z.xml"), LibraryXml("Zeta"));
    dir.write(QStringLiteral("c.xml"), "<library name=\"broken\"><category></library>");
    dir.write(QStringLiteral("b.xml"), "<other name=\"x\"/>");
    dir.write(QStringLiteral("a.xml"), LibraryXml("Alpha"));
    dir.write(QStringLiteral("M.xml"), LibraryXml("Mu"));
    dir.write(QStringLiteral("notes.txt"), LibraryXml("Not a library file"));
    QDir(dir.path()).mkdir(QStringLiteral("folder.xml"));

    KExpressionViewer viewer;
    QString failed = QStringLiteral("stale");
    viewer.LoadLibraries(dir.path().chopped(1), failed); // without the trailing "/"
    EXPECT_EQ(failed, "\nb.xml\nc.xml");
    ASSERT_EQ(viewer.Count(), 3);
    QStringList names;
    TLibraryInfo info;
    for (int i = 0; i < viewer.Count(); ++i) {
        viewer.Library(i)->ReadLibraryInfo(info);
        names << info.Name;
    }
    EXPECT_EQ(names, QStringList({"Alpha", "Mu", "Zeta"}));
    EXPECT_EQ(viewer.Library(0)->FileName, dir.file(QStringLiteral("a.xml")));
    EXPECT_FALSE(viewer.IsModified());

    // A reload drops the libraries and their changes.
    viewer.Library(0)->RenameNode(viewer.Library(0)->GetDocumentElement(), QStringLiteral("Changed"));
    viewer.LoadLibraries(dir.path(), failed);
    EXPECT_EQ(viewer.Count(), 3);
    EXPECT_FALSE(viewer.IsModified());

    viewer.LoadLibraries(dir.file(QStringLiteral("no such folder")), failed);
    EXPECT_EQ(viewer.Count(), 0);
    EXPECT_EQ(failed, "");
}

TEST(LibrarySet, ModifiedListAndSaveAll)
{
    TempProgramDir dir;
    KExpressionViewer viewer;
    EXPECT_EQ(viewer.GetModifiedList(), "");
    TKniznicaVyrazov *physics =
        viewer.AddLibrary({QStringLiteral("Physics"), dir.file(QStringLiteral("p.xml")), {}, {}, {}, {}, {}, {}});
    TKniznicaVyrazov *idle =
        viewer.AddLibrary({QStringLiteral("Idle"), dir.file(QStringLiteral("i.xml")), {}, {}, {}, {}, {}, {}});
    TKniznicaVyrazov *geometry =
        viewer.AddLibrary({QStringLiteral("Geometry"), dir.file(QStringLiteral("g.xml")), {}, {}, {}, {}, {}, {}});
    idle->Modified = false;
    EXPECT_TRUE(viewer.IsModified());
    EXPECT_EQ(viewer.GetModifiedList(), "\n- Physics\n- Geometry");

    // One that fails stays modified and is reported; the others are saved.
    physics->FileName = dir.file(QStringLiteral("missing/p.xml"));
    const QList<TSaveFailure> failures = viewer.SaveAll();
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].Name, "Physics");
    EXPECT_EQ(failures[0].FileName, physics->FileName);
    EXPECT_TRUE(physics->Modified);
    EXPECT_FALSE(geometry->Modified);
    EXPECT_TRUE(dir.exists(QStringLiteral("g.xml")));
    EXPECT_FALSE(dir.exists(QStringLiteral("i.xml")));
    EXPECT_EQ(viewer.GetModifiedList(), "\n- Physics");

    // A library marked deleted counts as modified and loses its file.
    geometry->MarkDeleted(true);
    EXPECT_EQ(viewer.GetModifiedList(), "\n- Physics\n- Geometry");
    physics->Modified = false;
    EXPECT_TRUE(viewer.SaveAll().isEmpty());
    EXPECT_FALSE(dir.exists(QStringLiteral("g.xml")));
    EXPECT_FALSE(viewer.IsModified());
}

TEST(LibrarySet, DescriptionLineWithSeparatorSurvivesSaveAndLoad)
{
    TempProgramDir dir;
    KExpressionViewer viewer;
    const QStringList lines{"a|b", "second"};
    TKniznicaVyrazov *lib = viewer.AddLibrary(
        {QStringLiteral("L"), dir.file(QStringLiteral("l.xml")), {}, {}, {}, {}, {}, JoinLines(lines, u'|')});
    lib->AddExpression(lib->GetDocumentElement(), QStringLiteral("E"), QStringLiteral("1"), JoinLines(lines, u'|'),
                       TStringList());
    ASSERT_TRUE(viewer.SaveAll().isEmpty());

    QString failed;
    viewer.LoadLibraries(dir.path(), failed);
    ASSERT_EQ(viewer.Count(), 1);
    TLibraryInfo info;
    viewer.Library(0)->ReadLibraryInfo(info);
    QStringList back;
    SplitLines(info.Description, back, u'|');
    EXPECT_EQ(back, lines);
    QString name, notation, description;
    TStringList vars;
    viewer.Library(0)->ReadExpressionNode(Named(viewer.Library(0)->GetDocumentElement(), QStringLiteral("E")), name,
                                          notation, description, vars);
    SplitLines(description, back, u'|');
    EXPECT_EQ(back, lines);
}

TEST(LibrarySet, FindsLibrariesByCanonicalPath)
{
    TempProgramDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("lib"));
    dir.write(QStringLiteral("lib/a.xml"), LibraryXml("A"));
    QFile::link(dir.file(QStringLiteral("lib")), dir.file(QStringLiteral("link")));
    KExpressionViewer viewer;
    QString failed;
    viewer.LoadLibraries(dir.file(QStringLiteral("lib")), failed);
    ASSERT_EQ(viewer.Count(), 1);
    TKniznicaVyrazov *a = viewer.Library(0);
    EXPECT_EQ(viewer.FindByFileName(dir.file(QStringLiteral("lib/../lib/a.xml"))), a);
    EXPECT_EQ(viewer.FindByFileName(dir.file(QStringLiteral("link/a.xml"))), a);
    EXPECT_EQ(viewer.FindByFileName(dir.file(QStringLiteral("lib/a.xml")), a), nullptr);
    EXPECT_EQ(viewer.FindByFileName(dir.file(QStringLiteral("lib/b.xml"))), nullptr);

    // A library not written yet is found by the path it will have.
    TKniznicaVyrazov *fresh =
        viewer.AddLibrary({QStringLiteral("N"), dir.file(QStringLiteral("lib/new.xml")), {}, {}, {}, {}, {}, {}});
    EXPECT_EQ(viewer.FindByFileName(dir.file(QStringLiteral("link/new.xml"))), fresh);
    EXPECT_EQ(viewer.FindOwner(fresh->GetDocumentElement().firstChild()), nullptr);
    EXPECT_EQ(viewer.FindOwner(fresh->GetDocumentElement()), fresh);
}

// --------------------------------------------------- shown tree and moves

// clang-format off
namespace {

const char *const TreeBody =
    "<desc>d</desc>"
    "<expr name=\"Top\" notation=\"1\"/>"
    "<category name=\"A\">"
    "  <expr name=\"A1\" notation=\"1\"><var name=\"x\" description=\"\"/></expr>"
    "  <group><expr name=\"Wrapped\" notation=\"2\"/></group>"
    "  <expr name=\"A2\" notation=\"2\"/>"
    "  <category name=\"Sub\"><expr name=\"S1\" notation=\"3\"/></category>"
    "</category>"
    "<category name=\"Empty\"/>";

class Tree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.write(QStringLiteral("one.xml"), LibraryXml("One", TreeBody));
        dir.write(QStringLiteral("two.xml"), LibraryXml("Two", "<category name=\"B\"><expr name=\"B1\" notation=\"5\"/></category>"));
        QString failed;
        viewer.LoadLibraries(dir.path(), failed);
        ASSERT_EQ(viewer.Count(), 2);
        one = viewer.Library(0);
        two = viewer.Library(1);
    }
    // clang-format on
    QDomElement In(TKniznicaVyrazov *lib, const char *name) const
    {
        return Named(lib->GetDocumentElement(), QString::fromUtf8(name));
    }

    TempProgramDir dir;
    KExpressionViewer viewer;
    TKniznicaVyrazov *one = nullptr;
    TKniznicaVyrazov *two = nullptr;
};

} // namespace

TEST_F(Tree, ShownElementsAndTheirOrder)
{
    QStringList shown;
    ForEachShownElement(one->GetDocumentElement(), [&](const QDomElement &e, const QDomElement &parent) {
        shown << parent.attribute(QStringLiteral("name")) + u'/' + e.attribute(QStringLiteral("name"));
    });
    // Nameless elements are skipped with their children shown under the
    // nearest shown ancestor; variables are never shown.
    EXPECT_EQ(shown, QStringList({"One/Top", "One/A", "A/A1", "A/Wrapped", "A/A2", "A/Sub", "Sub/S1", "One/Empty"}));

    EXPECT_TRUE(ShownOrderLess(In(one, "Sub"), In(one, "A1")));     // categories first
    EXPECT_TRUE(ShownOrderLess(In(one, "A1"), In(one, "Wrapped"))); // then file order
    EXPECT_TRUE(ShownOrderLess(In(one, "Wrapped"), In(one, "A2")));
    EXPECT_FALSE(ShownOrderLess(In(one, "A2"), In(one, "A1")));
    EXPECT_FALSE(ShownOrderLess(In(one, "A1"), In(one, "A1")));
}

TEST_F(Tree, DropRules)
{
    EXPECT_FALSE(CanDrop(one->GetDocumentElement(), In(two, "B"), false)); // a library never moves
    EXPECT_FALSE(CanDrop(In(one, "A"), In(one, "A"), false));              // not onto itself
    EXPECT_FALSE(CanDrop(In(one, "A"), In(one, "S1"), false));             // nor into its own subtree
    EXPECT_FALSE(CanDrop(In(one, "A1"), two->GetDocumentElement(), true)); // "before" a library
    EXPECT_TRUE(CanDrop(In(one, "A1"), two->GetDocumentElement(), false));
    EXPECT_TRUE(CanDrop(In(one, "Sub"), In(one, "Top"), true));
    EXPECT_TRUE(DropNode(one, In(one, "A"), one, In(one, "Sub"), false).isNull());
    EXPECT_FALSE(one->Modified);
}

TEST_F(Tree, DropOntoContainerGoesFirst)
{
    // Onto a category: before its first content, in the file as in the tree.
    QDomElement moved = DropNode(one, In(one, "A2"), one, In(one, "A"), false);
    ASSERT_FALSE(moved.isNull());
    EXPECT_EQ(ChildNames(In(one, "A")), QStringList({"A2", "A1", "Sub"}));
    EXPECT_TRUE(one->Modified);

    // Onto an empty category: its only child.
    moved = DropNode(one, In(one, "Top"), one, In(one, "Empty"), false);
    EXPECT_EQ(ChildNames(In(one, "Empty")), QStringList({"Top"}));
    EXPECT_EQ(moved.parentNode(), In(one, "Empty"));

    // Onto a library: after its description.
    moved = DropNode(one, In(one, "S1"), one, one->GetDocumentElement(), false);
    const QDomElement root = one->GetDocumentElement();
    EXPECT_EQ(root.firstChildElement().tagName(), "desc");
    EXPECT_EQ(root.firstChildElement().nextSiblingElement(), moved);
    EXPECT_TRUE(In(one, "Sub").firstChildElement().isNull());
}

TEST_F(Tree, DropBeforeTarget)
{
    // Shift: before the node under the mouse, also for a category.
    DropNode(one, In(one, "A1"), one, In(one, "Sub"), true);
    EXPECT_EQ(ChildNames(In(one, "A")), QStringList({"A2", "A1", "Sub"}));
    // Onto an expression without Shift: before it as well.
    DropNode(one, In(one, "S1"), one, In(one, "A2"), false);
    EXPECT_EQ(ChildNames(In(one, "A")), QStringList({"S1", "A2", "A1", "Sub"}));
}

TEST_F(Tree, DropBetweenLibrariesImports)
{
    QDomElement moved = DropNode(one, In(one, "A"), two, In(two, "B1"), true);
    ASSERT_FALSE(moved.isNull());
    EXPECT_EQ(moved.ownerDocument(), two->Document);
    EXPECT_EQ(viewer.FindOwner(moved), two);
    EXPECT_TRUE(In(one, "A").isNull());
    EXPECT_TRUE(one->Modified);
    EXPECT_TRUE(two->Modified);
    EXPECT_EQ(ChildNames(In(two, "B")), QStringList({"A", "B1"}));
    EXPECT_FALSE(In(two, "S1").isNull()); // the whole subtree came along

    ASSERT_TRUE(viewer.SaveAll().isEmpty());
    const QByteArray saved = dir.read(QStringLiteral("two.xml"));
    EXPECT_TRUE(saved.contains("<group>"));
    EXPECT_TRUE(saved.contains("name=\"S1\""));
    EXPECT_FALSE(dir.read(QStringLiteral("one.xml")).contains("name=\"A1\""));
}

TEST_F(Tree, PasteBeforeTarget)
{
    KNodeClipboard clipboard;
    clipboard.Copy(In(one, "A1"));
    QDomElement first = PasteNode(two, In(two, "B1"), clipboard.GetNode());
    QDomElement second = PasteNode(two, In(two, "B1"), clipboard.GetNode());
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(ChildNames(In(two, "B")), QStringList({"A1", "A1", "B1"}));
    two->RenameNode(first, QStringLiteral("Changed"));
    EXPECT_EQ(second.attribute(QStringLiteral("name")), "A1");
    EXPECT_EQ(second.ownerDocument(), two->Document);
    EXPECT_FALSE(In(one, "A1").isNull()); // a paste leaves the source alone

    // Nothing onto a library, and a library is never pasted.
    two->Modified = false;
    EXPECT_TRUE(PasteNode(two, two->GetDocumentElement(), clipboard.GetNode()).isNull());
    clipboard.Copy(one->GetDocumentElement());
    EXPECT_TRUE(PasteNode(two, In(two, "B1"), clipboard.GetNode()).isNull());
    EXPECT_FALSE(two->Modified);
}
