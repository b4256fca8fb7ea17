// One bounded HTTP GET over libcurl: a byte cap on everything the server sends, a deadline, and a stop switch.
#include "update/httpfetch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <curl/curl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QUrl>

namespace httpfetch {

using Clock = std::chrono::steady_clock;

Stop::Stop()
    : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

Stop::~Stop()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void Stop::stop()
{
    m_stopped = true;
    const std::uint64_t one = 1;
    if (m_fd >= 0)
        (void)!::write(m_fd, &one, sizeof one);
}

bool Stop::isStopped() const
{
    return m_stopped;
}

namespace {

constexpr qint64 PieceSize = 16 * 1024;

// libcurl talks to a local socket of ours; that socket's peer and the connection to the server are ours
// too. So every byte the server sends is counted before libcurl parses it, and reading stops at the cap
// whatever the bytes are: an endless status line, header line or chunk-size line is cut like a body.
struct Relay {
    int curlEnd = -1; // the socket libcurl connects to `listener`; libcurl closes it through closeSocket()
    int listener = -1; // until libcurl's connection is taken
    int ours = -1;
    int server = -1;
    QByteArray toServer;
    QByteArray toCurl;
    bool curlDone = false; // nothing more comes from libcurl
    bool serverDone = false; // nothing more comes from the server
    bool curlTold = false; // libcurl has seen the end of the server's bytes

    Relay() = default;
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;
    ~Relay()
    {
        for (int fd : { listener, ours, server })
            if (fd >= 0)
                ::close(fd);
    }
};

struct Transfer {
    const Request& request;
    const Limits& limits;
    const Stop& stop;
    Clock::time_point deadline;
    std::vector<std::unique_ptr<Relay>> relays;
    QByteArray body;
    qint64 received = 0;
    bool overCap = false;
    bool bodyTooLong = false;
    bool broken = false; // a server connection failed instead of closing

    // Milliseconds left, at most `cap`.
    int waitMs(int cap) const
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return int(std::clamp<long long>(left + 1, 0, cap));
    }
};

bool wouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

// Connects to one address of the server, waiting no longer than the deadline and not past a stop.
int connectServer(const Transfer& t, const curl_sockaddr& address)
{
    const int fd = ::socket(address.family, address.socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.protocol);
    if (fd < 0)
        return -1;
    if (::connect(fd, &address.addr, address.addrlen) == 0)
        return fd;
    if (errno == EINPROGRESS) {
        while (!t.stop.isStopped() && Clock::now() < t.deadline) {
            pollfd fds[2] = { { fd, POLLOUT, 0 }, { t.stop.descriptor(), POLLIN, 0 } };
            if (::poll(fds, 2, t.waitMs(1000)) < 0 && errno != EINTR)
                break;
            if (fds[0].revents) {
                int error = 0;
                socklen_t length = sizeof error;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
                    return fd;
                break;
            }
        }
    }
    ::close(fd);
    return -1;
}

// A listening socket in the abstract name space, private to this process by the check in takeCurl().
int listenLocally(sockaddr_un& name, socklen_t& length)
{
    static std::atomic<unsigned> serial = 0;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    name = {};
    name.sun_family = AF_UNIX;
    const int written = std::snprintf(
        name.sun_path + 1, sizeof name.sun_path - 1, "qinghe-update-%d-%u", int(::getpid()), serial.fetch_add(1));
    length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + written);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&name), length) != 0 || ::listen(fd, 1) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

curl_socket_t openSocket(void* data, curlsocktype purpose, curl_sockaddr* address)
{
    auto& t = *static_cast<Transfer*>(data);
    if (purpose != CURLSOCKTYPE_IPCXN)
        return CURL_SOCKET_BAD;
    // A failed address gives libcurl no socket, and it goes on with the server's next address.
    const int server = connectServer(t, *address);
    if (server < 0)
        return CURL_SOCKET_BAD;
    auto relay = std::make_unique<Relay>();
    relay->server = server;
    sockaddr_un name;
    socklen_t length = 0;
    relay->listener = listenLocally(name, length);
    relay->curlEnd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (relay->listener < 0 || relay->curlEnd < 0) {
        if (relay->curlEnd >= 0)
            ::close(relay->curlEnd);
        return CURL_SOCKET_BAD;
    }
    // libcurl connects where the address says: to our listener instead of the server.
    address->family = AF_UNIX;
    address->socktype = SOCK_STREAM;
    address->protocol = 0;
    address->addrlen = length;
    std::memcpy(&address->addr, &name, length);
    if (t.request.relayListening)
        t.request.relayListening(QByteArray(reinterpret_cast<const char*>(&name), length));
    const int curlEnd = relay->curlEnd;
    t.relays.push_back(std::move(relay));
    return curlEnd;
}

