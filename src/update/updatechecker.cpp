// The update check: one GET of the version file off the caller's thread, bounded in time and size.
#include "update/updatechecker.h"

#include <limits>

#include <QStringDecoder>
#include <QThreadPool>
#include <QTimer>

#include "update/weblink.h"

namespace {

// The checks' own threads, not the window's pool: a window checks once, and a thread the pool kept for later
// work would outlive the check for no use. Each thread ends as soon as its transfer has, and there are as many
// as checks run at once, so that no check waits for another's silent server.
QThreadPool* checkThreads()
{
    static QThreadPool* const threads = [] {
        auto* created = new QThreadPool;
        created->setExpiryTimeout(0);
        created->setMaxThreadCount(std::numeric_limits<int>::max());
        return created;
    }();
    return threads;
}

} // namespace

UpdateChecker::UpdateChecker(QObject* parent)
    : QObject(parent)
    , m_fetch(
          this, [this](httpfetch::Result result) { fetched(result); }, checkThreads())
{
}

UpdateChecker::~UpdateChecker()
{
    // The transfer notices the stop at once; m_fetch then waits for it, and its answer is never delivered.
    if (m_stop)
        m_stop->stop();
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
    m_fetch.start([request, stop = m_stop] { return httpfetch::fetch(request, *stop); });
}

void UpdateChecker::fetched(const httpfetch::Result& result)
{
    m_stop.reset(); // the transfer has ended
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
