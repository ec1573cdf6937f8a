#pragma once
// Is the maker's server reachable? One ICMP echo through an unprivileged
// ICMP socket; when the system refuses such sockets, a short TCP connect to
// port 80 stands in. Name look-up, echo and connect together take at most
// about two seconds, so the interface is never held longer.
#include <QString>
#include <QtGlobal>

// The first IPv4 address of Host (a name or a dotted address), in host byte
// order. Raises Exception "Error getting HostName" when the name is unknown
// or the look-up does not finish in time, "Error getting IP from HostName"
// when it has no IPv4 address.
quint32 ResolveHostIPv4(const QString &host);

// True when Host answers. A host that cannot be resolved gives false.
bool Ping(const QString &host);

// The parts of Ping, with their own time limits (milliseconds):
// IcmpEcho gives 1 for a reply, 0 for none in time, -1 when the system offers
// no unprivileged ICMP socket; TcpProbe is true when the port accepted or
// actively refused the connection (either way the host is there).
int IcmpEcho(quint32 address, int timeoutMs);
bool TcpProbe(quint32 address, quint16 port, int timeoutMs);
