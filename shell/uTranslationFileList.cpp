#include "shell/uTranslationFileList.h"

#include <QDir>

#include <algorithm>

TTranslationFileList::TTranslationFileList()
{
    List.OwnsData = true;
}

void TTranslationFileList::ScanFolder(const QString &folder)
{
    List.Clear();
    QString withSlash = folder;
    if (!withSlash.endsWith(QLatin1Char('/')))
        withSlash += QLatin1Char('/');
    // The directory's own order is arbitrary here; the file name decides,
    // so that of two files with one language code always the same one wins.
    QStringList names =
        QDir(withSlash).entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    std::sort(names.begin(), names.end());
    for (const QString &name : names) {
        auto *info = new TTranslationFileInfo;
        List.Add(info);
        info->LoadFromFile(withSlash + name);
    }
}

QString TTranslationFileList::FileNameForIsoCode(const QString &code)
{
    TListIterator<TTranslationFileInfo> it(&List);
    while (it.HasNext()) {
        TTranslationFileInfo *info = it.Next();
        if (info->LanguageIsoCode == code)
            return info->FileName;
    }
    return QString();
}

void TTranslationFileList::FillLanguageNames(QStringList &strings)
{
    strings.clear();
    TListIterator<TTranslationFileInfo> it(&List);
    while (it.HasNext()) {
        TTranslationFileInfo *info = it.Next();
        if (info->HasLanguage())
            strings.append(info->LanguageName);
    }
}

TTranslationFileInfo *TTranslationFileList::FindByLanguageName(const QString &name)
{
    TListIterator<TTranslationFileInfo> it(&List);
    while (it.HasNext()) {
        TTranslationFileInfo *info = it.Next();
        if (info->LanguageName == name)
            return info;
    }
    return nullptr;
}
