// The expression browser as a user drives it: the tree of the library
// folder, details, Use, drag and drop, copy, cut, paste, delete, the save
// questions when the window closes and when the program ends.
#include "tools/fPrehliadacVyrazov.h"

#include "core/uProgramSettings.h"
#include "core/uVariableManager.h"
#include "platform/Classes.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "shell/uValueListEditor.h"
#include "tests/support/EngineState.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"
#include "tools/dPrehliadacVyrazov.h"
#include "tools/model/uPrehliadacVyrazov.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QByteArray Physics = R"(<?xml version="1.0" encoding="UTF-8"?>
<library name="Physics" version="2.0" author="Ann" author-web="http://a.example" author-email="ann@a.example">
  <desc>Mechanics|and more</desc>
  <category name="Kinematics">
    <expr name="Velocity" notation="v = s/t"><desc>uniform</desc><var name="s" description="distance"/><var name="t" description="time"/></expr>
    <category name="Deeper"><expr name="Deep" notation="1"/></category>
  </category>
  <expr name="Loose" notation="2.5*x"/>
  <category name="Empty"/>
</library>
)";

const QByteArray Geometry = R"(<?xml version="1.0" encoding="UTF-8"?>
<library name="Geometry">
  <category name="Areas"><expr name="Square" notation="S = a^2"><var name="a" description="side"/></expr></category>
</library>
)";

class BrowserBase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetEngineState();
        TGUIManager::Instance()->SetMainForm(&Main);
        SetProgramDir(Dir.path());
        QDir(Dir.path()).mkdir(QStringLiteral("lib"));
    }
    void TearDown() override
    {
        delete Window;
        TGUIManager::Instance()->SetMainForm(nullptr);
        TProgramTranslator::FreeInstance();
        SetProgramDir(QString());
        ResetEngineState();
    }
    // Creates the window as the registry does (its texts load the libraries).
    void Open()
    {
        Window = new TPrehliadacVyrazovFrm();
        Window->TranslateTexts();
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window));
    }
    QString File(const char *name) const { return Dir.file(QStringLiteral("lib/") + QString::fromUtf8(name)); }
    QByteArray Read(const char *name) const { return Dir.read(QStringLiteral("lib/") + QString::fromUtf8(name)); }

    // The item at a path of captions, "Physics/Kinematics/Velocity".
    TXMLNodeItem *Item(const QString &Path) const
    {
        const QStringList parts = Path.split(u'/');
        QTreeWidgetItem *found = nullptr;
        for (int i = 0; i < Tree()->topLevelItemCount() && !found; ++i)
            if (Tree()->topLevelItem(i)->text(0) == parts.first())
                found = Tree()->topLevelItem(i);
        for (qsizetype p = 1; p < parts.size() && found; ++p) {
            QTreeWidgetItem *parent = found;
            found = nullptr;
            for (int i = 0; i < parent->childCount() && !found; ++i)
                if (parent->child(i)->text(0) == parts.at(p))
                    found = parent->child(i);
        }
        return dynamic_cast<TXMLNodeItem *>(found);
    }
    QStringList Captions(QTreeWidgetItem *Parent) const
    {
        QStringList names;
        for (int i = 0; i < Parent->childCount(); ++i)
            names << Parent->child(i)->text(0);
        return names;
    }
    // Names of the elements with a name directly inside Node, in file order.
    static QStringList FileChildren(const QDomElement &Node)
    {
        QStringList names;
        for (QDomElement e = Node.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            if (e.hasAttribute(QStringLiteral("name")))
                names << e.attribute(QStringLiteral("name"));
        return names;
    }
    TLibraryTreeView *Tree() const { return Window->Tree(); }
    void Select(const char *Path) { Tree()->setCurrentItem(Item(QString::fromUtf8(Path))); }
    void Key(int K, Qt::KeyboardModifiers M = Qt::NoModifier) { QTest::keyClick(Tree(), Qt::Key(K), M); }
    template <class T>
    T *Control(const char *Name) const
    {
        return Window->findChild<T *>(QString::fromUtf8(Name));
    }

    TempProgramDir Dir;
    FakeMainForm Main;
    TPrehliadacVyrazovFrm *Window = nullptr;
};

