#include "shell/fKonstanty.h"
#include "shell/fUpravyKonstant.h"

#include "core/uProgramSettings.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class ConstantsWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetProgramDir(Dir.path());
        Dir.write("lang/en.txt", "[Info]\r\nLanguageIsoCode=en\r\nLanguageName=English\r\n");
        TProgramTranslator::Instance()->LoadFile(Dir.file("lang/en.txt"));
        KProgramSettings::Instance()->SetDecimalSeparator(1);
        TGUIManager::Instance()->SetMainForm(&Main);
        ConstantsChanged = false;
    }
    void TearDown() override
    {
        TGUIManager::Instance()->SetMainForm(nullptr);
        TuprKonstFrm::FreeInstance();
        TProgramTranslator::FreeInstance();
        KProgramSettings::Instance()->SetDecimalSeparator(0);
        SetProgramDir(QString());
    }

    static QStringList Row(const TkonstantyFrm &w, int i)
    {
        const QTreeWidgetItem *item = w.ListView1()->topLevelItem(i);
        return {item->text(0), item->text(1), item->text(2), item->text(3)};
    }
    static void Select(TkonstantyFrm &w, int i) { w.ListView1()->setCurrentItem(w.ListView1()->topLevelItem(i)); }
    static QPushButton *Button(QWidget &w, const char *name) { return w.findChild<QPushButton *>(name); }

    // Fills the add / modify dialog once it opens and presses its OK.
    static void FillDialog(const QString &Id, const QString &Description, const QString &Value, const QString &Unit)
    {
        OnNextModal([=](QWidget *) {
            TuprKonstFrm *d = TuprKonstFrm::Instance();
            d->Edit1()->setText(Id);
            d->Edit3()->setText(Description);
            d->Edit2()->setText(Value);
            d->Edit4()->setText(Unit);
            QTest::mouseClick(Button(*d, "okBtn"), Qt::LeftButton);
        });
    }

    TempProgramDir Dir;
    FakeMainForm Main;
};

} // namespace

TEST_F(ConstantsWindow, ReadsTheFileAndAddsPiAndEWhenMissing)
{
    Dir.write("const.dat", "$g#gravity#9,81#m/s2\r\nnohash\r\n\r\n$c#light#3e8#m/s#extra\r\n");
    TkonstantyFrm w;
    w.TranslateTexts();
    ASSERT_EQ(w.Count(), 6);
    EXPECT_EQ(Row(w, 0), QStringList({"$g", "gravity", "9.81", "m/s2"}));
    EXPECT_EQ(Row(w, 1), QStringList({"nohash", "", "", ""}));
    EXPECT_EQ(Row(w, 2), QStringList({"", "", "", ""}));
    EXPECT_EQ(Row(w, 3), QStringList({"$c", "light", "3e8", "m/s"}));
    EXPECT_EQ(w.Identifier(4), "$pi");
    EXPECT_TRUE(w.Value(4).startsWith("3.141592653589793")) << w.Value(4).toStdString();
    EXPECT_EQ(Row(w, 4)[1], "Ludolph's number");
    EXPECT_EQ(w.Identifier(5), "$e");
    EXPECT_TRUE(w.Value(5).startsWith("2.718281828459045")) << w.Value(5).toStdString();
}

