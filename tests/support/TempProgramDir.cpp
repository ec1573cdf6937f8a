#include "tests/support/TempProgramDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempProgramDir::TempProgramDir() : m_dir(QDir::tempPath() + "/tandorel-test-XXXXXX") {}

QString TempProgramDir::path() const
{
    return m_dir.path() + "/";
}

QString TempProgramDir::file(const QString &name) const
{
    return path() + name;
}

void TempProgramDir::write(const QString &name, const QByteArray &text) const
{
    const QString full = file(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
}

QByteArray TempProgramDir::read(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool TempProgramDir::exists(const QString &name) const
{
    return QFileInfo::exists(file(name));
}
