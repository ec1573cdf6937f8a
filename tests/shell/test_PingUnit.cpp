#include "shell/PingUnit.h"

#include "platform/SysUtils.h"

#include <QHostAddress>
#include <QTcpServer>

#include <gtest/gtest.h>

// Only this machine's own addresses are ever asked.

TEST(PingUnit, ResolvesDottedAddressesAndLocalNames)
{
    EXPECT_EQ(ResolveHostIPv4(QStringLiteral("127.0.0.1")), 0x7F000001u);
    EXPECT_EQ(ResolveHostIPv4(QStringLiteral(" 10.1.2.3 ")), 0x0A010203u); // parsed, not contacted
    EXPECT_EQ(ResolveHostIPv4(QStringLiteral("localhost")) >> 24, 127u);
    try {
        ResolveHostIPv4(QString());
        FAIL() << "an empty name must raise";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Error getting HostName"));
    }
}

TEST(PingUnit, LoopbackAnswers)
{
    const int echo = IcmpEcho(0x7F000001u, 1000);
    EXPECT_NE(echo, 0) << "loopback ignored an echo"; // a reply, or no ICMP socket offered
    EXPECT_TRUE(Ping(QStringLiteral("127.0.0.1")));
    EXPECT_FALSE(Ping(QString()));
}

TEST(PingUnit, TcpProbeSeesAListeningPort)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    EXPECT_TRUE(TcpProbe(0x7F000001u, server.serverPort(), 1000));
}
