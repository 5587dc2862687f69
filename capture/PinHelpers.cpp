#include "capture/PinHelpers.h"

#include <uuids.h>
#include <amvideo.h>

#include "components/filterkit/MediaType.h"
#include "framework/ComPtr.h"

namespace {
// What every pin search does first: clear the out pointer, check the arguments, and get
// the filter's pin enumerator.
HRESULT BeginPinWalk(IBaseFilter* filter, IPin** pin, ComPtr<IEnumPins>& pins) {
    if (pin) *pin = nullptr;
    if (!filter || !pin) return E_POINTER;
    const HRESULT hr = filter->EnumPins(pins.Put());
    if (FAILED(hr)) return hr;
    return pins ? S_OK : E_FAIL;
}
}  // namespace

HRESULT FindUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
    ComPtr<IEnumPins> pins;
    if (HRESULT hr = BeginPinWalk(filter, pin, pins); FAILED(hr)) return hr;
    ComPtr<IPin> candidate;
    while (pins->Next(1, candidate.Put(), nullptr) == S_OK) {
        PIN_DIRECTION actual;
        if (FAILED(candidate->QueryDirection(&actual)) || actual != direction) continue;
        ComPtr<IPin> peer;
        if (FAILED(candidate->ConnectedTo(peer.Put()))) {
            *pin = candidate.Detach();
            return S_OK;
        }
    }
    return E_FAIL;
}

HRESULT GetPin(IBaseFilter* filter, PIN_DIRECTION direction, int index, IPin** pin) {
    ComPtr<IEnumPins> pins;
    if (HRESULT hr = BeginPinWalk(filter, pin, pins); FAILED(hr)) return hr;
    int seen = 0;
    ComPtr<IPin> candidate;
    while (pins->Next(1, candidate.Put(), nullptr) == S_OK) {
        PIN_DIRECTION actual;
        if (FAILED(candidate->QueryDirection(&actual)) || actual != direction) continue;
        if (seen++ == index) {
            *pin = candidate.Detach();
            return S_OK;
        }
    }
    return E_FAIL;
}

namespace {

bool HasFrameDuration(const AM_MEDIA_TYPE& type, const GUID& majorType) {
    if (!IsEqualGUID(type.majortype, majorType)) return false;
    const VIDEOINFOHEADER* info = filterkit::VideoInfo(type);  // a short block reads as absent
    return info && info->AvgTimePerFrame != 0;
}

bool PinOffersType(IPin* pin, const GUID& majorType) {
    ComPtr<IEnumMediaTypes> types;
    if (FAILED(pin->EnumMediaTypes(types.Put())) || !types) return false;
    filterkit::MediaType type;
    while (types->Next(1, type.Put(), nullptr) == S_OK) {
        if (HasFrameDuration(type.Get(), majorType)) return true;
    }
    return false;
}

}  // namespace

HRESULT FindPinByMajorType(IBaseFilter* filter, const GUID& majorType, IPin** pin) {
    ComPtr<IEnumPins> pins;
    if (HRESULT hr = BeginPinWalk(filter, pin, pins); FAILED(hr)) return hr;
    ComPtr<IPin> candidate;
    while (pins->Next(1, candidate.Put(), nullptr) == S_OK) {
        if (PinOffersType(candidate.Get(), majorType)) {
            *pin = candidate.Detach();
            return S_OK;
        }
    }
    return E_FAIL;
}

HRESULT ConnectPinToFilter(IGraphBuilder* graph, IPin* output, IBaseFilter* downstream) {
    if (!graph || !output || !downstream) return E_POINTER;
    ComPtr<IPin> input;
    HRESULT hr = FindUnconnectedPin(downstream, PINDIR_INPUT, input.Put());
    if (FAILED(hr)) return hr;
    return graph->Connect(output, input.Get());
}
