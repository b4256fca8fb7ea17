// The stage registry and small measuring helpers shared by the stages.
#include "benchstage.h"

#include <algorithm>
#include <cstdio>

#include <QFile>

namespace bench {

std::vector<Stage>& stages()
{
    static std::vector<Stage> all;
    return all;
}

Register::Register(Stage stage)
{
    stages().push_back(std::move(stage));
}

double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

namespace {

// A figure of /proc/self/status in MiB, or -1.
double statusMb(const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

} // namespace

double peakRssMb()
{
    return statusMb("VmHWM:");
}

double rssMb()
{
    return statusMb("VmRSS:");
}

void resetPeakRss()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (!refs.open(QIODevice::WriteOnly) || refs.write("5") != 1)
        std::fprintf(stderr, "cannot reset the peak resident set size: the figure includes earlier stages\n");
}

void print(const char* name, double value)
{
    std::printf("%s: %.2f\n", name, value);
    std::fflush(stdout);
}

} // namespace bench
