// The update check: one asynchronous GET of the version file, bounded in time and size.
#pragma once

#include <chrono>

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include "update/versionfile.h"

class QNetworkAccessManager;
class QNetworkReply;

/**
 * Asks the update server for its version file without blocking the caller.
 *
 * start() sends one GET of baseAddress + "/rename/v.txt" with the headers "If-Modified-Since: 0" and
 * "Cache-Control: no-cache" and returns at once. Later, from the event loop, exactly one of two signals
 * follows:
 * - completed(info): the whole answer arrived (whatever its HTTP status code); its body, decoded from
 *   code page 936 (GBK), was read by parseVersionFile() with the defaults given to start();
 * - notCompleted(): no answer, a network error before the body was complete, the time limit passed,
 *   or the body was longer than MaxAnswerSize (the transfer is then cut off at once). The window
 *   leaves every label as it was.
 *
 * Redirects to http and https addresses are followed (at most MaxRedirects), as a browser would, but
 * never from https down to http; a redirect elsewhere ends in notCompleted().
 */
class UpdateChecker : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 MaxAnswerSize = 64 * 1024;
    static constexpr int MaxRedirects = 10;
    static constexpr std::chrono::milliseconds DefaultTimeLimit { 10'000 };

    explicit UpdateChecker(QObject* parent = nullptr);
    ~UpdateChecker() override;

    /// The longest a check may take from start() to its answer; after it the check is not completed.
    void setTimeLimit(std::chrono::milliseconds limit);
    std::chrono::milliseconds timeLimit() const { return m_timeLimit; }

    /**
     * Starts a check against defaults.baseAddress; the answer is read with `defaults`.
     * A base address that is not an http or https address gives notCompleted() without any request.
     * Does nothing while a check is running.
     */
    void start(const UpdateDefaults& defaults = UpdateDefaults::builtIn());
    bool isRunning() const { return m_running; }

    /// The version file's address under `baseAddress`, e.g. "https://host/mirror" ->
    /// "https://host/mirror/rename/v.txt".
    static QUrl versionFileUrl(const QString& baseAddress);

signals:
    void completed(const VersionInfo& info);
    void notCompleted();

private:
    void takeAvailable();
    void onFinished();
    void finish(bool answered);

    QNetworkAccessManager* m_manager;
    QNetworkReply* m_reply = nullptr;
    QTimer m_deadline;
    QByteArray m_body;
    UpdateDefaults m_defaults;
    std::chrono::milliseconds m_timeLimit = DefaultTimeLimit;
    bool m_running = false;
};
