#pragma once
// The language files found in a folder, in file-name order.
#include "core/uList.h"
#include "shell/uTranslationFileInfo.h"

#include <QString>
#include <QStringList>

class TTranslationFileList
{
public:
    TTranslationFileList();
    ~TTranslationFileList() = default;

    // Empties the list, then reads the header of every "*.txt" file of
    // Folder (a missing trailing "/" is added), sorted by file name.
    void ScanFolder(const QString &folder);
    // FileName of the first file whose code equals Code exactly; empty when none.
    QString FileNameForIsoCode(const QString &code);
    // Empties Strings, then adds the name of every file that has a code.
    void FillLanguageNames(QStringList &strings);
    // The first file whose LanguageName equals Name exactly; nullptr when none.
    TTranslationFileInfo *FindByLanguageName(const QString &name);

    int Count() const { return List.Count(); }
    TTranslationFileInfo *Item(int index) { return List.GetItem(index); }

private:
    TList<TTranslationFileInfo> List;
};