class Browser : public BrowserBase
{
protected:
    void SetUp() override
    {
        BrowserBase::SetUp();
        Dir.write(QStringLiteral("lib/a_physics.xml"), Physics);
        Dir.write(QStringLiteral("lib/b_geometry.xml"), Geometry);
        Open();
    }
};

} // namespace

TEST_F(Browser, ShowsTheLibrariesInFileOrderWithCategoriesFirst)
{
    ASSERT_EQ(Tree()->topLevelItemCount(), 2);
    EXPECT_EQ(Tree()->topLevelItem(0)->text(0), "Physics");
    EXPECT_EQ(Tree()->topLevelItem(1)->text(0), "Geometry");
    EXPECT_EQ(Captions(Item("Physics")), QStringList({"Kinematics", "Empty", "Loose"}));
    EXPECT_EQ(Captions(Item("Physics/Kinematics")), QStringList({"Deeper", "Velocity"}));
    EXPECT_FALSE(Item("Physics")->icon(0).isNull());
    EXPECT_EQ(Window->windowTitle(), "Expression browser");
    EXPECT_FALSE(Control<QPushButton>("pouzitBtn")->isEnabled());
}

TEST_F(Browser, SelectionShowsDetailsAndEnablesTheActions)
{
    TPrehliadacVyrazovDta *menu = GetPrehliadacVyrazovDta();
    struct Case
    {
        const char *Path;
        bool NewItems, Rename, Delete, Modify;
    };
    for (const Case &c : {Case{"Physics", true, true, true, true}, Case{"Physics/Kinematics", true, true, true, false},
                          Case{"Physics/Kinematics/Velocity", false, false, true, true}}) {
        Select(c.Path);
        EXPECT_EQ(menu->novaKategoriaMni->isEnabled(), c.NewItems) << c.Path;
        EXPECT_EQ(menu->novyVyrazMni->isEnabled(), c.NewItems) << c.Path;
        EXPECT_EQ(menu->premenovatMni->isEnabled(), c.Rename) << c.Path;
        EXPECT_EQ(menu->odstranitMni->isEnabled(), c.Delete) << c.Path;
        EXPECT_EQ(menu->upravitMni->isEnabled(), c.Modify) << c.Path;
        EXPECT_FALSE(menu->saveMni->isEnabled());
        EXPECT_TRUE(menu->reloadMni->isEnabled() && menu->novaKniznicaMni->isEnabled());
    }
    // The expression's details stay shown for the category that follows.
    EXPECT_EQ(Control<QLineEdit>("vyrazEdt")->text(), "v = s/t");
    EXPECT_EQ(Control<QPlainTextEdit>("PopisMmo")->toPlainText(), "uniform");
    EXPECT_EQ(Control<TValueListEditor>("premenneVle")->Strings(), QStringList({"s=distance", "t=time"}));
    EXPECT_TRUE(Control<QWidget>("vyrazPnl")->isVisible());
    EXPECT_TRUE(Control<QPushButton>("pouzitBtn")->isEnabled());

    Select("Physics");
    EXPECT_TRUE(Control<QWidget>("kniznicaPnl")->isVisible());
    EXPECT_FALSE(Control<QWidget>("vyrazPnl")->isVisible());
    EXPECT_EQ(Control<QLineEdit>("suborEdt")->text(), File("a_physics.xml"));
    EXPECT_EQ(Control<QLabel>("verziaLbl")->text(), "2.0");
    EXPECT_EQ(Control<QLabel>("emailLbl")->text(), "ann@a.example");
    EXPECT_EQ(Control<QPlainTextEdit>("popisKnizniceMmo")->toPlainText(), "Mechanics\nand more");
    EXPECT_FALSE(Control<QPushButton>("pouzitBtn")->isEnabled());

    Tree()->setCurrentItem(nullptr);
    EXPECT_FALSE(menu->odstranitMni->isEnabled());
    EXPECT_FALSE(menu->novaKategoriaMni->isEnabled());
}

