// The update check: one GET of the version file on a thread of its own, bounded in time and size.
#include "update/updatechecker.h"

#include <system_error>

#include <QStringDecoder>
#include <QTimer>

#include "update/httpfetch.h"
#include "update/weblink.h"

UpdateChecker::UpdateChecker(QObject* parent)
    : QObject(parent)
{
}

UpdateChecker::~UpdateChecker()
{
    // The fetch notices the stop at once; an answer it may still post dies with this object.
    stopThread();
}

void UpdateChecker::stopThread()
{
    if (m_stop)
        m_stop->stop();
    if (m_thread.joinable())
        m_thread.join();
    m_stop.reset();
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

    const QUrl url = versionFileUrl(defaults.baseAddress);
    if (!weblink::isWebAddress(url.toString())) {
        // Nothing to ask; answer from the event loop all the same, so every caller sees one behaviour.
        QTimer::singleShot(0, this, [this] { finish(false, {}); });
        return;
    }

    httpfetch::Request request;
    request.url = url.toEncoded();
    request.headers = { "If-Modified-Since: 0", "Cache-Control: no-cache" };
    request.limits.time = m_timeLimit;
    request.limits.maxBody = MaxAnswerSize;
    request.limits.maxReceived = MaxReceived;
    request.limits.maxRedirects = MaxRedirects;

    m_stop = std::make_shared<httpfetch::Stop>();
    try {
        m_thread = std::thread([this, request, stop = m_stop] {
            const httpfetch::Result result = httpfetch::fetch(request, *stop);
            // Posted, never called from here: the answer is read on the checker's own thread.
            QMetaObject::invokeMethod(
                this, [this, result] { fetched(result); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the check did not complete, like any other failure before an answer.
        m_stop.reset();
        QTimer::singleShot(0, this, [this] { finish(false, {}); });
    }
}

void UpdateChecker::fetched(const httpfetch::Result& result)
{
    stopThread(); // it has posted its answer and is ending
    finish(result.outcome == httpfetch::Outcome::Completed, result.body);
}

void UpdateChecker::finish(bool answered, const QByteArray& body)
{
    m_running = false;
    if (!answered) {
        emit notCompleted();
        return;
    }
    // The server's file is written in code page 936, whatever this machine's own locale is.
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        decoder = QStringDecoder("GB18030");
    const QString text = decoder.isValid() ? decoder.decode(body) : QString::fromLocal8Bit(body);
    emit completed(parseVersionFile(text, m_defaults));
}
