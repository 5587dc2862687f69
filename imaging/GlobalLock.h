#pragma once
// Locks a movable global memory block for the guard's lifetime.
#include <windows.h>

class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block) : m_block(block), m_data(block ? ::GlobalLock(block) : nullptr) {}
    ~GlobalLockGuard() {
        if (m_data) ::GlobalUnlock(m_block);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    unsigned char* Data() const { return static_cast<unsigned char*>(m_data); }

private:
    HGLOBAL m_block;
    void* m_data;
};
