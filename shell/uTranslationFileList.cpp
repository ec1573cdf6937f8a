#include "shell/uTranslationFileList.h"

#include <QDir>

#include <algorithm>

TTranslationFileList::TTranslationFileList()
{
    List.OwnsData = true;
}

void TTranslationFileList::ScanFolder(const QString &Folder)
{
    List.Clear();
    QString folder = Folder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    // The directory's own order is arbitrary here; the file name decides,
    // so that of two files with one language code always the same one wins.
    QStringList names =
        QDir(folder).entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    std::sort(names.begin(), names.end());
    for (const QString &name : names) {
        auto *info = new TTranslationFileInfo;
        List.Add(info);
        info->LoadFromFile(folder + name);
    }
}

QString TTranslationFileList::FileNameForIsoCode(const QString &Code)
{
    TListIterator<TTranslationFileInfo> it(&List);
    while (it.HasNext()) {
        TTranslationFileInfo *info = it.Next();
        if (info->LanguageIsoCode == Code)
            return info->FileName;
    }
    return QString();
}

void TTranslationFileList::FillLanguageNames(QStringList &Strings)
{
    Strings.clear();
    TListIterator<TTranslationFileInfo> it(&List);
    while (it.HasNext()) {
        TTranslationFileInfo *info = it.Next();
        if (info->HasLanguage())
            Strings.append(info->LanguageName);
    }
}

TTranslationFileInfo *TTranslationFileList::FindByLanguageName(const QString &Name)
{
    TListIterator<TTranslationFileInfo> it(&List);
    while (it.HasNext()) {
        TTranslationFileInfo *info = it.Next();
        if (info->LanguageName == Name)
            return info;
    }
    return nullptr;
}
