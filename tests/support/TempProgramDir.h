#pragma once
#include <QString>
#include <QTemporaryDir>

// A throw-away program folder for tests that read or write the program's
// files, so that no test ever touches the build tree.
class TempProgramDir
{
public:
    TempProgramDir();
    // The folder with a trailing "/", like ProgramDir.
    QString path() const;
    // Full path of a file inside the folder.
    QString file(const QString &name) const;
    // Writes Text (UTF-8, as given) to a file inside the folder.
    void write(const QString &name, const QByteArray &text) const;
    // Reads a file inside the folder; empty when missing.
    QByteArray read(const QString &name) const;
    bool exists(const QString &name) const;

private:
    QTemporaryDir m_dir;
};
