#include "components/filterkit/Enumerators.h"

#include <new>

#include "components/filterkit/KitTrace.h"

namespace filterkit {
namespace {

// The rules both enumerators share: `fetched` may be null only when one item is asked for.
template <typename Item, typename Fill>
HRESULT NextItems(size_t& position, size_t size, ULONG count, Item** items, ULONG* fetched, Fill fill) {
    if (!items) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    ULONG done = 0;
    while (done < count && position < size) {
        if (!fill(position, &items[done])) {
            if (fetched) *fetched = done;
            return E_OUTOFMEMORY;
        }
        ++done;
        ++position;
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

HRESULT SkipItems(size_t& position, size_t size, ULONG count) {
    if (count > size - position) return S_FALSE;
    position += count;
    return S_OK;
}

}  // namespace

PinEnumerator::PinEnumerator(IUnknown* owner, std::vector<ComPtr<IPin>> pins, size_t position)
    : m_owner(owner), m_pins(std::move(pins)), m_position(position) {}

STDMETHODIMP PinEnumerator::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IEnumPins) {
        TraceMissingInterface(iid, L"a pin enumerator");
        return E_NOINTERFACE;
    }
    *out = static_cast<IEnumPins*>(this);
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) PinEnumerator::AddRef() { return ++m_refs; }
STDMETHODIMP_(ULONG) PinEnumerator::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}
STDMETHODIMP PinEnumerator::Next(ULONG count, IPin** pins, ULONG* fetched) {
    return NextItems(m_position, m_pins.size(), count, pins, fetched, [this](size_t i, IPin** out) {
        m_pins[i].CopyTo(out);
        return true;
    });
}
STDMETHODIMP PinEnumerator::Skip(ULONG count) { return SkipItems(m_position, m_pins.size(), count); }
STDMETHODIMP PinEnumerator::Reset() {
    m_position = 0;
    return S_OK;
}
STDMETHODIMP PinEnumerator::Clone(IEnumPins** clone) {
    if (!clone) return E_POINTER;
    *clone = new (std::nothrow) PinEnumerator(m_owner.Get(), m_pins, m_position);
    return *clone ? S_OK : E_OUTOFMEMORY;
}

MediaTypeEnumerator::MediaTypeEnumerator(IUnknown* owner, std::vector<MediaType> types, size_t position)
    : m_owner(owner), m_types(std::move(types)), m_position(position) {}

STDMETHODIMP MediaTypeEnumerator::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IEnumMediaTypes) {
        TraceMissingInterface(iid, L"a media type enumerator");
        return E_NOINTERFACE;
    }
    *out = static_cast<IEnumMediaTypes*>(this);
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) MediaTypeEnumerator::AddRef() { return ++m_refs; }
STDMETHODIMP_(ULONG) MediaTypeEnumerator::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}
STDMETHODIMP MediaTypeEnumerator::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
    return NextItems(m_position, m_types.size(), count, types, fetched, [this](size_t i, AM_MEDIA_TYPE** out) {
        *out = m_types[i].NewCopy();
        return *out != nullptr;
    });
}
STDMETHODIMP MediaTypeEnumerator::Skip(ULONG count) { return SkipItems(m_position, m_types.size(), count); }
STDMETHODIMP MediaTypeEnumerator::Reset() {
    m_position = 0;
    return S_OK;
}
STDMETHODIMP MediaTypeEnumerator::Clone(IEnumMediaTypes** clone) {
    if (!clone) return E_POINTER;
    *clone = new (std::nothrow) MediaTypeEnumerator(m_owner.Get(), m_types, m_position);
    return *clone ? S_OK : E_OUTOFMEMORY;
}

}  // namespace filterkit
