#include "shell/uTranslationTable.h"

#include "shell/uProgramTranslator.h"
#include "tests/support/TempProgramDir.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
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
