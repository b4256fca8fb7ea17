// An HTTP server on a loopback address, on the caller's thread: it answers the update check in the tests and
// the benchmark, from well-formed version files to servers that never stop talking.
#pragma once

#include <functional>

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSslConfiguration>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

/**
 * Listens on one address and reads each connection's request up to its empty line, records it in `requests`
 * and hands the connection to `responder`; without a responder the server stays silent. Later bytes of a
 * connection are not looked at. Given a certificate and key (`tls`), it speaks TLS on every connection. It runs
 * on the thread that made it, so that thread's event loop must turn for it to answer.
 */
class TestHttpServer : public QObject {
public:
    using Responder = std::function<void(QTcpSocket*)>;

    explicit TestHttpServer(const QHostAddress& address = QHostAddress(QHostAddress::LocalHost), quint16 port = 0,
        const QSslConfiguration& tls = {});

    bool isListening() const { return m_listener.isListening(); }
    quint16 port() const { return m_listener.serverPort(); }
    /// "http://127.0.0.1:<port>" (for a server on the IPv4 loopback address).
    QString base() const;

    Responder responder;
    QList<QByteArray> requests; ///< each request's head, up to and including its empty line
    int closedByPeer = 0; ///< connections the client closed while the server still meant to talk
    qint64 bytesSent = 0; ///< head and body bytes handed to the network so far

    /// A whole answer: the status, "Content-Type: text/plain", its length, "Connection: close", `headers` (whole
    /// lines) and the body.
    static QByteArray answerBytes(const QByteArray& status, const QByteArray& body, const QByteArray& headers = {});
    /// Sends answerBytes() and closes the connection.
    static Responder answer(const QByteArray& status, const QByteArray& body, const QByteArray& headers = {});
    /// Sends `bytes` as they are and closes the connection.
    static Responder sendAndClose(const QByteArray& bytes);
    /// Sends `head`, then `filler` over and over, `total` filler bytes in all (negative: without end), as fast as
    /// the client reads and with little queued; the connection stays open.
    static Responder flood(const QByteArray& head, const QByteArray& filler, qint64 total = -1);
    /// Sends `head`, then `filler` once every `everyMs`, without end.
    static Responder trickle(const QByteArray& head, const QByteArray& filler, int everyMs);

private:
    // Hands out TLS sockets when the server has a certificate.
    class Listener : public QTcpServer {
    public:
        QSslConfiguration tls; // null: plain TCP

    protected:
        void incomingConnection(qintptr descriptor) override;
    };

    void accept();

    Listener m_listener;
};
