// Stage "updatecheck": a real window's update check against a server that sends one header line without end,
// then the program's CPU and memory while it idles 30 s after the check gave up; and closing a window whose
// check is still waiting for a silent server.
#include <atomic>
#include <pthread.h>
#include <cstdio>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "app/fmmain.h"
#include "benchstage.h"
#include "update/updatechecker.h"

namespace {

// A server on 127.0.0.1 on a thread of its own: it reads each request, then either says nothing until the
// client leaves or sends "HTTP/1.1 200 OK", an "X-Note: " header and "a" after "a" for as long as it can.
class RawServer {
public:
    explicit RawServer(bool endlessHeader)
        : m_endless(endlessHeader)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(m_listener, 4) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            qFatal("updatecheck stage: no listening socket");
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            pthread_setname_np(pthread_self(), "test server");
            serve();
        });
    }
    ~RawServer()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    std::atomic<int> requests = 0;
    std::atomic<long long> sent = 0;

private:
    void serve()
    {
        for (;;) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0)
                return;
            char request[4096];
            if (::recv(client, request, sizeof request, 0) > 0)
                ++requests;
            if (m_endless) {
                const QByteArray head = "HTTP/1.1 200 OK\r\nX-Note: ";
                const QByteArray filler(16 * 1024, 'a');
                ssize_t n = ::send(client, head.constData(), size_t(head.size()), MSG_NOSIGNAL);
                while (n > 0) {
                    sent += n;
                    n = ::send(client, filler.constData(), size_t(filler.size()), MSG_NOSIGNAL);
                }
            } else {
                while (::recv(client, request, sizeof request, 0) > 0) { }
            }
            ::close(client);
        }
    }

    bool m_endless;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
};

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

// Threads besides the main one that carry the program's own name: Qt names its threads, the test server
// names its own, so these are threads of the check.
int unnamedThreads()
{
    QFile self(QStringLiteral("/proc/self/comm"));
    self.open(QIODevice::ReadOnly);
    const QByteArray name = self.readAll();
    int count = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll() == name)
            ++count;
    }
    return count - 1;
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
        RawServer server(true);
        QElapsedTimer clock;
        clock.start();
        auto window = windowAskingAt(server.address());
        if (!QTest::qWaitFor([&] { return window->findChild<UpdateChecker*>(); }, 5000))
            qFatal("updatecheck stage: the window did not start its check");
        auto* checker = window->findChild<UpdateChecker*>();
        threadsDuring.push_back(unnamedThreads());
        if (!QTest::qWaitFor([&] { return !checker->isRunning(); }, 20'000))
            qFatal("updatecheck stage: the check did not end");
        endMs.push_back(clock.elapsed());
        QTest::qWait(100);
        const double cpuAtEnd = cpuMs();
        const double rssAtEnd = rssMb();
        QTest::qWait(30'000);
        cpuIdle.push_back(cpuMs() - cpuAtEnd);
        rssGrowth.push_back(rssMb() - rssAtEnd);
        threadsLeft.push_back(unnamedThreads());
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
    RawServer silent(false);
    for (int run = 0; run < options.runs; ++run) {
        auto window = windowAskingAt(silent.address());
        const int asked = silent.requests + 1;
        if (!QTest::qWaitFor([&] { return silent.requests >= asked; }, 5000))
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
