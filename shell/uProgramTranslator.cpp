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
    QMutexLocker locker(&m_lock);
    return IniFile != nullptr;
}

QString TProgramTranslator::GetFileName() const
{
    QMutexLocker locker(&m_lock);
    return IniFile ? IniFile->FileName() : QString();
}

bool TProgramTranslator::LoadFile(const QString &fileName)
{
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !file.isFile())
        return false;
    auto *opened = new TIniFile(file.absoluteFilePath(), MaxLanguageFileSize);
    if (opened->TooLarge()) {
        delete opened;
        QMutexLocker locker(&m_lock);
        m_refused = file.absoluteFilePath();
        return false;
    }
    // A lookup on another thread finishes with the old file before it goes.
    QMutexLocker locker(&m_lock);
    for (int i = 0; i < m_textGroups; ++i)
        opened->BeginReadGroup();
    delete IniFile;
    IniFile = opened;
    return true;
}

QString TProgramTranslator::RefusedFile() const
{
    QMutexLocker locker(&m_lock);
    return m_refused;
}

void TProgramTranslator::LoadDefault(const QString &folder)
{
    TTranslationFileList list;
    list.ScanFolder(folder);
    LoadFile(list.FileNameForIsoCode(TSystemLanguage::GetIsoCode()));
    if (!IsLoaded())
        LoadFile(list.FileNameForIsoCode(QStringLiteral("en")));
}

void TProgramTranslator::BeginTextGroup()
{
    QMutexLocker locker(&m_lock);
    ++m_textGroups;
    if (IniFile)
        IniFile->BeginReadGroup();
}

void TProgramTranslator::EndTextGroup()
{
    QMutexLocker locker(&m_lock);
    if (m_textGroups == 0)
        return;
    --m_textGroups;
    if (IniFile)
        IniFile->EndReadGroup();
}

QString TProgramTranslator::Translate(const QString &section, const QString &key, const QString &defaultValue) const
{
    QMutexLocker locker(&m_lock);
    if (!IniFile)
        return defaultValue;
    return IniFile->ReadString(section, key, defaultValue);
}
