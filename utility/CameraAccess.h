#pragma once
// The camera as the utility's buttons reach it: bound as a DirectShow capture filter for
// one action and released again, its settings read and written through the driver's
// kernel-streaming property sets (UVC mode: a byte at an address through an extension unit,
// with a fallback set; standard mode: numbered properties), and its property pages.
#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <optional>

#include "framework/ComPtr.h"
#include "utility/CameraStateRules.h"

namespace utility {

// The first video input device whose "DevicePath" names a UVC camera of the driver, bound;
// empty when there is none. Failures leave a trace line (framework/Trace.h).
ComPtr<IBaseFilter> BindUvcCamera();
// The first video input device whose "FriendlyName" starts as the standard driver's
// description does, bound; empty when there is none or no description.
ComPtr<IBaseFilter> BindStdCamera();

// Standard mode: the property's value, -1 without a camera.
int32_t GetStdProperty(uint32_t number);
// Standard mode: 1, or -1 without a camera.
int32_t SetStdProperty(uint32_t number, int32_t value);

// UVC mode, on a bound camera: the byte at `address`, through the extension unit or else the
// fallback set; nothing when both fail.
std::optional<uint8_t> ReadControlByte(IBaseFilter* camera, uint16_t address);
void WriteControlByte(IBaseFilter* camera, uint16_t address, uint8_t value);

// In the driver's mode (Driver().kind).
CameraStates ReadCameraStates();
// Each returns the new state; nothing when it changed nothing (UVC mode without a camera,
// or a failed read), so that the button keeps the state it shows.
std::optional<bool> ToggleFlip();
std::optional<bool> ToggleLowLight();
// The camera's property pages in a modal frame titled "DelmHalvo -"; returns when it closes.
void OpenPropertyFrame();

}  // namespace utility
