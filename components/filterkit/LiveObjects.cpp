#include "components/filterkit/LiveObjects.h"

#include <atomic>

namespace filterkit {
namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

long LiveObjects() { return g_objects.load(); }
long ServerLocks() { return g_locks.load(); }
void LockServer(bool lock) {
    if (lock)
        ++g_locks;
    else
        --g_locks;
}

LiveObject::LiveObject() { ++g_objects; }
LiveObject::LiveObject(const LiveObject&) { ++g_objects; }
LiveObject::~LiveObject() { --g_objects; }

}  // namespace filterkit
