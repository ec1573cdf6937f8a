#pragma once
// The user variables: lines of name, "=" and value text (possibly empty,
// meaning "no value yet"); name look-ups ignore letter case.
#include "core/uSingleton.h"
#include "platform/Classes.h"

#include <QHash>
#include <QString>

class TVariableManager : public TSingleton
{
public:
    TStringList Variables;

    // The single object, created on first use.
    static TVariableManager *Instance();
    // Destroys the single object when it exists.
    static void FreeInstance();

    int Count() const;
    bool Exists(const QString &Name) const;
    // The value text, "" for a name not in the list.
    QString GetValue(const QString &Name) const;
    // Nothing for an empty Name; a known name gets Value unless Value is
    // empty; an unknown name is added as Name + "=" + Value.
    void SetValue(const QString &Name, const QString &Value);
    // Each line: a known name takes its value (an empty value removes the
    // variable); the line of an unknown name is added unchanged.
    void Merge(const TStringList &Lines);
    void Clear();
    // Clears Lines and adds every line.
    void CopyTo(TStringList &Lines) const;

    // The loaded lines replace the list. Raises EFOpenError when the file
    // cannot be read; the list is then left as it was.
    void LoadFromFile(const QString &FileName);
    // Raises EFCreateError when the file cannot be written; the old file
    // then stays as it was.
    void SaveToFile(const QString &FileName) const;

protected:
    TVariableManager() = default;
    ~TVariableManager() override = default;
};

// The variables as they stand now, for many look-ups in a row: the answers
// of Exists and GetValue (letter case ignored, the first line of a name
// wins), each without a walk through the list.
class TVariableLookup
{
public:
    explicit TVariableLookup(const TVariableManager &Variables);
    int Count() const { return m_count; }
    bool Exists(const QString &Name) const;
    QString GetValue(const QString &Name) const;

private:
    QHash<QString, QString> m_values; // case-folded name -> value
    int m_count = 0;
};