TEST_F(Browser, UseSendsTheExpressionAndItsVariables)
{
    Select("Physics/Kinematics/Velocity");
    QTest::mouseClick(Control<QPushButton>("pouzitBtn"), Qt::LeftButton);
    EXPECT_EQ(Main.Input, " s/t");
    EXPECT_TRUE(TVariableManager::Instance()->Exists(QStringLiteral("s")));
    EXPECT_TRUE(TVariableManager::Instance()->Exists(QStringLiteral("t")));

    // Numbers of a library file follow the user's decimal separator.
    KProgramSettings::Instance()->SetDecimalSeparator(2);
    Select("Physics/Loose");
    Window->UseSelected();
    EXPECT_EQ(Main.Input, "2,5*x");
}

TEST_F(Browser, DropOntoACategoryPutsTheNodeFirstInFileAndTree)
{
    Window->DropOnItem(Item("Physics/Loose"), Item("Physics/Kinematics"), false);
    EXPECT_EQ(Captions(Item("Physics/Kinematics")), QStringList({"Deeper", "Loose", "Velocity"}));
    EXPECT_EQ(FileChildren(Item("Physics/Kinematics")->Ref.Node), QStringList({"Loose", "Velocity", "Deeper"}));
    EXPECT_EQ(Window->SelectedNode, Item("Physics/Kinematics/Loose")->Ref.Node);

    // An empty category takes it as its only child.
    Window->DropOnItem(Item("Physics/Kinematics/Velocity"), Item("Physics/Empty"), false);
    EXPECT_EQ(Captions(Item("Physics/Empty")), QStringList({"Velocity"}));
    EXPECT_EQ(FileChildren(Item("Physics/Empty")->Ref.Node), QStringList({"Velocity"}));
    EXPECT_EQ(Captions(Item("Physics/Empty/Velocity")), QStringList());

    // Shift: before the node under the mouse.
    Window->DropOnItem(Item("Physics/Kinematics/Loose"), Item("Physics/Kinematics/Deeper/Deep"), true);
    EXPECT_EQ(FileChildren(Item("Physics/Kinematics/Deeper")->Ref.Node), QStringList({"Loose", "Deep"}));
    EXPECT_TRUE(GetPrehliadacVyrazovDta()->saveMni->isEnabled());
}

TEST_F(Browser, RefusedDrops)
{
    EXPECT_FALSE(Window->CanDropOn(Item("Physics"), Item("Geometry/Areas"), false)); // a library
    EXPECT_FALSE(
        Window->CanDropOn(Item("Physics/Kinematics"), Item("Physics/Kinematics/Deeper"), false)); // into itself
    EXPECT_FALSE(Window->CanDropOn(Item("Physics/Loose"), Item("Geometry"), true));               // before a library
    EXPECT_TRUE(Window->CanDropOn(Item("Physics/Loose"), Item("Geometry"), false));
    Window->DropOnItem(Item("Physics/Kinematics"), Item("Physics/Kinematics/Deeper/Deep"), false);
    EXPECT_FALSE(Window->GetViewer()->IsModified());
}

