#include "shell/CheckPrevious.h"

#include "shell/uNetworkModule.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>

#include <memory>
#include <vector>

QString MappingName;
bool InstanceRegistered = false;

namespace {

QString PathOverride;
std::unique_ptr<QLockFile> Slot;
std::unique_ptr<TLocalChannel> Server;
std::function<void()> OnActivate;

const QByteArray ActivateRequest("activate\n");

QString BaseName()
{
    return InstanceServerName(PathOverride.isEmpty() ? QCoreApplication::applicationFilePath() : PathOverride);
}

QString SlotFile(int index)
{
    return QDir::tempPath() + u'/' + BaseName() + QStringLiteral(".slot") + QString::number(index)
           + QStringLiteral(".lock");
}

void StartListening()
{
    Server = TLocalChannel::Create();
    Server->Listen(BaseName(), ActivateRequest, [] {
        if (OnActivate)
            OnActivate();
    });
}

// Asks the registered copy to raise its window. It may just be starting up
// (it holds its place but does not listen yet), so connecting is retried for
// a short while.
bool AskRunningCopy()
{
    return TLocalChannel::Create()->Send(BaseName(), ActivateRequest, 3000);
}

} // namespace

QString InstanceServerName(const QString &executablePath)
{
    QString name = executablePath;
    name.remove(u'/');
    // Socket and lock names have length limits, so the path is hashed.
    const QByteArray hash = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return QStringLiteral("tandorel-") + QString::fromLatin1(hash);
}

void SetInstancePathForTests(const QString &path)
{
    PathOverride = path;
}

bool CheckPreviousInstance(std::function<void()> activate, int maxInstances)
{
    const QString path = PathOverride.isEmpty() ? QCoreApplication::applicationFilePath() : PathOverride;
    MappingName = path;
    MappingName.remove(u'/');

    for (int i = 0; i < maxInstances; ++i) {
        auto lock = std::make_unique<QLockFile>(SlotFile(i));
        // A lock whose owner no longer runs is stale and is taken over at once.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            Slot = std::move(lock);
            InstanceRegistered = true;
            OnActivate = std::move(activate);
            StartListening();
            return false;
        }
    }
    // Every place is taken: this copy ends whether or not the running one
    // could be reached.
    InstanceRegistered = false;
    AskRunningCopy();
    return true;
}

void ReleasePreviousInstance()
{
    Server.reset();
    if (Slot) {
        Slot->unlock();
        Slot.reset();
    }
    OnActivate = nullptr;
    InstanceRegistered = false;
    MappingName.clear();
}
