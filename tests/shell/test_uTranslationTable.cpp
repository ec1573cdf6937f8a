#include "shell/uTranslationTable.h"

#include "shell/uAccessibility.h"
#include "shell/uProgramTranslator.h"
#include "shell/uUpDown.h"
#include "tests/support/TempProgramDir.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class TranslationTable : public ::testing::Test
{
protected:
    void TearDown() override { TProgramTranslator::FreeInstance(); }

    void Load(const char *Name, const QByteArray &Text)
    {
        Dir.write(QLatin1String(Name), Text);
        TProgramTranslator::Instance()->LoadFile(Dir.file(QLatin1String(Name)));
    }

    TempProgramDir Dir;
};

TEST_F(TranslationTable, EveryKindOfTextFollowsTheLanguageAndMissingKeysKeepTheirText)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("Window"));
    auto *button = new QPushButton(QStringLiteral("Use"), &window);
    button->setToolTip(QStringLiteral("Use it"));
    auto *group = new QGroupBox(QStringLiteral("Group"), &window);
    auto *label = new QLabel(QStringLiteral("Label"), &window);
    auto *grid = new QTableWidget(0, 2, &window);
    grid->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    auto *list = new QTreeWidget(&window);
    list->setHeaderLabels({QStringLiteral("ID")});
    auto *pages = new QTabWidget(&window);
    pages->addTab(new QWidget, QStringLiteral("Page"));
    QString message;

    TTranslationTable texts;
    texts.Caption(&window, "W", "Caption")
        .Text(button, "Common", "Use")
        .Hint(button, "W", "UseHint")
        .Text(group, "W", "Group")
        .Text(label, "W", "Missing")
        .Column(grid, 1, "Common", "Value")
        .Column(list, 0, "W", "ID")
        .Tab(pages, 0, "W", "Page")
        .Field(&message, "W", "Message", QStringLiteral("English message"));
    EXPECT_EQ(message, QStringLiteral("English message"));

    // No language file: fields get their defaults, controls keep theirs.
    message = QStringLiteral("changed");
    texts.Translate();
    EXPECT_EQ(message, QStringLiteral("English message"));
    EXPECT_EQ(button->text(), QStringLiteral("Use"));

    Load("a.txt", "[W]\nCaption=Okno\nUseHint=Pouzi\nGroup=Skupina\nID=Kod\nPage=Strana\nMessage=Sprava\n"
                  "[Common]\nUse=Pouzit\nValue=Hodnota\n");
    texts.Translate();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Okno"));
    EXPECT_EQ(button->text(), QStringLiteral("Pouzit"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Pouzi"));
    EXPECT_EQ(group->title(), QStringLiteral("Skupina"));
    EXPECT_EQ(label->text(), QStringLiteral("Label"));
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Hodnota"));
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Kod"));
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Strana"));
    EXPECT_EQ(message, QStringLiteral("Sprava"));

    // A language without the keys: controls keep the previous language's
    // text, fields go back to English.
    Load("b.txt", "[W]\nCaption=Fenster\n");
    texts.Translate();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Fenster"));
    EXPECT_EQ(button->text(), QStringLiteral("Pouzit"));
    EXPECT_EQ(message, QStringLiteral("English message"));
}

TEST_F(TranslationTable, AControlFreedBeforeTheTableIsSkipped)
{
    TTranslationTable texts;
    auto *button = new QPushButton(QStringLiteral("Use"));
    texts.Text(button, "Common", "Use");
    delete button;
    Load("a.txt", "[Common]\nUse=Pouzit\n");
    texts.Translate();
}

} // namespace

