#include "shell/uTranslationFileInfo.h"

#include "platform/IniFiles.h"

void TTranslationFileInfo::LoadFromFile(const QString &fileName)
{
    const QString info = QStringLiteral("Info");
    const QString author = QStringLiteral("Author");
    TIniFile ini(fileName, MaxLanguageFileSize);
    const TIniReadGroup group(ini);
    LanguageIsoCode = ini.ReadString(info, QStringLiteral("LanguageIsoCode"), QStringLiteral("e1")).left(255);
    LanguageName = ini.ReadString(info, QStringLiteral("LanguageName"), QString());
    Program = ini.ReadString(info, QStringLiteral("Program"), QString());
    this->FileName = fileName;
    FileVersion = ini.ReadString(info, QStringLiteral("FileVersion"), QString());
    FileDate = ini.ReadString(info, QStringLiteral("FileDate"), QString());
    Encoding = ini.ReadString(info, QStringLiteral("Encoding"), QString());
    AuthorName = ini.ReadString(author, QStringLiteral("name"), QString());
    AuthorEmail = ini.ReadString(author, QStringLiteral("email"), QString());
    AuthorUrl = ini.ReadString(author, QStringLiteral("url"), QString());
}
