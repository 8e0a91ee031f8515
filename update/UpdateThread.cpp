#include "UpdateThread.h"

#include "myupdate.h"

namespace myupdate {

TMyThread::TMyThread(TMyUpdate& owner) : update(owner), thread_(&TMyThread::Execute, this) {}

TMyThread::~TMyThread()
{
    if (thread_.joinable())
        thread_.join();
}

void TMyThread::Execute() { update.RunUpdate(); }

} // namespace myupdate