namespace {

QString NameOf(QWidget *Control)
{
    return QAccessible::queryAccessibleInterface(Control)->text(QAccessible::Name);
}

TEST_F(TranslationTable, ControlsWithoutWordsOrLabelsAreNamedByTheirHintInTheLanguageShown)
{
    QWidget window;
    auto *glyph = new QPushButton(QStringLiteral("^"), &window);
    glyph->setToolTip(QStringLiteral("Insert power symbol"));
    auto *worded = new QPushButton(QStringLiteral("P + Q"), &window);
    worded->setToolTip(QStringLiteral("Addition"));
    auto *edit = new QLineEdit(&window);
    edit->setToolTip(QStringLiteral("Enter expression here"));
    auto *labelled = new QLineEdit(&window);
    labelled->setToolTip(QStringLiteral("A hint"));
    auto *label = new QLabel(QStringLiteral("&Order:"), &window);
    label->setBuddy(labelled);
    auto *named = new QLineEdit(&window);
    named->setToolTip(QStringLiteral("A hint"));
    named->setAccessibleName(QStringLiteral("Own name"));
    auto *keyed = new QLineEdit(&window);
    keyed->setAccessibleName(QStringLiteral("Lower bound"));
    keyed->setProperty(AccessibleNameKey, QStringLiteral("Sum/LowerBound"));

    TTranslationTable texts;
    texts.Hint(glyph, "Polynomials", "InsertPowerChar").Text(label, "Derivatives", "Order");
    texts.Translate();
    EXPECT_EQ(NameOf(glyph), QStringLiteral("Insert power symbol"));
    EXPECT_EQ(NameOf(worded), QStringLiteral("P + Q"));
    EXPECT_EQ(NameOf(edit), QStringLiteral("Enter expression here"));
    EXPECT_EQ(NameOf(labelled), QStringLiteral("Order:"));
    EXPECT_EQ(NameOf(named), QStringLiteral("Own name"));
    EXPECT_EQ(NameOf(keyed), QStringLiteral("Lower bound"));

    Load("sk.txt", "[Polynomials]\nInsertPowerChar=Vložiť znak mocniny\n[Derivatives]\nOrder=&Rád:\n"
                   "[Sum]\nLowerBound=&Dolná hranica\n");
    texts.Translate();
    EXPECT_EQ(NameOf(glyph), QString::fromUtf8("Vložiť znak mocniny"));
    EXPECT_EQ(NameOf(labelled), QString::fromUtf8("Rád:"));
    EXPECT_EQ(NameOf(keyed), QString::fromUtf8("Dolná hranica"));
    EXPECT_EQ(NameOf(named), QStringLiteral("Own name"));
    // A hint set elsewhere (as the main window's hint thread does) is
    // followed at once.
    edit->setToolTip(QStringLiteral("Sem zadajte výraz"));
    EXPECT_EQ(NameOf(edit), QStringLiteral("Sem zadajte výraz"));
}

TEST_F(TranslationTable, AnAcceleratorShowsOnlyWhereItCanBeUsed)
{
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("Remove all"), &window);
    auto *hinted = new QPushButton(&window);
    auto *caption = new QLabel(QStringLiteral("Author"), &window);
    auto *field = new QLabel(QStringLiteral("Author"), &window);
    field->setBuddy(new QLineEdit(&window));
    auto *grid = new QTableWidget(0, 1, &window);
    grid->setHorizontalHeaderLabels({QStringLiteral("Value")});
    TTranslationTable texts;
    texts.Text(button, "Common", "RemoveAll")
        .Hint(hinted, "Common", "RemoveAll")
        .Text(caption, "Common", "Author")
        .Text(field, "Common", "Author")
        .Column(grid, 0, "Common", "Value");
    Load("a.txt", "[Common]\nRemoveAll=R&emove all\nAuthor=&Author\nValue=&Value\n");
    texts.Translate();
    EXPECT_EQ(button->text(), QStringLiteral("R&emove all"));
    EXPECT_EQ(hinted->toolTip(), QStringLiteral("Remove all"));
    EXPECT_EQ(caption->text(), QStringLiteral("Author"));
    EXPECT_EQ(field->text(), QStringLiteral("&Author"));
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Value"));
}

} // namespace

namespace {

// The up-down's arrows carry a translated name until their window names
// them itself, as the main window does after its hints.
TEST_F(TranslationTable, ATranslatedNameGivesWayToOneTheWindowGives)
{
    QWidget window;
    auto *plain = new TUpDown(&window);
    auto *named = new TUpDown(&window);
    named->UpButton()->setAccessibleName(QStringLiteral("Number of decimal places +"));
    TTranslationTable texts;
    texts.Hint(plain, "Hints", "hntDec");
    Load("sk.txt", "[Common]\nIncrease=&Zvýšiť\nDecrease=Znížiť\n");
    texts.Translate();
    EXPECT_EQ(plain->UpButton()->accessibleName(), QString::fromUtf8("Zvýšiť"));
    EXPECT_EQ(plain->DownButton()->accessibleName(), QString::fromUtf8("Znížiť"));
    EXPECT_EQ(named->UpButton()->accessibleName(), QStringLiteral("Number of decimal places +"));
    EXPECT_EQ(named->DownButton()->accessibleName(), QString::fromUtf8("Znížiť"));
    // Named after the translation: it stays so in the next language.
    plain->DownButton()->setAccessibleName(QStringLiteral("Own"));
    Load("en.txt", "[Common]\nIncrease=Increase\nDecrease=Decrease\n");
    texts.Translate();
    EXPECT_EQ(plain->UpButton()->accessibleName(), QStringLiteral("Increase"));
    EXPECT_EQ(plain->DownButton()->accessibleName(), QStringLiteral("Own"));
}

} // namespace
