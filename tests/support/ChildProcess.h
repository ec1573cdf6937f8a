#pragma once
// The running test again in a child process: to be killed at a chosen
// moment, or inside a private mount namespace ("unshare -rm") where it may
// mount a small file system of its own.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

struct TChildRun
{
    bool Started = false;
    bool Crashed = false; // ended by a signal
    int ExitCode = -1;
    QByteArray Output; // standard output and error, merged
};

// This test binary run with a filter on the current test alone, behind the
// command Prefix (may be empty), with Env added to the environment.
TChildRun RunCurrentTestInChild(const QStringList &Prefix, const QProcessEnvironment &Env);

// Environment variable that tells a child what it is for.
inline constexpr char ChildRoleVariable[] = "TANDOREL_TEST_CHILD_ROLE";
// The role of this process: empty in the test run itself.
QString ChildRole();

// In the test run itself: runs the current test again in a private mount
// namespace, where it mounts a tmpfs of Kib KiB on its temporary folder
// (QDir::tempPath()), and returns false, having reported the child's
// failure; or gives the reason why that cannot be done here. In the child:
// mounts the file system and returns true, or gives the reason why it
// cannot. See RUN_ON_SMALL_FILESYSTEM.
bool OnSmallFilesystem(int KiB, QString &WhyNot);

// At the start of a test: the rest of the test runs in a child whose
// temporary folder is a file system of KiB KiB; where no such child can be
// made, the test is skipped with the reason.
#define RUN_ON_SMALL_FILESYSTEM(KiB)                                                                                   \
    do {                                                                                                               \
        QString whyNot_;                                                                                               \
        const bool inside_ = OnSmallFilesystem(KiB, whyNot_);                                                          \
        if (!whyNot_.isEmpty())                                                                                        \
            GTEST_SKIP() << whyNot_.toStdString();                                                                     \
        if (!inside_)                                                                                                  \
            return;                                                                                                    \
    } while (false)
