#include "LinkMonitor.h"

TLinkSnapshot TLinkMonitor::Snapshot() const
{
    std::lock_guard Lock(FMutex);
    return FSnapshot;
}
