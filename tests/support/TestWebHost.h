#pragma once
// The web host every test program talks to unless a test starts its own
// server: nothing listens on the discard port of the loopback address, so a
// request the test did not plan for fails at once and never leaves the
// machine.
#include <QString>

inline QString TestWebHost()
{
    return QStringLiteral("127.0.0.1:9");
}

// For tests of the maker's own addresses (no request is made): the real
// host while it lives, the test host again afterwards.
#include "shell/uShellCommon.h"

class TRealWebHost
{
public:
    TRealWebHost() { SetMakerWebHost(QString()); }
    ~TRealWebHost() { SetMakerWebHost(TestWebHost()); }
    TRealWebHost(const TRealWebHost &) = delete;
    TRealWebHost &operator=(const TRealWebHost &) = delete;
};
