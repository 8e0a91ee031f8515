// Built only with ThreadSanitizer: an unguarded write shared by a QThread
// worker and the GUI thread. The test passes only when the checker reports
// it, so the settings every program of that build carries (which quieten the
// uninstrumented Qt and browser libraries) cannot blind it to races in our
// own code, and a clean run of the window tests means something.

#include <QCoreApplication>
#include <QThread>

#include <atomic>

namespace {

int shared = 0; // deliberately unguarded

// Relaxed flags let the two threads take turns without ordering their
// writes; both stay alive until both have written, so the checker still
// holds the worker's access when the GUI thread's comes.
std::atomic<bool> workerWrote{false};
std::atomic<bool> guiWrote{false};

// Shaped like the search worker: a QThread subclass whose run() writes.
class TRacingWorker : public QThread {
protected:
    void run() override
    {
        shared = 1;
        workerWrote.store(true, std::memory_order_relaxed);
        while (!guiWrote.load(std::memory_order_relaxed))
            QThread::yieldCurrentThread();
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TRacingWorker worker;
    worker.start();
    while (!workerWrote.load(std::memory_order_relaxed))
        QThread::yieldCurrentThread();
    shared = 2;
    guiWrote.store(true, std::memory_order_relaxed);
    worker.wait();
    return shared == 2 ? 0 : 1;
}
