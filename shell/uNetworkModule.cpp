#include "shell/uNetworkModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QMetaObject>
#include <QMutex>
#include <QObject>

#ifndef TANDOREL_INSTALLED_MODULE_DIR
#define TANDOREL_INSTALLED_MODULE_DIR "../lib/tandorel"
#endif

namespace {

QMutex ModuleLock;
QString ModuleFolder;
QLibrary *Module = nullptr;

// Beside the program in a build tree or a portable copy; an installed
// program keeps it in the library folder its install names, found from the
// program's own place so that a moved install still finds it.
QString ModulePath()
{
    const QString name = QStringLiteral("tandorel-network.so");
    if (!ModuleFolder.isEmpty())
        return QDir(ModuleFolder).filePath(name);
    const QDir program(QCoreApplication::applicationDirPath());
    if (program.exists(name))
        return program.filePath(name);
    return QDir::cleanPath(program.filePath(QStringLiteral(TANDOREL_INSTALLED_MODULE_DIR) + QLatin1Char('/') + name));
}

// A factory of the module; nullptr when the module cannot be loaded.
template <class T>
T *Made(const char *factory)
{
    QFunctionPointer function = nullptr;
    {
        const QMutexLocker locker(&ModuleLock);
        if (!Module) {
            // Loaded once and kept: the objects of every thread use it until
            // the program ends.
            Module = new QLibrary(ModulePath());
            if (!Module->load())
                qWarning("The network module could not be loaded: %s", qPrintable(Module->errorString()));
        }
        if (Module->isLoaded())
            function = Module->resolve(factory);
    }
    return function ? reinterpret_cast<T *(*)()>(function)() : nullptr;
}

// Without the module every transfer fails, reported as a transfer's end is:
// later, on the object's thread.
class TUnreachableWeb final : public TWebGet
{
public:
    void Start(const QUrl &, const QString &, qint64, TDone done) override
    {
        Abort();
        m_context = std::make_unique<QObject>();
        QMetaObject::invokeMethod(
            m_context.get(),
            [this, done] {
                m_context.release()->deleteLater();
                done(TAnswer());
            },
            Qt::QueuedConnection);
    }
    void Abort() override { m_context.reset(); }

private:
    std::unique_ptr<QObject> m_context;
};

class TClosedChannel final : public TLocalChannel
{
public:
    bool Listen(const QString &, const QByteArray &, std::function<void()>) override { return false; }
    bool Send(const QString &, const QByteArray &, int) override { return false; }
};

} // namespace

std::unique_ptr<TWebGet> TWebGet::Create()
{
    if (TWebGet *web = Made<TWebGet>(WebGetFactory))
        return std::unique_ptr<TWebGet>(web);
    return std::make_unique<TUnreachableWeb>();
}

std::unique_ptr<TLocalChannel> TLocalChannel::Create()
{
    if (TLocalChannel *channel = Made<TLocalChannel>(LocalChannelFactory))
        return std::unique_ptr<TLocalChannel>(channel);
    return std::make_unique<TClosedChannel>();
}

void SetNetworkModuleFolder(const QString &folder)
{
    const QMutexLocker locker(&ModuleLock);
    ModuleFolder = folder;
    // A module not found before is looked for again in the new place.
    if (Module && !Module->isLoaded()) {
        delete Module;
        Module = nullptr;
    }
}
