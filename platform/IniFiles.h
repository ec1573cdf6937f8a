#pragma once
// INI files with the semantics of the Windows private-profile functions:
// section and key names match case-insensitively, values lose surrounding
// blanks and one pair of enclosing double quotation marks, at most 2047
// characters are returned, nothing is escaped or split. Writing updates the
// file in place (untouched lines keep their place and text, a new key goes at
// the end of its section, a new section at the end of the file) and replaces
// the file atomically. A damaged or unreadable file reads as empty.
#include <QString>
#include <QStringList>

class TIniFile
{
public:
    explicit TIniFile(const QString &fileName);
    virtual ~TIniFile();

    QString FileName() const { return m_fileName; }

    QString ReadString(const QString &section, const QString &ident, const QString &def) const;
    // A value that is not a decimal integer (or "0x" hexadecimal) gives Def.
    int ReadInteger(const QString &section, const QString &ident, int def) const;
    // Any non-zero integer is true.
    bool ReadBool(const QString &section, const QString &ident, bool def) const;

    // Raise EIniFileException ("Unable to write to %s") when the file cannot be written.
    void WriteString(const QString &section, const QString &ident, const QString &value);
    void WriteInteger(const QString &section, const QString &ident, int value);
    void WriteBool(const QString &section, const QString &ident, bool value); // "1" / "0"

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

private:
    QStringList load() const;
    void store(const QStringList &lines);

    QString m_fileName;
};
