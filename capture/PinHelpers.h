#pragma once
// Pin and filter helpers of the graph builds. Every out pointer is set to null first and
// receives an added reference on success.
#include <windows.h>
#include <strmif.h>

// First pin of `direction` that is not connected (ConnectedTo fails). E_POINTER, the failure
// of EnumPins, or E_FAIL when none qualifies.
HRESULT FindUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);
// The index-th (0-based) pin of `direction`, connected or not. E_POINTER, the failure of
// EnumPins, or E_FAIL when there are not enough such pins.
HRESULT GetPin(IBaseFilter* filter, PIN_DIRECTION direction, int index, IPin** pin);
// First pin (either direction) offering a FORMAT_VideoInfo type of `majorType` with a
// nonzero AvgTimePerFrame; a still pin without frame duration is passed over. E_POINTER,
// the failure of EnumPins, or E_FAIL when nothing matches.
HRESULT FindPinByMajorType(IBaseFilter* filter, const GUID& majorType, IPin** pin);
// Connects `output` to the first unconnected input pin of `downstream` by intelligent
// connect. E_POINTER, the finder's failure, or the result of IGraphBuilder::Connect.
HRESULT ConnectPinToFilter(IGraphBuilder* graph, IPin* output, IBaseFilter* downstream);