TEST_F(Browser, ADropMovesTheDraggedNodeNotTheSelection)
{
    Select("Geometry/Areas/Square");
    Tree()->expandAll();
    Tree()->doItemsLayout();
    TXMLNodeItem *target = Item("Physics/Kinematics");
    const QPoint at = Tree()->visualItemRect(target).center();
    QMimeData mime;
    mime.setData(QStringLiteral("application/x-tandorel-library-node"), QByteArray());

    Tree()->BeginDrag(Item("Physics/Loose"));
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Tree()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Tree()->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Tree()->viewport(), &drop);
    Tree()->EndDrag();

    EXPECT_NE(Item("Physics/Kinematics/Loose"), nullptr);
    EXPECT_EQ(Item("Physics/Loose"), nullptr);
    EXPECT_NE(Item("Geometry/Areas/Square"), nullptr);

    // Onto its own subtree the drag is refused.
    Tree()->BeginDrag(Item("Physics/Kinematics"));
    const QPoint inside = Tree()->visualItemRect(Item("Physics/Kinematics/Deeper")).center();
    QDragEnterEvent again(inside, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Tree()->viewport(), &again);
    QDragMoveEvent refused(inside, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Tree()->viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    Tree()->EndDrag();
}

TEST_F(Browser, DragBetweenLibrariesMovesTheWholeNode)
{
    Window->DropOnItem(Item("Physics/Kinematics"), Item("Geometry/Areas/Square"), true);
    EXPECT_EQ(Captions(Item("Geometry/Areas")), QStringList({"Kinematics", "Square"}));
    EXPECT_EQ(Item("Geometry/Areas/Kinematics/Velocity")->Ref.Library, Item("Geometry")->Ref.Library);
    EXPECT_EQ(Item("Physics/Kinematics"), nullptr);
    ASSERT_TRUE(Window->SaveLibraries());
    EXPECT_TRUE(Read("b_geometry.xml").contains("<var name=\"s\" description=\"distance\"/>"));
    EXPECT_FALSE(Read("a_physics.xml").contains("Velocity"));
}

TEST_F(Browser, CutAnsweredNoKeepsTheNodeAndPastesGiveIndependentCopies)
{
    Select("Geometry/Areas/Square");
    QString question;
    AnswerNextMessageBox(QMessageBox::No, &question);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(question, "Really delete selected item?");
    ASSERT_NE(Item("Geometry/Areas/Square"), nullptr);

    Select("Physics/Loose");
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(FileChildren(Item("Physics")->Ref.Node),
              QStringList({"Kinematics", "Square", "Square", "Loose", "Empty"}));
    EXPECT_EQ(Captions(Item("Physics")), QStringList({"Kinematics", "Empty", "Square", "Square", "Loose"}));
    TXMLNodeItem *first = dynamic_cast<TXMLNodeItem *>(Item("Physics")->child(2));
    TXMLNodeItem *second = dynamic_cast<TXMLNodeItem *>(Item("Physics")->child(3));
    first->Ref.Library->RenameNode(first->Ref.Node, QStringLiteral("Changed"));
    EXPECT_EQ(second->Ref.Node.attribute(QStringLiteral("name")), "Square");
    EXPECT_EQ(second->Ref.Node.ownerDocument(), Item("Physics")->Ref.Library->Document);

    // Nothing is pasted onto a library.
    Select("Geometry");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Captions(Item("Geometry")), QStringList({"Areas"}));
}

TEST_F(Browser, DeletingALibraryRemovesItsFileAtTheNextSave)
{
    Select("Geometry");
    AnswerNextMessageBox(QMessageBox::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Tree()->topLevelItemCount(), 1);
    EXPECT_TRUE(Window->SelectedNode.isNull());
    EXPECT_TRUE(QFileInfo::exists(File("b_geometry.xml")));
    GetPrehliadacVyrazovDta()->saveMni->trigger();
    EXPECT_FALSE(QFileInfo::exists(File("b_geometry.xml")));

    Select("Physics/Kinematics/Velocity");
    AnswerNextMessageBox(QMessageBox::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Item("Physics/Kinematics/Velocity"), nullptr);
    EXPECT_FALSE(Control<QPushButton>("pouzitBtn")->isEnabled());
    EXPECT_EQ(Control<QLineEdit>("vyrazEdt")->text(), "");
}

