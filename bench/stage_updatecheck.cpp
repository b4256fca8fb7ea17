// Stage "updatecheck": a real window's update check against a server that sends one header line without end,
// then the program's CPU and memory while it idles 30 s after the check gave up; and closing a window whose
// check is still waiting for a silent server.
#include <cstdio>

#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "app/fmmain.h"
#include "benchstage.h"
#include "testhttpserver.h"
#include "update/updatechecker.h"

namespace {

double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double rssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').at(0).toDouble() / 1024;
    return -1;
}

// The process's threads. The server runs on the bench's own thread, so the count less the count before the
// window opened is the threads of the check.
int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

std::unique_ptr<fmMain> windowAskingAt(const QString& server)
{
    WindowOptions options;
    options.addresses = UpdateDefaults::forServer(server, QStringLiteral("https://home.example.org/"));
    auto window = std::make_unique<fmMain>(options); // the window's own time limit
    window->show();
    return window;
}

void run(const bench::Options& options)
{
    // Each run idles 30 s, so the stage runs only when asked for by name.
    if (!QCoreApplication::arguments().contains(QStringLiteral("updatecheck"))) {
        std::printf("update check: skipped; run with --stage updatecheck (about 3 minutes)\n");
        return;
    }
    const int idleRuns = std::min(options.runs, 3); // each idles twice 30 s
    std::vector<double> endMs, cpuIdle, rssGrowth, threadsDuring, threadsLeft, cpuIdleWithoutCheck;
    for (int run = 0; run < idleRuns; ++run) {
        // The window's own idle cost, without any check, for comparison.
        {
            WindowOptions quiet;
            quiet.checkForUpdates = false;
            fmMain window(quiet);
            window.show();
            QTest::qWait(100);
            const double cpuBefore = cpuMs();
            QTest::qWait(30'000);
            cpuIdleWithoutCheck.push_back(cpuMs() - cpuBefore);
        }
        TestHttpServer server;
        server.responder = TestHttpServer::flood("HTTP/1.1 200 OK\r\nX-Note: ", "a");
        const int threadsBefore = threadCount();
        QElapsedTimer clock;
        clock.start();
        auto window = windowAskingAt(server.base());
        if (!QTest::qWaitFor([&] { return window->findChild<UpdateChecker*>(); }, 5000))
            qFatal("updatecheck stage: the window did not start its check");
        auto* checker = window->findChild<UpdateChecker*>();
        threadsDuring.push_back(threadCount() - threadsBefore);
        if (!QTest::qWaitFor([&] { return !checker->isRunning(); }, 20'000))
            qFatal("updatecheck stage: the check did not end");
        endMs.push_back(clock.elapsed());
        QTest::qWait(100);
        const double cpuAtEnd = cpuMs();
        const double rssAtEnd = rssMb();
        QTest::qWait(30'000);
        cpuIdle.push_back(cpuMs() - cpuAtEnd);
        rssGrowth.push_back(rssMb() - rssAtEnd);
        threadsLeft.push_back(threadCount() - threadsBefore);
        if (run == 0)
            bench::print("update_endless_header_rss_mb_30s_after", rssMb());
    }
    bench::print("update_endless_header_ends_ms", bench::median(endMs));
    bench::print("update_endless_header_cpu_ms_in_30s_after", bench::median(cpuIdle));
    bench::print("update_endless_header_rss_growth_mb_in_30s_after", bench::median(rssGrowth));
    bench::print("update_check_threads_during", bench::median(threadsDuring));
    bench::print("update_check_threads_30s_after", bench::median(threadsLeft));
    bench::print("idle_window_without_check_cpu_ms_in_30s", bench::median(cpuIdleWithoutCheck));

    std::vector<double> closeMs;
    TestHttpServer silent; // it never answers
    for (int run = 0; run < options.runs; ++run) {
        auto window = windowAskingAt(silent.base());
        const qsizetype asked = silent.requests.size() + 1;
        if (!QTest::qWaitFor([&] { return silent.requests.size() >= asked; }, 5000))
            qFatal("updatecheck stage: no request reached the silent server");
        QElapsedTimer closing;
        closing.start();
        window.reset();
        closeMs.push_back(closing.nsecsElapsed() / 1e6);
    }
    bench::print("update_close_window_during_check_ms", bench::median(closeMs));
}

const bench::Register stage({ QStringLiteral("updatecheck"), 90, true, run });

} // namespace
