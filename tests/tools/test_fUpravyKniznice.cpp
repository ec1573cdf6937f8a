// The library dialog: a new library's defaults, the checks of OK, the file
// choice and its warning, the header read back.
#include "tools/fUpravyKniznice.h"

#include "shell/uDisk.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class LibraryDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetProgramDir(Dir.path());
        QDir(Dir.path()).mkdir(QStringLiteral("lib"));
        QDir(Dir.path()).mkdir(QStringLiteral("other"));
    }
    void TearDown() override { SetProgramDir(QString()); }

    QLineEdit *Edit(const char *name) { return Dialog.findChild<QLineEdit *>(QString::fromUtf8(name)); }
    QPushButton *Button(const char *name) { return Dialog.findChild<QPushButton *>(QString::fromUtf8(name)); }
    // Clicks OK, which must answer with a message; returns its text.
    QString OkMessage()
    {
        QString text;
        AnswerNextMessageBox(QMessageBox::Ok, &text);
        Button("okBtn")->click();
        return text;
    }

    TempProgramDir Dir;
    TUpravyKnizniceFrm Dialog;
};

} // namespace

TEST_F(LibraryDialog, ANewLibraryNeedsAFileName)
{
    Dialog.Clear();
    Dialog.show();
    EXPECT_EQ(Dialog.windowTitle(), "Add / modify library");
    EXPECT_EQ(Edit("nazovEdt")->text(), "New library");
    EXPECT_EQ(Edit("menoSuboruEdt")->text(), "");
    EXPECT_EQ(Edit("verziaEdt")->text(), "0.0.0");
    EXPECT_TRUE(Button("okBtn")->isEnabled());
    EXPECT_EQ(OkMessage(), "You must enter a valid file name.");
    EXPECT_TRUE(Dialog.isVisible());

    Edit("nazovEdt")->setText(QStringLiteral("  "));
    EXPECT_EQ(OkMessage(), "You must enter a valid library name.");

    // A name typed without a folder goes into the library folder.
    Edit("nazovEdt")->setText(QStringLiteral("Optics"));
    Edit("menoSuboruEdt")->setText(QStringLiteral("optics"));
    Button("okBtn")->click();
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Edit("menoSuboruEdt")->text(), Dir.file(QStringLiteral("lib/optics.xml")));
}

TEST_F(LibraryDialog, AFileOfAnotherLibraryIsRefused)
{
    Dialog.Clear();
    Dialog.FileNameInUse = [this](const QString &FileName) {
        return FileName == Dir.file(QStringLiteral("lib/taken.xml"));
    };
    Dialog.show();
    Edit("menoSuboruEdt")->setText(QStringLiteral("taken.xml"));
    EXPECT_EQ(OkMessage(), "Another loaded library already uses this file.");
    EXPECT_TRUE(Dialog.isVisible());
}

TEST_F(LibraryDialog, ModifyingEnablesOkOnlyAfterAChange)
{
    Dialog.SetLibraryInfo({QStringLiteral("Physics"), Dir.file(QStringLiteral("lib/p.xml")), QStringLiteral("1.0"),
                           QStringLiteral("old date"), QStringLiteral("Ann"), QStringLiteral("http://a"),
                           QStringLiteral("a@b"), QStringLiteral("first|second")});
    Dialog.show();
    EXPECT_FALSE(Button("okBtn")->isEnabled());
    EXPECT_EQ(Dialog.findChild<QPlainTextEdit *>(QStringLiteral("popisMmo"))->toPlainText(), "first\nsecond");
    QTest::keyClicks(Edit("autorMailEdt"), QStringLiteral("c"));
    EXPECT_TRUE(Button("okBtn")->isEnabled());

    const TLibraryInfo info = Dialog.GetLibraryInfo();
    EXPECT_EQ(info.Name, "Physics");
    EXPECT_EQ(info.AuthorWeb, "http://a");
    EXPECT_EQ(info.AuthorEmail, "a@bc");
    EXPECT_EQ(info.Description, "first|second");
    EXPECT_EQ(info.Date, QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

TEST_F(LibraryDialog, ChoosingAFileOutsideTheLibraryFolderWarnsButKeepsIt)
{
    struct Case
    {
        const char *Folder;
        bool Warned;
    };
    for (const Case &c : {Case{"other", true}, Case{"lib", false}}) {
        Dialog.Clear();
        Dialog.show();
        const QString chosen = Dir.file(QString::fromUtf8(c.Folder) + QStringLiteral("/mine.xml"));
        QString warning;
        OnNextModal([&](QWidget *modal) {
            auto *files = qobject_cast<QFileDialog *>(modal);
            ASSERT_NE(files, nullptr);
            // It starts in the library folder with the proposed name.
            EXPECT_EQ(QDir(files->directory()).canonicalPath(), QDir(Dir.file(QStringLiteral("lib"))).canonicalPath());
            files->setDirectory(Dir.file(QString::fromUtf8(c.Folder)));
            files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("mine.xml"));
            if (c.Warned)
                AnswerNextMessageBox(QMessageBox::Ok, &warning);
            static_cast<QDialog *>(files)->accept();
        });
        Dialog.findChild<QPushButton *>(QStringLiteral("vyberSuborBtn"))->click();
        EXPECT_EQ(Edit("menoSuboruEdt")->text(), chosen) << c.Folder;
        if (c.Warned)
            EXPECT_EQ(warning,
                      QStringLiteral("The library file should be saved in the library directory. Othervise it will "
                                     "not be loaded at next start. The library directory is:\n\n")
                          + Dir.path() + QStringLiteral("lib/"));
        else
            EXPECT_EQ(warning, "") << c.Folder;
        Dialog.hide();
    }
}
