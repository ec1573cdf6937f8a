#include "shell/uProgramTranslator.h"

#include "platform/IniFiles.h"
#include "shell/uSystemLanguage.h"
#include "shell/uTranslationFileList.h"

#include <QFileInfo>
#include <QMutexLocker>

QString LanguageCode = QStringLiteral("e2");

namespace {
TProgramTranslator *TheTranslator = nullptr;
}

TProgramTranslator *TProgramTranslator::Instance()
{
    if (!TheTranslator)
        TheTranslator = new TProgramTranslator;
    return TheTranslator;
}

void TProgramTranslator::FreeInstance()
{
    if (TheTranslator)
        TheTranslator->DestroyInstance();
}

TProgramTranslator::~TProgramTranslator()
{
    delete IniFile;
    IniFile = nullptr;
    if (TheTranslator == this)
        TheTranslator = nullptr;
}

bool TProgramTranslator::IsLoaded() const
{
    QMutexLocker locker(&Lock);
    return IniFile != nullptr;
}

QString TProgramTranslator::GetFileName() const
{
    QMutexLocker locker(&Lock);
    return IniFile ? IniFile->FileName() : QString();
}

bool TProgramTranslator::LoadFile(const QString &FileName)
{
    const QFileInfo file(FileName);
    if (FileName.isEmpty() || !file.isFile())
        return false;
    auto *opened = new TIniFile(file.absoluteFilePath(), MaxLanguageFileSize);
    if (opened->TooLarge()) {
        delete opened;
        QMutexLocker locker(&Lock);
        Refused = file.absoluteFilePath();
        return false;
    }
    // A lookup on another thread finishes with the old file before it goes.
    QMutexLocker locker(&Lock);
    for (int i = 0; i < TextGroups; ++i)
        opened->BeginReadGroup();
    delete IniFile;
    IniFile = opened;
    return true;
}

QString TProgramTranslator::RefusedFile() const
{
    QMutexLocker locker(&Lock);
    return Refused;
}

void TProgramTranslator::LoadDefault(const QString &Folder)
{
    TTranslationFileList list;
    list.ScanFolder(Folder);
    LoadFile(list.FileNameForIsoCode(TSystemLanguage::GetIsoCode()));
    if (!IsLoaded())
        LoadFile(list.FileNameForIsoCode(QStringLiteral("en")));
}

void TProgramTranslator::BeginTextGroup()
{
    QMutexLocker locker(&Lock);
    ++TextGroups;
    if (IniFile)
        IniFile->BeginReadGroup();
}

void TProgramTranslator::EndTextGroup()
{
    QMutexLocker locker(&Lock);
    if (TextGroups == 0)
        return;
    --TextGroups;
    if (IniFile)
        IniFile->EndReadGroup();
}

QString TProgramTranslator::Translate(const QString &Section, const QString &Key, const QString &Default) const
{
    QMutexLocker locker(&Lock);
    if (!IniFile)
        return Default;
    return IniFile->ReadString(Section, Key, Default);
}
