#pragma once
// Owner of one COM reference.
#include <unknwn.h>
#include <utility>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference on `p`.
    explicit ComPtr(T* p) : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        if (this != &other) {
            ComPtr copy(other);
            Swap(copy);
        }
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    void Reset() {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }
    // Releases what is held, then gives the address for an out parameter.
    T** Put() {
        Reset();
        return &m_p;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    // Takes over a reference the caller already owns.
    void Attach(T* p) {
        Reset();
        m_p = p;
    }
    T* Detach() { return std::exchange(m_p, nullptr); }
    // Hands an added reference to an out parameter.
    HRESULT CopyTo(T** out) const {
        if (!out) return E_POINTER;
        *out = m_p;
        if (m_p) m_p->AddRef();
        return S_OK;
    }
    void Swap(ComPtr& other) { std::swap(m_p, other.m_p); }

    // QueryInterface into `out` (released first).
    template <typename U>
    HRESULT As(ComPtr<U>& out) const {
        if (!m_p) {
            out.Reset();
            return E_POINTER;
        }
        return m_p->QueryInterface(__uuidof(U), out.PutVoid());
    }
    HRESULT QueryTo(REFIID iid, void** out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(iid, out);
    }

private:
    T* m_p = nullptr;
};
