#include "components/filterkit/ClassFactory.h"

#include <new>

#include "components/filterkit/KitTrace.h"
#include "framework/ComPtr.h"

namespace filterkit {

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
        TraceMissingInterface(iid, L"a class factory");
        return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) ClassFactory::AddRef() { return ++m_refs; }
STDMETHODIMP_(ULONG) ClassFactory::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return m_create(iid, out);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    filterkit::LockServer(lock != FALSE);
    return S_OK;
}

HRESULT GetClassObject(const ClassEntry* table, size_t count, REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (*table[i].clsid != clsid) continue;
        ComPtr<ClassFactory> factory;
        factory.Attach(new (std::nothrow) ClassFactory(table[i].create));
        if (!factory) return E_OUTOFMEMORY;
        return factory->QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() { return LiveObjects() == 0 && ServerLocks() == 0 ? S_OK : S_FALSE; }

}  // namespace filterkit
