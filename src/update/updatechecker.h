// The update check: one GET of the version file off the caller's thread, bounded in time and size.
#pragma once

#include <chrono>
#include <memory>

#include <QObject>
#include <QUrl>

#include "background/backgroundtask.h"
#include "update/httpfetch.h"
#include "update/versionfile.h"

/**
 * Asks the update server for its version file without blocking the caller.
 *
 * start() sends one GET of baseAddress + "/rename/v.txt" with the headers "If-Modified-Since: 0" and
 * "Cache-Control: no-cache" and returns at once; the transfer runs as a BackgroundTask on a thread that
 * ends with it. Later, from the event loop, exactly one of two signals follows:
 * - completed(info): the whole answer arrived (whatever its HTTP status code); its body, decoded from
 *   code page 936 (GBK), was read by parseVersionFile() with the defaults given to start();
 * - notCompleted(): no answer, a network error before the answer was complete, the time limit passed,
 *   the body was longer than MaxAnswerSize, or the server sent more than MaxReceived bytes in all
 *   (status lines, headers and chunk framing count too). The window leaves every label as it was.
 *
 * When a limit is reached the connection is closed at once and the transfer ends. Redirects to http and
 * https addresses are followed (at most MaxRedirects), as a browser would, but never from https down to
 * http; a redirect elsewhere ends in notCompleted(). Destroying the checker stops a running check and
 * returns promptly, without a signal.
 */
class UpdateChecker : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 MaxAnswerSize = 64 * 1024;
    /// Everything read from the network for one check: the body's limit and room for heads and framing.
    static constexpr qint64 MaxReceived = MaxAnswerSize + 16 * 1024;
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
    void fetched(const httpfetch::Result& result);
    void finish(bool answered, const QByteArray& body);

    std::shared_ptr<httpfetch::Stop> m_stop; // the running transfer's, shared with it
    UpdateDefaults m_defaults;
    std::chrono::milliseconds m_timeLimit = DefaultTimeLimit;
    bool m_running = false;
    // Last, so that it is destroyed first: it waits for the transfer, which the destructor has stopped.
    BackgroundTask<httpfetch::Result> m_fetch;
};
