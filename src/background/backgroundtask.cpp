// The threads of the window's background work.
#include "background/backgroundtask.h"

#include <algorithm>

#include <QThread>

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
