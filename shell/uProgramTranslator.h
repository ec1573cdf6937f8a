#pragma once
// Run-time translation: every visible text is looked up by section, key and
// its English default in the loaded language file; the default wins while no
// file is loaded or the key is missing. Lookups may run on any thread: a lock
// guards them and the replacement of the file.
#include "core/uSingleton.h"

#include <QMutex>
#include <QString>

class TIniFile;

// ISO code of the loaded language, two characters, "e2" while none is
// known; sent with web requests. Set by the main window's text loading.
extern QString LanguageCode;

class TProgramTranslator : public TSingleton
{
public:
    // The single object, created on first use.
    static TProgramTranslator *Instance();
    // Destroys the single object (closing the file); the next Instance
    // creates it afresh.
    static void FreeInstance();

    bool IsLoaded() const;
    // Full path of the open file, empty when none.
    QString GetFileName() const;
    // Opens FileName when it exists (closing the file open before); when it
    // does not exist, or is far larger than any language file
    // (MaxLanguageFileSize), nothing changes. False then.
    bool LoadFile(const QString &fileName);
    // The file LoadFile refused last for its size, "" when none.
    QString RefusedFile() const;
    // Opens the file of the system language found in Folder, else the
    // English one; else nothing changes.
    void LoadDefault(const QString &folder);
    // The value of Key in Section (names match ignoring letter case), or
    // defaultValue when no file is open or the key is missing. A key present with
    // an empty value gives the empty text.
    QString Translate(const QString &section, const QString &key, const QString &defaultValue) const;
    // Between the two, lookups read the language file once (a window's
    // texts); see TTranslationGroup. Groups nest and outlive a LoadFile.
    void BeginTextGroup();
    void EndTextGroup();

protected:
    TProgramTranslator() = default;
    ~TProgramTranslator() override;

private:
    mutable QMutex m_lock;
    TIniFile *IniFile = nullptr;
    QString m_refused;
    int m_textGroups = 0;
};

// A group of lookups (TProgramTranslator::BeginTextGroup) for the lifetime
// of the object.
class TTranslationGroup
{
public:
    TTranslationGroup() { TProgramTranslator::Instance()->BeginTextGroup(); }
    ~TTranslationGroup() { TProgramTranslator::Instance()->EndTextGroup(); }
    TTranslationGroup(const TTranslationGroup &) = delete;
    TTranslationGroup &operator=(const TTranslationGroup &) = delete;
};
