// The update check: one asynchronous GET of the version file, bounded in time and size.
#include "update/updatechecker.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>

#include "update/weblink.h"

UpdateChecker::UpdateChecker(QObject* parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5 % early
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(false); });
}

UpdateChecker::~UpdateChecker()
{
    // Cut a running transfer off without telling anyone: the receiver may be going away too.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        delete m_reply;
    }
}

void UpdateChecker::setTimeLimit(std::chrono::milliseconds limit)
{
    m_timeLimit = limit;
}

QUrl UpdateChecker::versionFileUrl(const QString& baseAddress)
{
    QUrl url(baseAddress.trimmed(), QUrl::StrictMode);
    QString path = url.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + versionFilePath());
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

void UpdateChecker::start(const UpdateDefaults& defaults)
{
    if (m_running)
        return;
    m_running = true;
    m_defaults = defaults;
    m_body.clear();

    const QUrl url = versionFileUrl(defaults.baseAddress);
    if (!weblink::isWebAddress(url.toString())) {
        // Nothing to ask; answer from the event loop all the same, so every caller sees one behaviour.
        m_deadline.start(0);
        return;
    }

    QNetworkRequest request(url);
    request.setRawHeader("If-Modified-Since", "0");
    request.setRawHeader("Cache-Control", "no-cache");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);

    m_reply = m_manager->get(request);
    // Let the transfer wait for us instead of piling up a long answer in memory.
    m_reply->setReadBufferSize(MaxAnswerSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &UpdateChecker::takeAvailable);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateChecker::onFinished);
    m_deadline.start(m_timeLimit);
}

void UpdateChecker::takeAvailable()
{
    // Never hold more than one byte past the limit: that byte is enough to know the answer is too long.
    m_body += m_reply->read(MaxAnswerSize + 1 - m_body.size());
    if (m_body.size() > MaxAnswerSize)
        finish(false);
}

// No error, or one that only repeats the HTTP status code of an answer that arrived whole.
static bool answerArrived(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError:
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError:
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentConflictError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolInvalidOperationError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

void UpdateChecker::onFinished()
{
    const bool hasStatus = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (!hasStatus || !answerArrived(m_reply->error())) {
        finish(false);
        return;
    }
    m_body += m_reply->read(MaxAnswerSize + 1 - m_body.size());
    finish(m_body.size() <= MaxAnswerSize);
}

void UpdateChecker::finish(bool answered)
{
    m_deadline.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_running = false;
    if (!answered) {
        m_body.clear();
        emit notCompleted();
        return;
    }
    // The server's file is written in code page 936, whatever this machine's own locale is.
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        decoder = QStringDecoder("GB18030");
    const QString text = decoder.isValid() ? decoder.decode(m_body) : QString::fromLocal8Bit(m_body);
    m_body.clear();
    emit completed(parseVersionFile(text, m_defaults));
}
