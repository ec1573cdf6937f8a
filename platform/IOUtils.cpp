#include "platform/IOUtils.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

void (*WriteFileAtomicallyHook)(const QString &TemporaryName) = nullptr;

namespace {

// The file a chain of symbolic links ends at (the name itself when it is
// no link); a link that points nowhere ends at the name it points to, so
// that writing creates that file as writing through the link would.
QByteArray FollowLinks(QByteArray path)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), target, sizeof target);
        if (n <= 0 || size_t(n) >= sizeof target)
            return path;
        QByteArray next(target, n);
        if (!next.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            next.prepend(slash < 0 ? QByteArray() : path.left(slash + 1));
        }
        path = next;
    }
    return path;
}

QByteArray FolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// A new file beside Target that nobody else has, or -1 with errno set.
int CreateTemporary(const QByteArray &target, QByteArray &name)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    // The target's name and a suffix, unless that would pass the longest
    // name a folder entry may have.
    const qsizetype nameLength = target.size() - target.lastIndexOf('/') - 1;
    const QByteArray prefix = nameLength + 7 > NAME_MAX ? FolderOf(target) + "/.save." : target + '.';
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix;
        for (int i = 0; i < 6; ++i)
            name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

void SyncFolder(const QByteArray &folder)
{
    // Not every file system can sync a folder; the file is in place by
    // then either way, so a refusal changes nothing.
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool ReadFileAtMost(QFile &File, qint64 Limit, QByteArray &Bytes)
{
    Bytes.clear();
    // A read sets aside all it asks for: first what the file says it holds
    // and one byte more (which tells a file that grew), then pieces.
    const qint64 known = File.size() - File.pos();
    qint64 piece = known > 0 ? known + 1 : 64 * 1024;
    while (Bytes.size() <= Limit) {
        const QByteArray read = File.read(qMin(piece, Limit + 1 - Bytes.size()));
        if (read.isEmpty())
            break;
        Bytes += read;
        piece = 64 * 1024;
    }
    return File.error() == QFileDevice::NoError;
}

bool TryWriteFileAtomically(const QString &FileName, const QByteArray &Bytes, QString &Error)
{
    Error.clear();
    const QByteArray target = FollowLinks(QFile::encodeName(FileName));
    const auto fail = [&Error](int code) {
        Error = qt_error_string(code);
        return false;
    };
    if (target.isEmpty())
        return fail(ENOENT);

    struct stat old;
    const bool existed = ::stat(target.constData(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        return fail(EISDIR);
    // A file its owner made read-only is not replaced (a rename could).
    if (existed && ::access(target.constData(), W_OK) != 0)
        return fail(errno);

    QByteArray temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0)
        return fail(errno);
    const auto discard = [&](int code) {
        ::unlink(temporary.constData());
        return fail(code);
    };
    if ((existed && ::fchmod(fd, old.st_mode & 07777) != 0) || !WriteAll(fd, Bytes) || ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return discard(code);
    }
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0)
        return discard(errno);
    if (WriteFileAtomicallyHook)
        WriteFileAtomicallyHook(QFile::decodeName(temporary));
    if (::rename(temporary.constData(), target.constData()) != 0)
        return discard(errno);
    SyncFolder(FolderOf(target));
    return true;
}
