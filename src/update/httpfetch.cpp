// One bounded HTTP GET over libcurl: a byte cap on everything the server sends, a deadline, and a stop switch.
#include "update/httpfetch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include <curl/curl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
// How long one address of the server has the field to itself before the next one is tried alongside it
// (libcurl's own delay between the two address families).
constexpr int HeadStartMs = 200;
// Connections the relay's listener holds before it takes one: room for a few strangers ahead of libcurl.
constexpr int ListenBacklog = 8;

struct UrlFree {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Url = std::unique_ptr<CURLU, UrlFree>;

QByteArray urlPart(CURLU* url, CURLUPart which)
{
    char* text = nullptr;
    if (curl_url_get(url, which, &text, 0) != CURLUE_OK)
        return {};
    const QByteArray part(text);
    curl_free(text);
    return part;
}

bool isHttps(CURLU* url)
{
    return urlPart(url, CURLUPART_SCHEME) == "https";
}

// `text` read as an absolute http or https address by libcurl's own parser, guessing nothing; null otherwise.
Url absoluteUrl(const QByteArray& text)
{
    Url url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, text.constData(), 0) != CURLUE_OK)
        return {};
    const QByteArray scheme = urlPart(url.get(), CURLUPART_SCHEME);
    return scheme == "http" || scheme == "https" ? std::move(url) : Url();
}

// The address a redirect leads to: `location` resolved against `from` by the parser that will fetch it, so
// the address judged is the address fetched. Null when it is not followed.
Url redirectUrl(CURLU* from, const QByteArray& location)
{
    if (location.isEmpty())
        return {}; // libcurl resolves it to the folder of `from`; a browser stays where it is
    Url next(curl_url_dup(from));
    // The flags libcurl itself follows a redirect with: spaces and raw bytes are encoded, no scheme guessed.
    if (!next
        || curl_url_set(next.get(), CURLUPART_URL, location.constData(), CURLU_URLENCODE | CURLU_ALLOW_SPACE)
            != CURLUE_OK)
        return {};
    const QByteArray scheme = urlPart(next.get(), CURLUPART_SCHEME);
    if (scheme == "https" || (scheme == "http" && !isHttps(from)))
        return next;
    return {};
}

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
    bool headEnded = false; // the latest head ended with its empty line
    std::vector<int> attempts; // connections to the server's addresses under way, none made yet
    int connected = -1; // a connection to the server made and not yet given to a relay

    Transfer(const Request& request, const Stop& stop)
        : request(request)
        , limits(request.limits)
        , stop(stop)
        , deadline(Clock::now() + request.limits.time)
    {
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() { dropAttempts(); }

    void dropAttempts()
    {
        for (int fd : attempts)
            ::close(fd);
        attempts.clear();
        if (connected >= 0)
            ::close(std::exchange(connected, -1));
    }

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

// Starts a connection to one address of the server; one refused at once is not kept.
void startAttempt(Transfer& t, const curl_sockaddr& address)
{
    const int fd = ::socket(address.family, address.socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.protocol);
    if (fd < 0)
        return;
    if (::connect(fd, &address.addr, address.addrlen) == 0 || errno == EINPROGRESS)
        t.attempts.push_back(fd);
    else
        ::close(fd);
}

// Waits up to `ms`, and never past the deadline or a stop, until one of the attempts has connected: it
// becomes t.connected and the others are given up. Attempts that fail are dropped on the way.
void settleAttempts(Transfer& t, int ms)
{
    const Clock::time_point until = std::min(t.deadline, Clock::now() + std::chrono::milliseconds(ms));
    while (t.connected < 0 && !t.attempts.empty() && !t.stop.isStopped()) {
        std::vector<pollfd> fds { { t.stop.descriptor(), POLLIN, 0 } };
        for (int fd : t.attempts)
            fds.push_back({ fd, POLLOUT, 0 });
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (::poll(fds.data(), fds.size(), int(std::clamp<long long>(left + 1, 0, 1000))) < 0 && errno != EINTR)
            break;
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            int error = 0;
            socklen_t length = sizeof error;
            if (t.connected < 0 && ::getsockopt(fds[i].fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
                t.connected = fds[i].fd;
            else
                ::close(fds[i].fd);
            std::erase(t.attempts, fds[i].fd);
        }
        if (Clock::now() >= until)
            break;
    }
    if (t.connected >= 0) {
        for (int fd : t.attempts)
            ::close(fd);
        t.attempts.clear();
    }
}

// A listening socket in the abstract name space, private to this process by the check in takeCurl().
// Bound without a name, it gets a free one chosen by the kernel (autobind): a name of ours could be
// foreseen and taken first by any local process, which would keep the check from ever starting.
int listenLocally(sockaddr_un& name, socklen_t& length)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    name = {};
    name.sun_family = AF_UNIX;
    length = sizeof name;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&name), sizeof name.sun_family) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&name), &length) != 0
        || length <= offsetof(sockaddr_un, sun_path) || ::listen(fd, ListenBacklog) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