// Takes libcurl's connection off the listener; a connection from another process is refused.
void takeCurl(Relay& r)
{
    const int fd = ::accept4(r.listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    ucred peer {};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.pid != ::getpid()) {
        ::close(fd);
        return;
    }
    r.ours = fd;
    ::close(r.listener);
    r.listener = -1;
}

int closeSocket(void* data, curl_socket_t fd)
{
    auto& t = *static_cast<Transfer*>(data);
    ::close(fd);
    std::erase_if(t.relays, [fd](const std::unique_ptr<Relay>& r) { return r->curlEnd == fd; });
    return 0;
}

size_t takeBody(char* bytes, size_t, size_t count, void* data)
{
    auto& t = *static_cast<Transfer*>(data);
    if (t.body.size() + qint64(count) > t.limits.maxBody) {
        t.bodyTooLong = true;
        return CURL_WRITEFUNC_ERROR;
    }
    t.body.append(bytes, qsizetype(count));
    return count;
}

// Moves what is ready in both directions of one relay, without waiting.
void pump(Transfer& t, Relay& r)
{
    if (r.ours < 0) {
        takeCurl(r);
        if (r.ours < 0)
            return;
    }
    char piece[PieceSize];
    if (r.toServer.isEmpty() && !r.curlDone) {
        const ssize_t n = ::recv(r.ours, piece, sizeof piece, 0);
        if (n > 0) {
            r.toServer.append(piece, n);
        } else if (n == 0 || !wouldBlock()) {
            r.curlDone = true;
            ::shutdown(r.server, SHUT_WR);
        }
    }
    if (!r.toServer.isEmpty()) {
        const ssize_t n = ::send(r.server, r.toServer.constData(), size_t(r.toServer.size()), MSG_NOSIGNAL);
        if (n > 0) {
            r.toServer.remove(0, n);
        } else if (n < 0 && !wouldBlock()) {
            r.toServer.clear();
            r.curlDone = r.serverDone = true;
            t.broken = true;
        }
    }
    if (r.toCurl.isEmpty() && !r.serverDone) {
        // One byte past the cap is enough to know the answer is too long; nothing more is ever read.
        const qint64 room = std::min(PieceSize, t.limits.maxReceived + 1 - t.received);
        const ssize_t n = ::recv(r.server, piece, size_t(room), 0);
        if (n > 0) {
            t.received += n;
            if (t.received > t.limits.maxReceived) {
                t.overCap = true;
                return;
            }
            r.toCurl.append(piece, n);
        } else if (n == 0) {
            r.serverDone = true;
        } else if (!wouldBlock()) {
            r.serverDone = true;
            t.broken = true;
        }
    }
    if (!r.toCurl.isEmpty()) {
        const ssize_t n = ::send(r.ours, r.toCurl.constData(), size_t(r.toCurl.size()), MSG_NOSIGNAL);
        if (n > 0) {
            r.toCurl.remove(0, n);
        } else if (n < 0 && !wouldBlock()) {
            r.toCurl.clear();
            r.serverDone = true;
        }
    }
    if (r.serverDone && r.toCurl.isEmpty() && !r.curlTold) {
        ::shutdown(r.ours, SHUT_WR);
        r.curlTold = true;
    }
}

// The descriptors the fetching thread waits on besides libcurl's own: the stop switch and the relays.
std::vector<curl_waitfd> waitSet(const Transfer& t)
{
    std::vector<curl_waitfd> fds { { t.stop.descriptor(), CURL_WAIT_POLLIN, 0 } };
    for (const auto& r : t.relays) {
        if (r->ours < 0) {
            fds.push_back({ r->listener, CURL_WAIT_POLLIN, 0 });
            continue;
        }
        short ours = 0;
        short server = 0;
        if (r->toServer.isEmpty() && !r->curlDone)
            ours |= CURL_WAIT_POLLIN;
        if (!r->toCurl.isEmpty())
            ours |= CURL_WAIT_POLLOUT;
        if (r->toCurl.isEmpty() && !r->serverDone)
            server |= CURL_WAIT_POLLIN;
        if (!r->toServer.isEmpty())
            server |= CURL_WAIT_POLLOUT;
        if (ours)
            fds.push_back({ r->ours, ours, 0 });
        if (server)
            fds.push_back({ r->server, server, 0 });
    }
    return fds;
}

