#include "tests/support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/mount.h>

namespace {
constexpr char SmallFilesystemRole[] = "small-filesystem";
constexpr char SizeVariable[] = "TANDOREL_TEST_TMPFS_KIB";
} // namespace

QString ChildRole()
{
    return qEnvironmentVariable(ChildRoleVariable);
}

TChildRun RunCurrentTestInChild(const QStringList &Prefix, const QProcessEnvironment &Env)
{
    TChildRun run;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name());
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    QStringList arguments = Prefix;
    arguments << self << filter;
    const QString program = arguments.takeFirst();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &key : Env.keys())
        environment.insert(key, Env.value(key));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(program, arguments);
    if (!child.waitForStarted(10000))
        return run;
    run.Started = true;
    child.waitForFinished(120000);
    run.Output = child.readAll();
    run.Crashed = child.exitStatus() == QProcess::CrashExit;
    run.ExitCode = child.exitCode();
    return run;
}

bool OnSmallFilesystem(int KiB, QString &WhyNot)
{
    WhyNot.clear();
    if (ChildRole() == QLatin1String(SmallFilesystemRole)) {
        static bool mounted = false;
        if (!mounted) {
            const QByteArray folder = QFile::encodeName(QDir::tempPath());
            const QByteArray options = "size=" + qEnvironmentVariable(SizeVariable).toLatin1() + 'k';
            if (::mount("tmpfs", folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0) {
                WhyNot = QStringLiteral("a tmpfs cannot be mounted here: ") + qt_error_string(errno);
                return true;
            }
            mounted = true;
        }
        return true;
    }

    QTemporaryDir mountPoint;
    if (!mountPoint.isValid()) {
        ADD_FAILURE() << "no temporary folder";
        return false;
    }
    QProcessEnvironment environment;
    environment.insert(QLatin1String(ChildRoleVariable), QLatin1String(SmallFilesystemRole));
    environment.insert(QLatin1String(SizeVariable), QString::number(KiB));
    environment.insert(QStringLiteral("TMPDIR"), mountPoint.path());
    const TChildRun run = RunCurrentTestInChild({QStringLiteral("unshare"), QStringLiteral("-rm")}, environment);
    if (!run.Started) {
        WhyNot = QStringLiteral("the command unshare cannot be run here");
    } else if (!run.Crashed && run.ExitCode != 0 && !run.Output.contains("[==========]")) {
        WhyNot = QStringLiteral("no private mount namespace here: ") + QString::fromLocal8Bit(run.Output).trimmed();
    } else if (!run.Crashed && run.ExitCode == 0 && run.Output.contains("[  SKIPPED ]")) {
        // Google Test writes the reason on the line after "Skipped".
        const qsizetype at = run.Output.indexOf("Skipped\n") + 8;
        WhyNot = QString::fromLocal8Bit(run.Output.mid(at, run.Output.indexOf('\n', at) - at)).trimmed();
        if (at < 8 || WhyNot.isEmpty())
            WhyNot = QStringLiteral("skipped in the child");
    } else if (run.Crashed || run.ExitCode != 0) {
        ADD_FAILURE() << "in a private mount namespace on a tmpfs of " << KiB << " KiB:\n" << run.Output.toStdString();
    }
    return false;
}
