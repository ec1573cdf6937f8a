#pragma once
// The header of one language file: sections Info and Author.
#include <QString>

class TTranslationFileInfo
{
public:
    TTranslationFileInfo() = default;

    // Reads the header of FileName; missing keys keep the defaults ("e1" for
    // the code, empty texts otherwise). A file that cannot be read gives the
    // defaults with FileName set.
    void LoadFromFile(const QString &fileName);
    // A file without a language code is not offered as a language.
    bool HasLanguage() const { return LanguageIsoCode != QLatin1String("e1"); }

    QString LanguageIsoCode = QStringLiteral("e1"); // at most 255 characters
    QString LanguageName;
    QString Program;
    QString FileName;
    QString FileVersion;
    QString FileDate;
    QString Encoding;
    QString AuthorName;
    QString AuthorEmail;
    QString AuthorUrl;
};