TEST_F(ConstantsWindow, ColumnsAreAsWideAsTheirTexts)
{
    Dir.write("const.dat", "$g#gravitational acceleration on the surface#9.80665#m/s2\r\n");
    TkonstantyFrm w;
    w.TranslateTexts();
    w.show();
    QTreeWidget *list = w.ListView1();
    for (int c = 0; c + 1 < list->columnCount(); ++c)
        for (int i = 0; i < w.Count(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            const int needed = list->fontMetrics().horizontalAdvance(item->text(c));
            EXPECT_GE(list->columnWidth(c), needed) << c << " " << item->text(c).toStdString();
        }
}

TEST_F(ConstantsWindow, ValuesTakeTheDecimalCommaAndAKnownPiIsNotAddedAgain)
{
    KProgramSettings::Instance()->SetDecimalSeparator(2);
    Dir.write("const.dat", "$g#gravity#9.81#m/s2\r\n$pi#my pi#3.14#\r\n");
    TkonstantyFrm w;
    w.TranslateTexts();
    ASSERT_EQ(w.Count(), 3);
    EXPECT_EQ(w.Value(0), "9,81");
    EXPECT_EQ(Row(w, 1), QStringList({"$pi", "my pi", "3,14", ""}));
    EXPECT_EQ(w.Identifier(2), "$e");
    EXPECT_TRUE(w.Value(2).startsWith("2,71828")) << w.Value(2).toStdString();
}

TEST_F(ConstantsWindow, WithoutALanguageFileNoConstantIsRead)
{
    TProgramTranslator::FreeInstance();
    Dir.write("const.dat", "$g#gravity#9.81#m/s2\r\n");
    TkonstantyFrm w;
    w.TranslateTexts();
    EXPECT_EQ(w.Count(), 0);
}

TEST_F(ConstantsWindow, AddingWritesTheFileWhenTheWindowCloses)
{
    TkonstantyFrm w;
    w.TranslateTexts();
    w.show();
    FillDialog("$g", "gravity", "9.81", "m/s2");
    QTest::mouseClick(Button(w, "BtnNova"), Qt::LeftButton);
    ASSERT_EQ(w.Count(), 3);
    EXPECT_EQ(Row(w, 2), QStringList({"$g", "gravity", "9.81", "m/s2"}));
    EXPECT_TRUE(ConstantsChanged);
    EXPECT_FALSE(Dir.exists("const.dat"));

    QTest::mouseClick(Button(w, "BtnZavriet"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    const QByteArray text = Dir.read("const.dat");
    EXPECT_TRUE(text.startsWith("$pi#Ludolph's number#3.14159")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\r\n$g#gravity#9.81#m/s2\r\n")) << text.toStdString();
}

TEST_F(ConstantsWindow, AFileNamedOutsideTheProgramFolderIsNeverReadNorWritten)
{
    TempProgramDir outside;
    outside.write("outside.dat", "$x#mine#1#\r\n");
    // The language file's name leads out of the program folder.
    const QString hostile = QDir(Dir.path()).relativeFilePath(outside.file("outside.dat"));
    ASSERT_TRUE(hostile.startsWith("../"));
    Dir.write("lang/en.txt",
              "[Info]\r\nLanguageIsoCode=en\r\n[Addresses]\r\nConstantFile=" + hostile.toUtf8() + "\r\n");
    TProgramTranslator::Instance()->LoadFile(Dir.file("lang/en.txt"));
    Dir.write("const.dat", "$g#gravity#9.81#m/s2\r\n");
    TkonstantyFrm w;
    w.TranslateTexts();
    EXPECT_EQ(w.ConstantFile, hostile);
    EXPECT_EQ(w.Identifier(0), "$g"); // the default file instead
    w.show();
    FillDialog("$h", "height", "2", "m");
    QTest::mouseClick(Button(w, "BtnNova"), Qt::LeftButton);
    QTest::mouseClick(Button(w, "BtnZavriet"), Qt::LeftButton);
    EXPECT_EQ(outside.read("outside.dat"), QByteArray("$x#mine#1#\r\n"));
    EXPECT_TRUE(Dir.read("const.dat").contains("$h#height#2#m"));
}

TEST_F(ConstantsWindow, AFileFarTooLargeIsRefusedAndLeftAsItIs)
{
    {
        QFile big(Dir.file("const.dat"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write("$g#gravity#9.81#m/s2\r\n");
        ASSERT_TRUE(big.resize(MaxTextFileSize + 1));
    }
    TkonstantyFrm w;
    QString message;
    AnswerNextMessageBox(QMessageBox::Ok, &message);
    w.TranslateTexts();
    EXPECT_TRUE(message.contains("far larger")) << message.toStdString();
    EXPECT_EQ(w.Count(), 2); // $pi and $e only
    w.show();
    FillDialog("$h", "height", "2", "m");
    QTest::mouseClick(Button(w, "BtnNova"), Qt::LeftButton);
    QTest::mouseClick(Button(w, "BtnZavriet"), Qt::LeftButton);
    EXPECT_EQ(QFileInfo(Dir.file("const.dat")).size(), MaxTextFileSize + 1);
    EXPECT_TRUE(Dir.read("const.dat").startsWith("$g#gravity"));
}

TEST_F(ConstantsWindow, RewritingAnExistingIdAsksFirstAndNoStillCountsAsAChange)
{
    TkonstantyFrm w;
    w.TranslateTexts();
    w.show();
    QString question, title;
    FillDialog("$pi", "three", "3", "");
    AnswerNextMessageBox(QMessageBox::No, &question, &title);
    QTest::mouseClick(Button(w, "BtnNova"), Qt::LeftButton);
    EXPECT_EQ(question, "Do you really want to rewrite constant $pi ?");
    EXPECT_EQ(title, "Rewriting a constant");
    EXPECT_EQ(Row(w, 0)[1], "Ludolph's number");
    EXPECT_TRUE(ConstantsChanged);

    FillDialog("$pi", "three", "3", "");
    AnswerNextMessageBox(QMessageBox::Yes);
    QTest::mouseClick(Button(w, "BtnNova"), Qt::LeftButton);
    EXPECT_EQ(w.Count(), 2);
    EXPECT_EQ(Row(w, 0), QStringList({"$pi", "three", "3", ""}));
}

TEST_F(ConstantsWindow, ModifyStartsFromTheSelectedConstant)
{
    TkonstantyFrm w;
    w.TranslateTexts();
    w.show();
    Select(w, 1);
    QStringList seen;
    OnNextModal([&](QWidget *) {
        TuprKonstFrm *d = TuprKonstFrm::Instance();
        seen = {d->Edit1()->text(), d->Edit3()->text(), d->Edit2()->text(), d->Edit4()->text()};
        QTest::mouseClick(Button(*d, "zrusitBtn"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(w, "BtnNova"), Qt::LeftButton);
    EXPECT_EQ(seen, QStringList({"$e", "Euler's number", w.Value(1), ""}));
    EXPECT_FALSE(ConstantsChanged); // cancelled
}

TEST_F(ConstantsWindow, RemovingEveryConstantLeavesTheFileAlone)
{
    Dir.write("const.dat", "$g#gravity#9.81#m/s2\r\n");
    TkonstantyFrm w;
    w.TranslateTexts();
    w.show();
    QString question;
    Select(w, 0);
    AnswerNextMessageBox(QMessageBox::No, &question);
    QTest::mouseClick(Button(w, "BtnOdstranit"), Qt::LeftButton);
    EXPECT_EQ(question, "Do you really want to delete constant $g ?");
    EXPECT_EQ(w.Count(), 3);
    EXPECT_FALSE(ConstantsChanged);
    while (w.Count() > 0) {
        Select(w, 0);
        AnswerNextMessageBox(QMessageBox::Yes);
        QTest::mouseClick(Button(w, "BtnOdstranit"), Qt::LeftButton);
    }
    EXPECT_TRUE(ConstantsChanged);
    w.close();
    EXPECT_EQ(Dir.read("const.dat"), QByteArray("$g#gravity#9.81#m/s2\r\n"));

    w.TranslateTexts(); // the next reading brings the built-in ones back
    EXPECT_EQ(w.Count(), 3);
}

TEST_F(ConstantsWindow, UseInsertsTheSelectedIdIntoTheMainInput)
{
    TkonstantyFrm w;
    w.TranslateTexts();
    w.show();
    QTest::mouseClick(Button(w, "BtnPouzit"), Qt::LeftButton); // nothing selected
    Select(w, 1);
    QTest::mouseClick(Button(w, "BtnPouzit"), Qt::LeftButton);
    EXPECT_EQ(Main.Inserted, QStringList({"$e"}));
}

TEST_F(ConstantsWindow, DialogIdFieldKeepsALeadingDollarAndLowerCaseLettersAndDigits)
{
    TuprKonstFrm *d = TuprKonstFrm::Instance();
    d->show();
    QLineEdit *id = d->Edit1();
    id->clear();
    EXPECT_EQ(id->text(), "$");
    id->setText("$abc");
    id->selectAll();
    QTest::keyClicks(id, "x"); // replaces everything, the "$" included
    EXPECT_EQ(id->text(), "$x");
    EXPECT_EQ(id->cursorPosition(), 1);

    id->setText("$");
    id->setCursorPosition(1);
    QTest::keyClicks(id, "aB#9$z");
    EXPECT_EQ(id->text(), "$a9z");
    id->setText("$ab$");
    EXPECT_EQ(id->text(), "$ab");

    QTest::keyClicks(d->Edit3(), "a#b");
    EXPECT_EQ(d->Edit3()->text(), "ab");
    QTest::keyClicks(d->Edit4(), "#kg");
    EXPECT_EQ(d->Edit4()->text(), "kg");
    d->hide();
}

TEST_F(ConstantsWindow, DialogValueFieldFilter)
{
    struct Case
    {
        const char *Before;
        int Caret;
        const char *Typed;
        const char *After;
    };
    const Case cases[] = {
        {"", 0, "12.5", "12,5"},  // both points type the separator
        {"", 0, "1,2.3", "1,23"}, // only one of it
        {"1", 1, "e5e", "1E5"},   // "e" becomes "E", one only
        {"1E", 2, "-", "1E-"},    // minus right after the E
        {"1E-", 2, "-", "1E-"},   // not when a minus follows already
        {"12", 1, "-", "12"},     // not inside the number
        {"12", 0, "-", "-12"},    // at the start
        {"-12", 0, "-", "-12"},   // not twice at the start
        {"", 0, "+", "1"},        // the plus key is the digit 1
        {"", 0, "x/ ", ""},
    };
    KProgramSettings::Instance()->SetDecimalSeparator(2);
    TuprKonstFrm *d = TuprKonstFrm::Instance();
    d->show();
    for (const Case &c : cases) {
        d->Edit2()->setText(QString::fromLatin1(c.Before));
        d->Edit2()->setCursorPosition(c.Caret);
        QTest::keyClicks(d->Edit2(), QString::fromLatin1(c.Typed));
        EXPECT_EQ(d->Edit2()->text(), c.After) << c.Before << " + " << c.Typed;
    }
    d->hide();
}

TEST_F(ConstantsWindow, DialogRefusesAShortIdAndAnUnreadableValue)
{
    TuprKonstFrm *d = TuprKonstFrm::Instance();
    struct Case
    {
        const char *Id, *Value, *Message;
    };
    const Case cases[] = {
        {"$", "1", "You must enter a valid ID"},
        {"$k", "1.2.3", "Incorrect constant value"},
        {"$k", "", "Incorrect constant value"},
    };
    for (const Case &c : cases) {
        QString message, title;
        OnNextModal([&](QWidget *) {
            d->Edit1()->setText(c.Id);
            d->Edit2()->setText(c.Value);
            AnswerNextMessageBox(QMessageBox::Ok, &message, &title);
            QTest::mouseClick(Button(*d, "okBtn"), Qt::LeftButton);
            // Still open after the warning: cancel it.
            QTest::mouseClick(Button(*d, "zrusitBtn"), Qt::LeftButton);
        });
        EXPECT_EQ(d->exec(), QDialog::Rejected) << c.Id << " " << c.Value;
        EXPECT_EQ(message, c.Message) << c.Id << " " << c.Value;
        EXPECT_EQ(title, "Add / modify a constant");
    }
}
