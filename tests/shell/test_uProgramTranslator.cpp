#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"
#include "shell/uSystemLanguage.h"
#include "shell/uTranslationFileList.h"
#include "tests/support/TempProgramDir.h"

#include "platform/IniFiles.h"

#include <QDir>
#include <QThread>

#include <atomic>
#include <gtest/gtest.h>

namespace {
QByteArray LanguageFile(const char *code, const char *name, const char *body = "")
{
    QByteArray text = "[Info]\nLanguageIsoCode=" + QByteArray(code) + "\nLanguageName=" + name + "\n";
    return text + body;
}

class Translator : public ::testing::Test
{
protected:
    void TearDown() override
    {
        TProgramTranslator::FreeInstance();
        TSystemLanguage::OverrideIsoCode(QString());
    }
    TProgramTranslator *T() { return TProgramTranslator::Instance(); }
    TempProgramDir Dir;
};
} // namespace

TEST_F(Translator, NothingLoadedGivesTheDefaults)
{
    EXPECT_FALSE(T()->IsLoaded());
    EXPECT_EQ(T()->GetFileName(), QString());
    EXPECT_EQ(T()->Translate(QStringLiteral("Common"), QStringLiteral("Close"), QStringLiteral("Close")),
              QStringLiteral("Close"));
    T()->LoadFile(Dir.file(QStringLiteral("lang/none.txt")));
    T()->LoadFile(QString());
    T()->LoadFile(Dir.path()); // a folder is no language file
    EXPECT_FALSE(T()->IsLoaded());
    EXPECT_EQ(LanguageCode, QStringLiteral("e2"));
}