TEST_F(Browser, ClosingAsksUntilTheChangesAreSaved)
{
    TXMLNodeItem *physics = Item("Physics");
    physics->Ref.Library->RenameNode(Item("Physics/Loose")->Ref.Node, QStringLiteral("Renamed"));
    QString question;
    AnswerNextMessageBox(QMessageBox::No, &question);
    Window->close();
    EXPECT_EQ(question, "Some libraries have been modified: \n\n- Physics\n\n Save changes?");
    EXPECT_FALSE(Window->isVisible());

    // The changes are still there and the question comes again.
    Window->show();
    EXPECT_TRUE(Window->GetViewer()->IsModified());
    AnswerNextMessageBox(QMessageBox::Cancel);
    Window->close();
    EXPECT_TRUE(Window->isVisible());

    AnswerNextMessageBox(QMessageBox::Yes);
    Window->close();
    EXPECT_FALSE(Window->isVisible());
    EXPECT_TRUE(Read("a_physics.xml").contains("name=\"Renamed\""));
    EXPECT_FALSE(Window->GetViewer()->IsModified());
}

TEST_F(Browser, AFailedSaveIsReportedAndKeepsTheChanges)
{
    Item("Physics")->Ref.Library->RenameNode(Item("Physics/Loose")->Ref.Node, QStringLiteral("Renamed"));
    Window->EnableActions();
    // The file's place is taken by a folder: it cannot be replaced.
    QFile::remove(File("a_physics.xml"));
    QDir(Dir.path()).mkpath(QStringLiteral("lib/a_physics.xml/x"));
    QString text;
    QString title;
    AnswerNextMessageBox(QMessageBox::Ok, &text, &title);
    GetPrehliadacVyrazovDta()->saveMni->trigger();
    EXPECT_EQ(title, "Error while saving libraries");
    EXPECT_TRUE(text.startsWith("These libraries could not be saved and keep their changes:\n\n- Physics ("))
        << text.toStdString();
    EXPECT_TRUE(Window->GetViewer()->IsModified());
    EXPECT_TRUE(GetPrehliadacVyrazovDta()->saveMni->isEnabled());
}

TEST_F(Browser, ReloadAsksBeforeDroppingChanges)
{
    Item("Physics")->Ref.Library->RenameNode(Item("Physics/Loose")->Ref.Node, QStringLiteral("Renamed"));
    QString question;
    AnswerNextMessageBox(QMessageBox::No, &question);
    GetPrehliadacVyrazovDta()->reloadMni->trigger();
    EXPECT_EQ(question,
              "Reloading will cause loss of changes in these modified libraries:\n\n- Physics\n\nReally reload?");
    EXPECT_TRUE(Window->GetViewer()->IsModified());
    AnswerNextMessageBox(QMessageBox::Yes);
    GetPrehliadacVyrazovDta()->reloadMni->trigger();
    EXPECT_FALSE(Window->GetViewer()->IsModified());
    EXPECT_NE(Item("Physics/Loose"), nullptr);
}

TEST_F(Browser, NewCategoryIsNamedInPlace)
{
    Select("Physics");
    Window->NewCategory();
    auto *editor = Tree()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Dynamics"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor hands its text over later
    EXPECT_EQ(Captions(Item("Physics")), QStringList({"Kinematics", "Empty", "Dynamics", "Loose"}));
    EXPECT_EQ(FileChildren(Item("Physics")->Ref.Node).last(), "Dynamics");
    EXPECT_FALSE(Item("Physics/Dynamics")->flags() & Qt::ItemIsEditable);
}

