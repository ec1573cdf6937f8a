#pragma once
// A string list with the semantics the program relies on: unsorted,
// duplicates allowed, a line's name is the text before its first "=",
// name and line look-ups ignore letter case (first match wins), assigning an
// empty value deletes the line. Files are UTF-8; loading accepts CR, LF and
// CRLF line ends, saving writes CRLF and replaces the file atomically. A
// byte that is not valid UTF-8 is kept and written back as it was
// (DecodeUtf8Lossless), so one stray byte changes no other character.
// Loading drops a byte-order mark; saving writes one only before a first
// line that begins with a byte-order mark of its own, so that a file saved
// and loaded again has the same lines.
#include "platform/SysUtils.h"

#include <QString>
#include <QStringList>

class TStringList
{
public:
    TStringList() = default;
    virtual ~TStringList() = default;

    int Count() const { return int(m_lines.size()); }
    const QString &Strings(int index) const; // ERangeError-like EStringListError on a bad index
    void SetStrings(int index, const QString &s);
    QString &operator[](int index);
    const QString &operator[](int index) const { return Strings(index); }

    int Add(const QString &s);
    void Insert(int index, const QString &s);
    void Delete(int index);
    void Clear() { m_lines.clear(); }
    void Assign(const TStringList &other) { m_lines = other.m_lines; }
    void AddStrings(const TStringList &other) { m_lines += other.m_lines; }

    // Index of the first line equal to S ignoring letter case, -1 for none.
    int IndexOf(const QString &s) const;
    // Index of the first line whose name equals Name ignoring letter case.
    int IndexOfName(const QString &name) const;
    QString Names(int index) const;
    QString ValueFromIndex(int index) const;
    QString Values(const QString &name) const;
    // Replaces the value of the first line named Name, appends "Name=Value"
    // when there is none; an empty Value deletes that line.
    void SetValues(const QString &name, const QString &value);

    // Lines joined with CRLF after every line; SetText splits at CR, LF, CRLF.
    QString Text() const;
    void SetText(const QString &text);

    // Raise EFOpenError / EFCreateError when the file cannot be read / written;
    // a file above MaxSize bytes is refused with EFileTooLarge, the list
    // left as it was.
    void LoadFromFile(const QString &fileName, qint64 maxSize = MaxTextFileSize);
    void SaveToFile(const QString &fileName) const;

    const QStringList &Lines() const { return m_lines; }
    QStringList &Lines() { return m_lines; }

private:
    QStringList m_lines;
};

// Raised for an index outside the list ("List index out of bounds (%d)").
class EStringListError : public Exception
{
    using Exception::Exception;
};