void configure(CURL* easy, Transfer& t, curl_slist* headers, curl_slist* addresses)
{
    curl_easy_setopt(easy, CURLOPT_RESOLVE, addresses);
    if (!t.request.caFile.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, t.request.caFile.constData());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L); // followed here, to refuse going down to http
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(t.limits.maxBody));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L); // never wait for a name lookup when giving up
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, takeBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &t);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, closeSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, &t);
}

void aim(CURL* easy, const Transfer& t, const QByteArray& url)
{
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(std::max(1, t.waitMs(INT_MAX))));
}

Outcome failure(const Transfer& t, CURLcode code)
{
    if (t.bodyTooLong || code == CURLE_FILESIZE_EXCEEDED)
        return Outcome::TooLong;
    if (code == CURLE_OPERATION_TIMEDOUT)
        return Outcome::TimedOut;
    return Outcome::Failed;
}

} // namespace

bool mayFollow(const QByteArray& from, const QByteArray& to)
{
    const auto scheme = [](const QByteArray& url) { return QUrl(QString::fromUtf8(url)).scheme().toLower(); };
    const QString next = scheme(to);
    if (next == QLatin1String("https"))
        return true;
    return next == QLatin1String("http") && scheme(from) != QLatin1String("https");
}

Result fetch(const Request& request, const Stop& stop)
{
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    Result result;
    Transfer t { request, request.limits, stop, Clock::now() + request.limits.time, {}, {} };
    curl_slist* headers = nullptr;
    for (const QByteArray& header : request.headers)
        headers = curl_slist_append(headers, header.constData());
    curl_slist* addresses = nullptr;
    for (const QByteArray& address : request.addresses)
        addresses = curl_slist_append(addresses, address.constData());
    CURLM* multi = curl_multi_init();
    CURL* easy = curl_easy_init();
    if (!multi || !easy) {
        curl_easy_cleanup(easy);
        curl_multi_cleanup(multi);
        curl_slist_free_all(headers);
        curl_slist_free_all(addresses);
        return result;
    }
    configure(easy, t, headers, addresses);
    QByteArray url = request.url;
    aim(easy, t, url);
    curl_multi_add_handle(multi, easy);

    for (;;) {
        if (stop.isStopped()) {
            result.outcome = Outcome::Cancelled;
            break;
        }
        if (Clock::now() >= t.deadline) {
            result.outcome = Outcome::TimedOut;
            break;
        }
        int running = 0;
        curl_multi_perform(multi, &running);
        for (const auto& relay : t.relays)
            pump(t, *relay);
        if (t.overCap) {
            result.outcome = Outcome::TooLong;
            break;
        }
        std::optional<CURLcode> done;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued))
            if (message->msg == CURLMSG_DONE)
                done = message->data.result;
        if (done) {
            if (*done != CURLE_OK || t.broken) {
                result.outcome = failure(t, *done);
                break;
            }
            char* next = nullptr;
            curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &next);
            if (!next) {
                result.outcome = Outcome::Completed;
                result.body = std::move(t.body);
                break;
            }
            const QByteArray target(next);
            if (++result.redirects > request.limits.maxRedirects || !mayFollow(url, target)) {
                result.outcome = Outcome::Failed;
                break;
            }
            curl_multi_remove_handle(multi, easy);
            url = target;
            t.body.clear();
            t.broken = false;
            aim(easy, t, url);
            curl_multi_add_handle(multi, easy);
            continue;
        }
        std::vector<curl_waitfd> fds = waitSet(t);
        curl_multi_poll(multi, fds.data(), unsigned(fds.size()), t.waitMs(1000), nullptr);
    }

    result.received = t.received;
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
    curl_slist_free_all(addresses);
    for (const auto& relay : t.relays)
        ::close(relay->curlEnd); // a socket libcurl was given but never closed
    t.relays.clear();
    return result;
}

} // namespace httpfetch
