#pragma once
// The one way the program writes a file. The bytes go to a new file beside
// the target, every write is checked, the new file is synced to the disk
// and only then renamed over the target, and the folder is synced after
// the rename. So the target holds either its old contents or all of the
// new ones, also after a full disk, a kill or a power cut, and a failure
// leaves no temporary file behind (only a kill between the sync and the
// rename can leave one).
#include <QByteArray>
#include <QString>

class QFile;

// False, with the system's reason in Error ("No space left on device"),
// when FileName could not be replaced; it is then as it was. A symbolic
// link is followed: its target is replaced and the link stays. An existing
// file that may not be written is not replaced; it keeps its permission
// bits; a new one gets those the umask allows.
bool TryWriteFileAtomically(const QString &FileName, const QByteArray &Bytes, QString &Error);

// The rest of an open File, read in pieces, so that a small file costs no
// more than its size: at most Limit + 1 bytes, so that a file (or a pipe or
// device, whose size the system does not tell) above the limit shows as
// Bytes longer than Limit. False when reading fails.
bool ReadFileAtMost(QFile &File, qint64 Limit, QByteArray &Bytes);

// For tests: called with the temporary file's name once it is written and
// synced, just before it replaces the target.
extern void (*WriteFileAtomicallyHook)(const QString &TemporaryName);
