// The threads of the window's background work.
#include "background/backgroundtask.h"

#include <algorithm>

#include <vector>

#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

QThreadPool* background::pool()
{
    // Threads of the window's own rather than the application's shared pool, which has one thread per core:
    // on a single core a listing would hold back the pass, and a release the check that a keystroke waits
    // for. Four is one for each kind of work; none waits for another.
    static QThreadPool* const threads = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(std::max(4, QThread::idealThreadCount()));
        return created;
    }();
    return threads;
}

void background::inParts(qsizetype count, qsizetype parts, const std::function<void(qsizetype, qsizetype)>& work)
{
    parts = std::clamp<qsizetype>(parts, 1, std::max<qsizetype>(count, 1));
    if (parts == 1) {
        work(0, count);
        return;
    }
    std::vector<std::pair<qsizetype, qsizetype>> ranges;
    for (qsizetype i = 0; i < parts; ++i)
        ranges.emplace_back(count * i / parts, count * (i + 1) / parts);
    QtConcurrent::blockingMap(
        pool(), ranges, [&work](const std::pair<qsizetype, qsizetype>& range) { work(range.first, range.second); });
}
