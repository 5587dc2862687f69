#pragma once
// IEnumPins and IEnumMediaTypes over a list taken when the enumerator is made. Each holds
// a reference to its owner (filter or pin) so that the pins it hands out stay valid.
// As the system's enumerators: Next may fetch fewer than asked (S_FALSE), and a Skip past
// the end answers S_FALSE and leaves the position where it was.
#include <windows.h>
#include <strmif.h>

#include <atomic>
#include <vector>

#include "components/filterkit/LiveObjects.h"
#include "components/filterkit/MediaType.h"
#include "framework/ComPtr.h"

namespace filterkit {

class PinEnumerator final : public IEnumPins, public LiveObject {
public:
    PinEnumerator(IUnknown* owner, std::vector<ComPtr<IPin>> pins, size_t position);
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** clone) override;

private:
    std::atomic<ULONG> m_refs{1};
    ComPtr<IUnknown> m_owner;
    std::vector<ComPtr<IPin>> m_pins;
    size_t m_position;
};

class MediaTypeEnumerator final : public IEnumMediaTypes, public LiveObject {
public:
    MediaTypeEnumerator(IUnknown* owner, std::vector<MediaType> types, size_t position);
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** clone) override;

private:
    std::atomic<ULONG> m_refs{1};
    ComPtr<IUnknown> m_owner;
    std::vector<MediaType> m_types;
    size_t m_position;
};

}  // namespace filterkit
