// An HTTP server on a loopback address, on the caller's thread.
#include "testhttpserver.h"

#include <algorithm>
#include <memory>

#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Marks a connection the server itself ends, so that its closing is not counted as the client's.
const char* const closingProperty = "testHttpServerClosing";

// What a flood keeps queued at most, and the size of the blocks it writes.
constexpr qint64 floodQueue = 64 * 1024;
constexpr qint64 floodBlock = 16 * 1024;

} // namespace

void TestHttpServer::Listener::incomingConnection(qintptr descriptor)
{
    if (tls.isNull()) {
        QTcpServer::incomingConnection(descriptor);
        return;
    }
    auto* socket = new QSslSocket(this);
    socket->setSocketDescriptor(descriptor);
    socket->setSslConfiguration(tls);
    socket->startServerEncryption();
    addPendingConnection(socket);
}

TestHttpServer::TestHttpServer(const QHostAddress& address, quint16 port, const QSslConfiguration& tls)
{
    m_listener.tls = tls;
    m_listener.listen(address, port);
    connect(&m_listener, &QTcpServer::newConnection, this, &TestHttpServer::accept);
}

QString TestHttpServer::base() const
{
    return u"http://127.0.0.1:%1"_s.arg(port());
}

void TestHttpServer::accept()
{
    while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
        auto head = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
            if (head->endsWith("\r\n\r\n"))
                return; // already answered; later bytes are not looked at
            *head += socket->readAll();
            const qsizetype end = head->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            head->truncate(end + 4);
            requests << *head;
            if (responder)
                responder(socket);
        });
        connect(socket, &QTcpSocket::bytesWritten, this, [this](qint64 n) { bytesSent += n; });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (!socket->property(closingProperty).toBool())
                ++closedByPeer;
            socket->deleteLater();
        });
    }
}

QByteArray TestHttpServer::answerBytes(const QByteArray& status, const QByteArray& body, const QByteArray& headers)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n" + headers + "\r\n" + body;
}

TestHttpServer::Responder TestHttpServer::answer(
    const QByteArray& status, const QByteArray& body, const QByteArray& headers)
{
    return sendAndClose(answerBytes(status, body, headers));
}

TestHttpServer::Responder TestHttpServer::sendAndClose(const QByteArray& bytes)
{
    return [bytes](QTcpSocket* socket) {
        socket->setProperty(closingProperty, true);
        socket->write(bytes);
        socket->disconnectFromHost();
    };
}

TestHttpServer::Responder TestHttpServer::flood(const QByteArray& head, const QByteArray& filler, qint64 total)
{
    return [head, filler, total](QTcpSocket* socket) {
        Q_ASSERT(!filler.isEmpty());
        socket->write(head);
        // Whole fillers, so that the stream is the filler over and over.
        const QByteArray block = filler.repeated(std::max<qsizetype>(1, floodBlock / filler.size()));
        auto left = std::make_shared<qint64>(total);
        auto refill = [socket, block, left] {
            while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < floodQueue
                && *left != 0) {
                const qint64 n = *left < 0 ? block.size() : std::min<qint64>(*left, block.size());
                socket->write(block.left(n));
                if (*left > 0)
                    *left -= n;
            }
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, refill);
        refill();
    };
}

TestHttpServer::Responder TestHttpServer::trickle(const QByteArray& head, const QByteArray& filler, int everyMs)
{
    return [head, filler, everyMs](QTcpSocket* socket) {
        socket->write(head);
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket, filler] { socket->write(filler); });
        timer->start(everyMs);
    };
}