TEST_F(Browser, NewAndModifiedExpressionsThroughTheDialog)
{
    Select("Physics/Empty");
    OnNextModal([](QWidget *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("nazovCmb"))->setEditText(QStringLiteral("Force"));
        dialog->findChild<QLineEdit *>(QStringLiteral("vyrazEdt"))->setText(QStringLiteral("F = m*a"));
        dialog->findChild<QPlainTextEdit *>(QStringLiteral("PopisMmo"))->setPlainText(QStringLiteral("first\nsecond"));
        dialog->findChild<QPushButton *>(QStringLiteral("okBtn"))->click();
    });
    Window->NewExpression();
    TXMLNodeItem *force = Item("Physics/Empty/Force");
    ASSERT_NE(force, nullptr);
    EXPECT_EQ(Tree()->currentItem(), force);
    QString name, notation, description;
    TStringList vars;
    force->Ref.Library->ReadExpressionNode(force->Ref.Node, name, notation, description, vars);
    EXPECT_EQ(description, "first|second");
    EXPECT_EQ(vars.Lines(), QStringList({"m=", "a="}));

    OnNextModal([](QWidget *dialog) {
        auto *grid = dialog->findChild<TValueListEditor *>(QStringLiteral("premenneVle"));
        EXPECT_EQ(grid->Strings(), QStringList({"m=", "a="}));
        grid->SetValue(0, QStringLiteral("mass"));
        dialog->findChild<QComboBox *>(QStringLiteral("nazovCmb"))->setEditText(QStringLiteral("Newton"));
        dialog->findChild<QPushButton *>(QStringLiteral("okBtn"))->click();
    });
    Window->Modify();
    EXPECT_EQ(force->text(0), "Newton");
    force->Ref.Library->ReadExpressionNode(force->Ref.Node, name, notation, description, vars);
    EXPECT_EQ(vars.Lines(), QStringList({"m=mass", "a="}));
    EXPECT_EQ(Control<QLineEdit>("nazovEdt")->text(), "Newton");
}

TEST_F(Browser, NewAndModifiedLibraries)
{
    QString message;
    OnNextModal([&message](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("nazovEdt"))->setText(QStringLiteral("Optics"));
        // A file another library has is refused.
        dialog->findChild<QLineEdit *>(QStringLiteral("menoSuboruEdt"))->setText(QStringLiteral("a_physics"));
        AnswerNextMessageBox(QMessageBox::Ok, &message);
        dialog->findChild<QPushButton *>(QStringLiteral("okBtn"))->click();
        dialog->findChild<QLineEdit *>(QStringLiteral("menoSuboruEdt"))->setText(QStringLiteral("optics"));
        dialog->findChild<QPushButton *>(QStringLiteral("okBtn"))->click();
    });
    Window->NewLibrary();
    EXPECT_EQ(message, "Another loaded library already uses this file.");
    ASSERT_NE(Item("Optics"), nullptr);
    EXPECT_EQ(Item("Optics")->Ref.Library->FileName, File("optics.xml"));
    EXPECT_FALSE(QFileInfo::exists(File("optics.xml")));
    EXPECT_EQ(Window->GetViewer()->GetModifiedList(), "\n- Optics");

    Select("Physics");
    OnNextModal([](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("nazovEdt"))->setText(QStringLiteral("Mechanics"));
        dialog->findChild<QPushButton *>(QStringLiteral("okBtn"))->click();
    });
    Window->Modify();
    EXPECT_EQ(Item("Mechanics"), Tree()->topLevelItem(0));
    EXPECT_EQ(Control<QLineEdit>("nazovKnizniceEdt")->text(), "Mechanics");
    EXPECT_EQ(Window->GetViewer()->GetModifiedList(), "\n- Mechanics\n- Optics");
    ASSERT_TRUE(Window->SaveLibraries());
    EXPECT_TRUE(Read("optics.xml").contains("<library name=\"Optics\""));
}

