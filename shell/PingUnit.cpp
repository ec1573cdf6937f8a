#include "shell/PingUnit.h"

#include "platform/SysUtils.h"

#include <QDeadlineTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
// The whole test fits in two seconds: look-up, then echo, then connect.
constexpr int ResolveBudgetMs = 900;
constexpr int EchoBudgetMs = 500;
constexpr int TotalBudgetMs = 1900;

struct Lookup
{
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    bool Found = false;
    bool HasIPv4 = false;
    quint32 Address = 0;
};

// Closes a socket on every way out.
struct Socket
{
    int Fd;
    explicit Socket(int fd) : Fd(fd) {}
    ~Socket()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
};

sockaddr_in MakeAddress(quint32 address, quint16 port)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(address);
    return to;
}

int WaitFor(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int rc = ::poll(&p, 1, qMax(0, timeoutMs));
        if (rc < 0 && errno == EINTR)
            continue;
        return rc;
    }
}
} // namespace

quint32 ResolveHostIPv4(const QString &host)
{
    const std::string hostName = host.trimmed().toStdString();
    if (hostName.empty())
        throw Exception(QStringLiteral("Error getting HostName"));
    in_addr literal{};
    if (::inet_pton(AF_INET, hostName.c_str(), &literal) == 1)
        return ntohl(literal.s_addr);

    // getaddrinfo cannot be given a time limit, so it runs on its own thread
    // and is abandoned when it takes too long.
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, hostName] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        const int rc = ::getaddrinfo(hostName.c_str(), nullptr, &hints, &found);
        std::lock_guard<std::mutex> guard(lookup->Mutex);
        lookup->Found = rc == 0 && found;
        for (addrinfo *a = found; a; a = a->ai_next) {
            if (a->ai_family == AF_INET) {
                lookup->HasIPv4 = true;
                lookup->Address = ntohl(reinterpret_cast<sockaddr_in *>(a->ai_addr)->sin_addr.s_addr);
                break;
            }
        }
        if (found)
            ::freeaddrinfo(found);
        lookup->Finished = true;
        lookup->Done.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(lookup->Mutex);
    lookup->Done.wait_for(lock, std::chrono::milliseconds(ResolveBudgetMs), [&] { return lookup->Finished; });
    if (!lookup->Finished || !lookup->Found)
        throw Exception(QStringLiteral("Error getting HostName"));
    if (!lookup->HasIPv4)
        throw Exception(QStringLiteral("Error getting IP from HostName"));
    return lookup->Address;
}

int IcmpEcho(quint32 address, int timeoutMs)
{
    // An unprivileged echo socket: the kernel fills in identifier and checksum.
    Socket s(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (s.Fd < 0)
        return -1;
    icmphdr request{};
    request.type = ICMP_ECHO;
    request.code = 0;
    request.un.echo.sequence = htons(1);
    const sockaddr_in to = MakeAddress(address, 0);
    if (::sendto(s.Fd, &request, sizeof request, 0, reinterpret_cast<const sockaddr *>(&to), sizeof to) < 0)
        return errno == EACCES || errno == EPERM ? -1 : 0;

    QDeadlineTimer deadline(qMax(0, timeoutMs));
    while (!deadline.hasExpired()) {
        if (WaitFor(s.Fd, POLLIN, int(deadline.remainingTime())) <= 0)
            return 0;
        unsigned char reply[128];
        const ssize_t n = ::recv(s.Fd, reply, sizeof reply, 0);
        if (n >= ssize_t(sizeof(icmphdr)) && reinterpret_cast<icmphdr *>(reply)->type == ICMP_ECHOREPLY)
            return 1;
    }
    return 0;
}

bool TcpProbe(quint32 address, quint16 port, int timeoutMs)
{
    Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (s.Fd < 0)
        return false;
    const sockaddr_in to = MakeAddress(address, port);
    if (::connect(s.Fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) == 0)
        return true;
    if (errno == ECONNREFUSED)
        return true;
    if (errno != EINPROGRESS)
        return false;
    if (WaitFor(s.Fd, POLLOUT, timeoutMs) <= 0)
        return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(s.Fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0)
        return false;
    return error == 0 || error == ECONNREFUSED;
}

bool Ping(const QString &host)
{
    QDeadlineTimer deadline(TotalBudgetMs);
    quint32 address = 0;
    try {
        address = ResolveHostIPv4(host);
    } catch (const Exception &) {
        // Without a name there is nothing to reach: an offline machine goes
        // on to its local files instead of stopping at an error.
        return false;
    }
    const int echo = IcmpEcho(address, qMin<qint64>(EchoBudgetMs, deadline.remainingTime()));
    if (echo == 1)
        return true;
    // Refused ICMP, or a server that ignores echoes: try its web port.
    return TcpProbe(address, 80, int(qMax<qint64>(0, deadline.remainingTime())));
}
