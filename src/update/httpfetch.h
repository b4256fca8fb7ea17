// One bounded HTTP GET over libcurl: a byte cap on everything the server sends, a deadline, and a stop switch.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>

#include <QByteArray>
#include <QList>

namespace httpfetch {

/// The bounds of one fetch. Every one of them ends the transfer and closes its connections when reached.
struct Limits {
    std::chrono::milliseconds time { 10'000 }; ///< from the start of fetch() to its return
    qint64 maxBody = 64 * 1024; ///< body bytes of the final answer, after transfer decoding
    /// Every byte read from the network over the whole fetch, redirects included: status lines, headers,
    /// chunk framing, TLS records and bodies alike.
    qint64 maxReceived = 80 * 1024;
    int maxRedirects = 10; ///< redirects followed; one more ends the fetch
};

struct Request {
    QByteArray url; ///< an absolute http or https address
    QList<QByteArray> headers; ///< raw "Name: value" lines sent with every request of the fetch
    Limits limits;

    // What the program leaves empty; tests aim the fetch at loopback servers of their own with them.
    /// Fixed addresses of host names, one "host:port:address[,address...]" each (libcurl's CURLOPT_RESOLVE).
    QList<QByteArray> addresses;
    /// A file of PEM certificates to trust instead of the system's.
    QByteArray caFile;
    /// Called on the fetching thread with the local socket address (a raw sockaddr_un) that libcurl is
    /// about to connect to.
    std::function<void(const QByteArray& address)> relayListening;
};

enum class Outcome {
    Completed, ///< an answer arrived whole; its status code is not looked at
    Failed, ///< no connection, a broken or malformed answer, or a redirect that is not followed
    TooLong, ///< maxBody or maxReceived was passed
    TimedOut, ///< the time limit passed
    Cancelled, ///< Stop::stop() was called
};

struct Result {
    Outcome outcome = Outcome::Failed;
    QByteArray body; ///< the final answer's body; empty unless Completed
    qint64 received = 0; ///< bytes read from the network, all connections together
    int redirects = 0; ///< redirects followed
};

/**
 * A switch that ends a running fetch() from any thread, at once: the fetching thread waits on it
 * together with its sockets. One Stop serves one fetch.
 */
class Stop {
public:
    Stop();
    ~Stop();
    Stop(const Stop&) = delete;
    Stop& operator=(const Stop&) = delete;

    void stop();
    bool isStopped() const;
    int descriptor() const { return m_fd; } ///< readable once stopped

private:
    int m_fd = -1;
    std::atomic<bool> m_stopped = false;
};

/**
 * Where a redirect from the address `from` with the Location value `location` leads: the absolute address
 * fetch() then asks for, resolved by the same URL parser that fetches it. Empty when the redirect is not
 * followed: a target that does not parse as an http or https address without guessing its scheme, or one
 * that goes from https down to http.
 */
QByteArray redirectTarget(const QByteArray& from, const QByteArray& location);

/**
 * Performs one GET of request.url with request.headers, following redirects as redirectTarget() resolves
 * them (at most limits.maxRedirects; once on https, only https is spoken), and blocks until the answer is
 * complete or a limit, an error or `stop` ends it. An answer is complete only when its head ended with its
 * empty line and its body was whole. A host name with several addresses is connected like libcurl does:
 * each address gets a short head start and keeps trying while the next ones are tried, so a silent first
 * address costs no more than its head start. Nothing of the fetch (socket, timer or thread of its own)
 * outlives the call; a host name still being looked up is left to the system's resolver, which ends by
 * itself. Meant to run on a thread of its own.
 */
Result fetch(const Request& request, const Stop& stop);

} // namespace httpfetch