TEST_F(Browser, TextsFollowTheLanguageWithoutDroppingChanges)
{
    Item("Physics")->Ref.Library->RenameNode(Item("Physics/Loose")->Ref.Node, QStringLiteral("Renamed"));
    TProgramTranslator::Instance()->LoadFile(qEnvironmentVariable("TANDOREL_SOURCE_DIR")
                                             + QStringLiteral("/data/lang/Slovensky.txt"));
    ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
    Window->TranslateTexts();
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Prehliadač výrazov"));
    EXPECT_EQ(GetPrehliadacVyrazovDta()->novaKategoriaMni->text(), QStringLiteral("Nová kategória"));
    EXPECT_EQ(Window->NewCategoryText, QStringLiteral("Nová kategória"));
    // Not reloaded: the tree still shows the changed element.
    EXPECT_EQ(Item("Physics/Loose")->Ref.Node.attribute(QStringLiteral("name")), "Renamed");
    EXPECT_TRUE(Window->GetViewer()->IsModified());
}

// ------------------------------------------------------------- loading

TEST_F(BrowserBase, DamagedFilesAreListedWhileTheOthersLoad)
{
    Dir.write(QStringLiteral("lib/a.xml"), Geometry);
    Dir.write(QStringLiteral("lib/b.xml"), "<other name=\"x\"/>");
    Dir.write(QStringLiteral("lib/c.xml"), "<library name=\"broken\">");
    QString text;
    QString title;
    AnswerNextMessageBox(QMessageBox::Ok, &text, &title);
    Open();
    EXPECT_EQ(title, "Error while loading libraries");
    EXPECT_EQ(text, "Some files in the library directory could not be loaded:\n\nb.xml\nc.xml");
    EXPECT_EQ(Tree()->topLevelItemCount(), 1);
}

TEST_F(BrowserBase, AnEmptyFolderSaysSo)
{
    QString text;
    AnswerNextMessageBox(QMessageBox::Ok, &text);
    Open();
    EXPECT_EQ(text, "No libraries found in the library folder.");
    EXPECT_EQ(Tree()->topLevelItemCount(), 0);
}

// --------------------------------------------------- the program's end

TEST(BrowserAtExit, UnsavedChangesAreOfferedBeforeTheProgramEnds)
{
    TempProgramDir dir;
    SetProgramDir(dir.path());
    QDir(dir.path()).mkdir(QStringLiteral("lib"));
    dir.write(QStringLiteral("lib/a.xml"), Geometry);
    {
        TMainWindowDriver driver;
        TGUIManager *gui = TGUIManager::Instance();
        gui->RegisterFormClass(FormId::ExpressionBrowser, &CreateForm<TPrehliadacVyrazovFrm>);
        auto *browser = gui->FormAs<TPrehliadacVyrazovFrm>(FormId::ExpressionBrowser);
        ASSERT_NE(browser, nullptr);
        ASSERT_EQ(browser->GetViewer()->Count(), 1);
        TKniznicaVyrazov *lib = browser->GetViewer()->Library(0);
        lib->RenameNode(lib->GetDocumentElement(), QStringLiteral("Shapes"));

        QString question;
        AnswerNextMessageBox(QMessageBox::Cancel, &question);
        EXPECT_FALSE(driver.Form->close());
        EXPECT_TRUE(driver.Form->isVisible());
        EXPECT_TRUE(question.contains("- Shapes"));

        AnswerNextMessageBox(QMessageBox::Yes);
        EXPECT_TRUE(driver.Form->close());
        EXPECT_TRUE(dir.read(QStringLiteral("lib/a.xml")).contains("name=\"Shapes\""));
        // Nothing left to offer: no question.
        EXPECT_TRUE(KMainProgram::Instance()->OfferUnsavedChanges());

        // When the session ends from outside, the changes are saved unasked.
        lib->RenameNode(lib->GetDocumentElement(), QStringLiteral("Figures"));
        KMainProgram::Instance()->SessionEnding = true;
        EXPECT_TRUE(KMainProgram::Instance()->OfferUnsavedChanges());
        KMainProgram::Instance()->SessionEnding = false;
        EXPECT_TRUE(dir.read(QStringLiteral("lib/a.xml")).contains("name=\"Figures\""));
    }
    TGUIManager::FreeInstance();
    SetProgramDir(QString());
}
