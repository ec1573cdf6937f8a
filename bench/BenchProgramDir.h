#pragma once
// A throw-away program folder for the benchmarks that start the program:
// the language files, the sample libraries and the units file of the build
// folder, and a settings file, so that no benchmark touches the build tree.
#include "shell/uDisk.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

inline QString SourceLanguageFile(const char *Name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lang/") + QLatin1String(Name));
}

// A program folder with the language files, the sample libraries and the
// units file (the expression browser and the unit converter read them when
// they open; without them each would stop at its message) and the given
// settings. The program folder points at it while it lives.
struct TBenchProgramDir
{
    explicit TBenchProgramDir(const QByteArray &Settings)
    {
        QDir(Dir.path()).mkpath(QStringLiteral("lang"));
        for (const char *name : {"English.txt", "Slovensky.txt"}) {
            const QString copy = Dir.filePath(QStringLiteral("lang/") + QLatin1String(name));
            QFile::copy(SourceLanguageFile(name), copy);
            // As installed files are: not changed in the last seconds, so
            // the INI reader keeps its parsed copy.
            QFile file(copy);
            if (file.open(QIODevice::ReadWrite))
                file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
        }
        QDir(Dir.path()).mkpath(QStringLiteral("lib"));
        for (const char *name : {"geometry.xml", "physics.xml"})
            QFile::copy(
                QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lib/") + QLatin1String(name)),
                Dir.filePath(QStringLiteral("lib/") + QLatin1String(name)));
        for (const QString &units : {QStringLiteral("units/en/units.xml"), QStringLiteral("units/sk/units.xml")}) {
            QDir(Dir.path()).mkpath(QFileInfo(units).path());
            QFile::copy(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../") + units),
                        Dir.filePath(units));
        }
        QFile settings(Dir.filePath(QStringLiteral("settings.ini")));
        if (settings.open(QIODevice::WriteOnly))
            settings.write("[Settings]\r\nLanguageFile=lang/English.txt\r\n" + Settings);
        SetProgramDir(Dir.path());
    }
    ~TBenchProgramDir() { SetProgramDir(QString()); }
    QTemporaryDir Dir;
};