curl_socket_t openSocket(void* data, curlsocktype purpose, curl_sockaddr* address)
{
    auto& t = *static_cast<Transfer*>(data);
    if (purpose != CURLSOCKTYPE_IPCXN || t.stop.isStopped())
        return CURL_SOCKET_BAD;
    // Each address gets a head start; one that is silent for it gets no socket, and libcurl goes on with
    // the server's next address while this one keeps trying. Whichever connects first is relayed, the
    // server being the same. When libcurl has run out of addresses, fetch() waits for those still trying.
    if (t.connected < 0) {
        startAttempt(t, *address);
        settleAttempts(t, HeadStartMs);
    }
    if (t.connected < 0)
        return CURL_SOCKET_BAD;
    auto relay = std::make_unique<Relay>();
    relay->server = std::exchange(t.connected, -1);
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

// Notes whether the head of each answer ends with its empty line: libcurl 7.88 takes a head cut short by
// the end of the connection for a whole answer without a body.
size_t takeHeader(char* bytes, size_t, size_t count, void* data)
{
    auto& t = *static_cast<Transfer*>(data);
    const QByteArrayView line(bytes, qsizetype(count));
    if (line.startsWith("HTTP/"))
        t.headEnded = false; // a new head, after an interim one or a redirect
    else if (line == "\r\n" || line == "\n")
        t.headEnded = true;
    return count;
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
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, takeHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, takeBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &t);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, closeSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, &t);
}

// Points the transfer at `url` (a handle libcurl reads, never a text it parses again), with what is left
// of the time. From an https address on, libcurl may speak https only, whatever a later answer says.
void aim(CURL* easy, Transfer& t, CURLU* url)
{
    curl_easy_setopt(easy, CURLOPT_CURLU, url);
    if (isHttps(url)) {
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    }
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(std::max(1, t.waitMs(INT_MAX))));
    t.headEnded = false;
    t.dropAttempts();
}

// The Location value of the final answer's head, as the server sent it.
std::optional<QByteArray> location(CURL* easy)
{
    curl_header* header = nullptr;
    if (curl_easy_header(easy, "Location", 0, CURLH_HEADER, -1, &header) != CURLHE_OK || !header)
        return {};
    return QByteArray(header->value);
}

Outcome failure(const Transfer& t, CURLcode code)
{
    if (t.stop.isStopped())
        return Outcome::Cancelled;
    if (Clock::now() >= t.deadline)
        return Outcome::TimedOut;
    if (t.bodyTooLong || code == CURLE_FILESIZE_EXCEEDED)
        return Outcome::TooLong;
    if (code == CURLE_OPERATION_TIMEDOUT)
        return Outcome::TimedOut;
    return Outcome::Failed;
}

} // namespace

QByteArray redirectTarget(const QByteArray& from, const QByteArray& location)
{
    const Url current = absoluteUrl(from);
    const Url next = current ? redirectUrl(current.get(), location) : Url();
    return next ? urlPart(next.get(), CURLUPART_URL) : QByteArray();
}

Result fetch(const Request& request, const Stop& stop)
{
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    Result result;
    Transfer t(request, stop);
    Url url = absoluteUrl(request.url);
    if (!url)
        return result;
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
    aim(easy, t, url.get());
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
            if (*done == CURLE_COULDNT_CONNECT && !t.attempts.empty()) {
                // libcurl has tried every address and some are still connecting: once one has, libcurl
                // starts again and is given it.
                settleAttempts(t, t.waitMs(INT_MAX));
                if (t.connected >= 0) {
                    curl_multi_remove_handle(multi, easy);
                    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(std::max(1, t.waitMs(INT_MAX))));
                    curl_multi_add_handle(multi, easy);
                    continue;
                }
            }
            if (*done != CURLE_OK || t.broken || !t.headEnded) {
                result.outcome = failure(t, *done);
                break;
            }
            char* redirect = nullptr;
            curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &redirect);
            if (!redirect) {
                result.outcome = Outcome::Completed;
                result.body = std::move(t.body);
                break;
            }
            const std::optional<QByteArray> target = location(easy);
            Url next = target ? redirectUrl(url.get(), *target) : Url();
            if (++result.redirects > request.limits.maxRedirects || !next) {
                result.outcome = Outcome::Failed;
                break;
            }
            curl_multi_remove_handle(multi, easy);
            url = std::move(next);
            t.body.clear();
            t.broken = false;
            aim(easy, t, url.get());
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
