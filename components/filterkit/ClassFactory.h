#pragma once
// The COM server half of the kit: a class factory per class, and the bodies of
// DllGetClassObject and DllCanUnloadNow for a DLL's table of classes.
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>

#include "components/filterkit/LiveObjects.h"
#include "framework/ComPtr.h"

namespace filterkit {

// Makes a new object and queries `iid` on it (the reference of creation is dropped).
using CreateFunction = HRESULT (*)(REFIID iid, void** out);

struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

class ClassFactory final : public IClassFactory, public LiveObject {
public:
    explicit ClassFactory(CreateFunction create) : m_create(create) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // Aggregation is not offered (CLASS_E_NOAGGREGATION).
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    std::atomic<ULONG> m_refs{1};
    CreateFunction m_create;
};

HRESULT GetClassObject(const ClassEntry* table, size_t count, REFCLSID clsid, REFIID iid, void** out);
HRESULT CanUnloadNow();

// Creates T (reference count 1), queries `iid` and drops the creation reference.
template <typename T>
HRESULT CreateAndQuery(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ComPtr<T> object;
    object.Attach(new (std::nothrow) T());  // the reference of creation
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(iid, out);
}

}  // namespace filterkit