TEST_F(Translator, LookupRules)
{
    Dir.write(QStringLiteral("lang/a.txt"), LanguageFile("sk", "Slovensky",
                                                         "[common]\n"
                                                         "Close=Zavrieť\n"
                                                         "Padded =   s medzerami   \n"
                                                         "Quoted=\"  v úvodzovkách  \"\n"
                                                         "Empty=\n"
                                                         "Equals=a=b\n"));
    T()->LoadFile(Dir.file(QStringLiteral("lang/a.txt")));
    ASSERT_TRUE(T()->IsLoaded());
    EXPECT_EQ(T()->GetFileName(), Dir.file(QStringLiteral("lang/a.txt")));
    const struct
    {
        const char *Section, *Key;
        QString Expected;
    } cases[] = {
        {"Common", "close", QString::fromUtf8("Zavrieť")}, // neither name's letter case counts
        {"COMMON", "CLOSE", QString::fromUtf8("Zavrieť")},
        {"Common", "Padded", QStringLiteral("s medzerami")},
        {"Common", "Quoted", QString::fromUtf8("  v úvodzovkách  ")},
        {"Common", "Empty", QString()}, // present and empty: not the default
        {"Common", "Equals", QStringLiteral("a=b")},
        {"Common", "Missing", QStringLiteral("DEFAULT")},
        {"Other", "Close", QStringLiteral("DEFAULT")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(T()->Translate(QLatin1String(c.Section), QLatin1String(c.Key), QStringLiteral("DEFAULT")), c.Expected)
            << c.Section << "/" << c.Key;
}

TEST_F(Translator, MissingFileKeepsTheOpenOneAndASwitchKeepsTextsTheNewFileLacks)
{
    Dir.write(QStringLiteral("lang/a.txt"), LanguageFile("sk", "Slovensky", "[Common]\nClose=Zavrieť\nSave=Uložiť\n"));
    Dir.write(QStringLiteral("lang/b.txt"), LanguageFile("de", "Deutsch", "[Common]\nSave=Speichern\n"));
    T()->LoadFile(Dir.file(QStringLiteral("lang/a.txt")));
    T()->LoadFile(Dir.file(QStringLiteral("lang/gone.txt")));
    EXPECT_EQ(T()->GetFileName(), Dir.file(QStringLiteral("lang/a.txt")));

    // A window translates from its current texts, as its controls do.
    QString close = QStringLiteral("Close"), save = QStringLiteral("Save");
    close = T()->Translate(QStringLiteral("Common"), QStringLiteral("Close"), close);
    save = T()->Translate(QStringLiteral("Common"), QStringLiteral("Save"), save);
    T()->LoadFile(Dir.file(QStringLiteral("lang/b.txt")));
    close = T()->Translate(QStringLiteral("Common"), QStringLiteral("Close"), close);
    save = T()->Translate(QStringLiteral("Common"), QStringLiteral("Save"), save);
    EXPECT_EQ(close, QString::fromUtf8("Zavrieť"));
    EXPECT_EQ(save, QStringLiteral("Speichern"));
}

// A window's texts read the language file once; a file loaded during a
// group joins it, and after the group a change of the file is seen.
TEST_F(Translator, AGroupOfLookupsReadsTheFileOnce)
{
    const auto close = [this] { return T()->Translate(QStringLiteral("Common"), QStringLiteral("Close"), "Close"); };
    Dir.write(QStringLiteral("lang/a.txt"), LanguageFile("sk", "Slovensky", "[Common]\nClose=one\n"));
    Dir.write(QStringLiteral("lang/b.txt"), LanguageFile("de", "Deutsch", "[Common]\nClose=ein\n"));
    T()->LoadFile(Dir.file(QStringLiteral("lang/a.txt")));
    {
        const TTranslationGroup texts;
        EXPECT_EQ(close(), "one");
        Dir.write(QStringLiteral("lang/a.txt"), LanguageFile("sk", "Slovensky", "[Common]\nClose=two\n"));
        EXPECT_EQ(close(), "one");
        T()->LoadFile(Dir.file(QStringLiteral("lang/b.txt")));
        EXPECT_EQ(close(), "ein");
        Dir.write(QStringLiteral("lang/b.txt"), LanguageFile("de", "Deutsch", "[Common]\nClose=zwei\n"));
        EXPECT_EQ(close(), "ein");
    }
    EXPECT_EQ(close(), "zwei");
    Dir.write(QStringLiteral("lang/b.txt"), LanguageFile("de", "Deutsch", "[Common]\nClose=drei\n"));
    EXPECT_EQ(close(), "drei");
}

TEST_F(Translator, FolderScanIsInFileNameOrder)
{
    Dir.write(QStringLiteral("lang/zulu.txt"), LanguageFile("sk", "Slovensky 2"));
    Dir.write(QStringLiteral("lang/Beta.txt"), LanguageFile("de", "Deutsch"));
    Dir.write(QStringLiteral("lang/alpha.txt"), LanguageFile("sk", "Slovensky"));
    Dir.write(QStringLiteral("lang/noinfo.txt"), "[Common]\nClose=x\n");
    Dir.write(QStringLiteral("lang/UPPER.TXT"), LanguageFile("EN", "Capitals"));
    Dir.write(QStringLiteral("lang/readme.md"), LanguageFile("fr", "Not a language file"));
    QDir(Dir.path()).mkpath(QStringLiteral("lang/folder.txt"));

    TTranslationFileList list;
    list.ScanFolder(Dir.path() + QStringLiteral("lang")); // without the trailing "/"
    QStringList files;
    for (int i = 0; i < list.Count(); ++i)
        files << QFileInfo(list.Item(i)->FileName).fileName();
    EXPECT_EQ(files, (QStringList{QStringLiteral("Beta.txt"), QStringLiteral("UPPER.TXT"), QStringLiteral("alpha.txt"),
                                  QStringLiteral("noinfo.txt"), QStringLiteral("zulu.txt")}));
    EXPECT_EQ(list.Item(3)->LanguageIsoCode, QStringLiteral("e1"));

    QStringList names{QStringLiteral("stale")};
    list.FillLanguageNames(names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("Deutsch"), QStringLiteral("Capitals"), QStringLiteral("Slovensky"),
                                  QStringLiteral("Slovensky 2")}));
    EXPECT_EQ(list.FileNameForIsoCode(QStringLiteral("sk")), Dir.file(QStringLiteral("lang/alpha.txt")));
    EXPECT_EQ(list.FileNameForIsoCode(QStringLiteral("en")), QString()); // the code's case counts
    EXPECT_EQ(list.FindByLanguageName(QStringLiteral("Deutsch"))->FileName, Dir.file(QStringLiteral("lang/Beta.txt")));
    EXPECT_EQ(list.FindByLanguageName(QStringLiteral("deutsch")), nullptr);

    list.ScanFolder(Dir.path() + QStringLiteral("missing/"));
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(Translator, HeaderReader)
{
    Dir.write(QStringLiteral("x.txt"), "[Info]\nLanguageIsoCode=sk\nLanguageName=Slovensky\nProgram=Tandorel\n"
                                       "FileVersion=3\nFileDate=2026-12-10\nEncoding=UTF-8\n"
                                       "[Author]\nname=Autor\nemail=autor@example.org\nurl=http://example.org/\n");
    TTranslationFileInfo info;
    info.LoadFromFile(Dir.file(QStringLiteral("x.txt")));
    EXPECT_EQ(info.LanguageIsoCode, QStringLiteral("sk"));
    EXPECT_EQ(info.LanguageName, QStringLiteral("Slovensky"));
    EXPECT_EQ(info.Program, QStringLiteral("Tandorel"));
    EXPECT_EQ(info.FileName, Dir.file(QStringLiteral("x.txt")));
    EXPECT_EQ(info.FileVersion, QStringLiteral("3"));
    EXPECT_EQ(info.FileDate, QStringLiteral("2026-12-10"));
    EXPECT_EQ(info.Encoding, QStringLiteral("UTF-8"));
    EXPECT_EQ(info.AuthorName, QStringLiteral("Autor"));
    EXPECT_EQ(info.AuthorEmail, QStringLiteral("autor@example.org"));
    EXPECT_EQ(info.AuthorUrl, QStringLiteral("http://example.org/"));

    TTranslationFileInfo missing;
    missing.LoadFromFile(Dir.file(QStringLiteral("nothing.txt")));
    EXPECT_EQ(missing.LanguageIsoCode, QStringLiteral("e1"));
    EXPECT_EQ(missing.LanguageName, QString());
    EXPECT_EQ(missing.FileName, Dir.file(QStringLiteral("nothing.txt")));
}

TEST_F(Translator, DefaultChoiceBySystemLanguage)
{
    Dir.write(QStringLiteral("lang/b_sk.txt"), LanguageFile("sk", "Slovensky B"));
    Dir.write(QStringLiteral("lang/a_sk.txt"), LanguageFile("sk", "Slovensky A"));
    Dir.write(QStringLiteral("lang/en.txt"), LanguageFile("en", "English"));
    const QString folder = Dir.path() + QStringLiteral("lang/");

    TSystemLanguage::OverrideIsoCode(QStringLiteral("sk"));
    T()->LoadDefault(folder);
    EXPECT_EQ(T()->GetFileName(), folder + QStringLiteral("a_sk.txt")); // the first by name wins
    TProgramTranslator::FreeInstance();

    TSystemLanguage::OverrideIsoCode(QStringLiteral("fi"));
    T()->LoadDefault(folder);
    EXPECT_EQ(T()->GetFileName(), folder + QStringLiteral("en.txt"));
    TProgramTranslator::FreeInstance();

    QFile::remove(folder + QStringLiteral("en.txt"));
    T()->LoadDefault(folder);
    EXPECT_FALSE(T()->IsLoaded());
    T()->LoadDefault(Dir.path() + QStringLiteral("no-such-folder/"));
    EXPECT_FALSE(T()->IsLoaded());
    EXPECT_EQ(BuildQueryString(false), QStringLiteral("build=26&language=e2"));
}

TEST_F(Translator, LookupsOnAnotherThreadSurviveFileReplacement)
{
    Dir.write(QStringLiteral("a.txt"), LanguageFile("sk", "A", "[Hints]\nhntC=Vymazať\n"));
    Dir.write(QStringLiteral("b.txt"), LanguageFile("de", "B", "[Hints]\nhntC=Löschen\n"));
    T()->LoadFile(Dir.file(QStringLiteral("a.txt")));
    std::atomic<int> odd{0};
    std::unique_ptr<QThread> reader(QThread::create([&] {
        for (int i = 0; i < 300; ++i) {
            const QString hint =
                T()->Translate(QStringLiteral("Hints"), QStringLiteral("hntC"), QStringLiteral("Clear"));
            if (hint != QString::fromUtf8("Vymazať") && hint != QString::fromUtf8("Löschen"))
                ++odd;
        }
    }));
    reader->start();
    for (int i = 0; i < 100; ++i)
        T()->LoadFile(Dir.file(i % 2 ? QStringLiteral("a.txt") : QStringLiteral("b.txt")));
    reader->wait();
    EXPECT_EQ(odd, 0);
}

TEST(ShippedLanguages, EveryFileHoldsTheSameSectionsAndKeys)
{
    const QString folder = qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lang/");
    TTranslationFileList list;
    list.ScanFolder(folder);
    ASSERT_GE(list.Count(), 2);
    EXPECT_FALSE(list.FileNameForIsoCode(QStringLiteral("en")).isEmpty());

    // Section/key pairs, names compared as the lookups compare them.
    const auto keysOf = [](const QString &file) {
        TIniFile ini(file);
        QStringList sections, keys, result;
        ini.ReadSections(sections);
        for (const QString &section : sections) {
            ini.ReadSection(section, keys);
            for (const QString &key : keys)
                result << (section + QLatin1Char('/') + key).toLower();
        }
        result.sort();
        return result;
    };
    QStringList english = keysOf(list.FileNameForIsoCode(QStringLiteral("en")));
    EXPECT_GT(english.size(), 300);
    EXPECT_EQ(english.removeDuplicates(), 0);
    for (int i = 0; i < list.Count(); ++i) {
        TTranslationFileInfo *info = list.Item(i);
        EXPECT_EQ(info->LanguageIsoCode.size(), 2) << info->FileName.toStdString();
        EXPECT_FALSE(info->LanguageName.isEmpty());
        const QStringList keys = keysOf(info->FileName);
        for (const QString &key : english)
            EXPECT_TRUE(keys.contains(key)) << info->FileName.toStdString() << " lacks " << key.toStdString();
        for (const QString &key : keys)
            EXPECT_TRUE(english.contains(key)) << info->FileName.toStdString() << " has an extra " << key.toStdString();
    }
    // Texts whose blanks matter keep them.
    TProgramTranslator::Instance()->LoadFile(list.FileNameForIsoCode(QStringLiteral("en")));
    EXPECT_EQ(
        TProgramTranslator::Instance()->Translate(QStringLiteral("FunctionGraph"), QStringLiteral("Move"), QString()),
        QStringLiteral("  Move  "));
    EXPECT_EQ(
        TProgramTranslator::Instance()->Translate(QStringLiteral("ErrorMessages"), QStringLiteral("err19"), QString()),
        QStringLiteral("Unknown constant \"#1\"."));
    TProgramTranslator::FreeInstance();
}
