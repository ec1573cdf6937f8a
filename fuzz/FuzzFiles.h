#pragma once
// What the harnesses that go through real files share: a scratch folder of
// their own (in memory where the system has one, so that the syncs of every
// save cost nothing), reading and writing its files, the lines of a file as
// the program's readers split them, and the end of a run that broke a
// promise.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void Fail(const char *What, const QString &Detail = QString())
{
    std::fprintf(stderr, "%s: %s\n", What, Detail.left(300).toUtf8().constData());
    std::abort();
}

inline void Check(bool Holds, const char *What, const QString &Detail = QString())
{
    if (!Holds)
        Fail(What, Detail);
}

// The scratch folder, with a trailing "/"; removed when the process ends.
inline const QString &ScratchFolder()
{
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/tandorel-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/tandorel-fuzz-XXXXXX"));
    static const QString path = dir.path() + u'/';
    return path;
}

inline QString ScratchFile(const QString &Name)
{
    return ScratchFolder() + Name;
}

inline void WriteScratch(const QString &Name, const QByteArray &Bytes)
{
    const QString path = ScratchFile(Name);
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(Bytes) != Bytes.size() || !f.flush())
        Fail("the scratch file cannot be written", path);
}

inline QByteArray ReadScratch(const QString &Name)
{
    QFile f(ScratchFile(Name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The lines of a text file as bytes, as the program's readers split them: a
// UTF-16 file (by its byte-order mark, when the reader knows UTF-16) in
// UTF-8, then without a UTF-8 byte-order mark, split at CR LF, CR and LF, a
// last line end adding no line. Only the line ends and the encoding's marks
// are not compared.
inline QList<QByteArray> FileLines(const QByteArray &File, bool Utf16 = true)
{
    QByteArray all = File;
    if (Utf16 && (all.startsWith("\xFF\xFE") || all.startsWith("\xFE\xFF"))) {
        QStringDecoder decoder(all.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        all = QString(decoder(all.mid(2))).toUtf8();
    }
    if (all.startsWith("\xEF\xBB\xBF"))
        all.remove(0, 3);
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const char c = all.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(all.mid(start, i - start));
        if (c == '\r' && i + 1 < all.size() && all.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < all.size())
        lines.append(all.mid(start));
    return lines;
}

// The file the program writes for Lines: each line and CR LF, behind a
// byte-order mark when the first line begins with one (which reading takes
// off).
inline QByteArray CrLfFile(const QList<QByteArray> &Lines)
{
    QByteArray out = !Lines.isEmpty() && Lines.first().startsWith("\xEF\xBB\xBF") ? "\xEF\xBB\xBF" : "";
    for (const QByteArray &line : Lines)
        out += line + "\r\n";
    return out;
}
