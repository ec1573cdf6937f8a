#pragma once
// INI files with the semantics of the Windows private-profile functions:
// section and key names match case-insensitively, values lose surrounding
// blanks and one pair of enclosing double quotation marks, at most 2047
// characters are returned, nothing is escaped or split. Writing updates the
// file in place (untouched lines keep their place and text, a new key goes at
// the end of its section, a new section at the end of the file) and replaces
// the file atomically. A damaged or unreadable file reads as empty.
// Text is UTF-8 (a byte-order mark is kept); a line that is not valid UTF-8
// is read byte by byte and written back unchanged; a UTF-16 file with its
// byte-order mark is read and written back as UTF-16. Line ends CR, LF or
// CRLF are read; a rewrite uses the file's first line end (CRLF for a new
// file). Lines before the first section, and lines starting with ";", are
// never keys. When a section appears twice, only the first is looked into.
// Section and key names are found without blanks around them, as they are
// read from the file. A file above its size limit counts as damaged: it
// reads as empty and is never rewritten.
#include "platform/SysUtils.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TIniFile
{
public:
    explicit TIniFile(const QString &fileName, qint64 maxSize = MaxTextFileSize);
    virtual ~TIniFile();

    QString FileName() const { return m_fileName; }
    // The file exists and is above the size limit.
    bool TooLarge() const;

    // Reads never throw and are safe from several threads at once. Each
    // read looks at the file's identity on disk (device, inode, size,
    // modification and change time) and parses the file again only when
    // that has changed (or when the file was read in the very tick it was
    // written in, which its times cannot tell apart).
    QString ReadString(const QString &section, const QString &ident, const QString &def) const;
    // The whole (trimmed, unquoted) value must be an integer: optional sign
    // and decimal digits within the 32-bit range, or "0x" / "$" followed by
    // up to 8 hexadecimal digits (taken as a 32-bit pattern). Anything else,
    // a damaged value such as "12abc" or "" included, gives Def, so a broken
    // key leaves the caller's field as it was.
    int ReadInteger(const QString &section, const QString &ident, int def) const;
    // Any non-zero integer is true.
    bool ReadBool(const QString &section, const QString &ident, bool def) const;

    // Raise EIniFileException ("Unable to write to %s") when the file cannot be
    // written, also when it exists but cannot be read (it is never replaced by
    // a file that lost its other lines). Line breaks in a value, key or
    // section name become blanks, so a write can never add lines. A value
    // with blanks around it or enclosed in quotation marks is written in one
    // more pair of them, so that every written value of up to 2047
    // characters reads back as it was. Nothing is written when the file
    // would not change.
    void WriteString(const QString &section, const QString &ident, const QString &value);
    void WriteInteger(const QString &section, const QString &ident, int value);
    void WriteBool(const QString &section, const QString &ident, bool value); // "1" / "0"

    // Between the two, reads look at the file only once, at the first of
    // them: for a group of reads such as the settings at start or a
    // window's texts. Groups nest; writes still reach the file at once.
    void BeginReadGroup() const;
    void EndReadGroup() const;

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &ident) const;
    // Key names of a section, in file order.
    void ReadSection(const QString &section, QStringList &idents) const;
    // Section names, in file order.
    void ReadSections(QStringList &sections) const;
    // "key=value" lines of a section, in file order.
    void ReadSectionValues(const QString &section, QStringList &values) const;
    void EraseSection(const QString &section);
    void DeleteKey(const QString &section, const QString &ident);

    struct Data;

private:
    friend void WriteIniAtomically(const QString &fileName, const std::function<void(TIniFile &)> &writes);
    std::shared_ptr<const Data> data() const;
    // A copy of the file's lines to change; EIniFileException when the file
    // exists but cannot be read. Called with the cache locked.
    std::shared_ptr<Data> current();
    void modify(const std::function<bool(Data &)> &change);

    QString m_fileName;
    qint64 m_maxSize;
    struct Cache;
    std::unique_ptr<Cache> m_cache;
};

// A read group for the lifetime of the object (see BeginReadGroup).
class TIniReadGroup
{
public:
    explicit TIniReadGroup(const TIniFile &ini) : m_ini(ini) { m_ini.BeginReadGroup(); }
    ~TIniReadGroup() { m_ini.EndReadGroup(); }
    TIniReadGroup(const TIniReadGroup &) = delete;
    TIniReadGroup &operator=(const TIniReadGroup &) = delete;

private:
    const TIniFile &m_ini;
};

// Runs a group of writes on FileName read once, and writes the result once
// by one rename, so that the group lands whole or not at all: a failure
// part-way raises EIniFileException ("Unable to write to %s") (or lets the
// writes' own exception pass) and leaves the old file as it was. A group
// that changes nothing leaves an existing file untouched.
void WriteIniAtomically(const QString &fileName, const std::function<void(TIniFile &)> &writes);
