#pragma once
// The camera as the utility's buttons reach it: bound as a DirectShow capture filter once
// for one action (a click, a refresh of the states) and released again, its settings read
// and written through the driver's kernel-streaming property sets (UVC mode: a byte at an
// address through an extension unit, with a fallback set; standard mode: numbered
// properties), and its property pages. Failures leave a trace line (framework/Trace.h).
#include <windows.h>
#include <strmif.h>

#include <cstdint>
#include <optional>

#include "framework/ComPtr.h"
#include "utility/CameraStateRules.h"
#include "utility/DriverContext.h"

namespace utility {

// UVC mode: the first video input device whose "DevicePath" names a UVC camera of the
// driver. Standard mode: the first one whose "FriendlyName" starts as the standard driver's
// description does. Bound; empty when there is none (or, in standard mode, no description).
ComPtr<IBaseFilter> BindCamera(const DriverContext& driver);

// Standard mode, on a bound camera: the property's value, -1 without a camera.
int32_t GetStdProperty(IBaseFilter* camera, uint32_t number);
// Standard mode, on a bound camera: 1, or -1 without a camera.
int32_t SetStdProperty(IBaseFilter* camera, uint32_t number, int32_t value);

// UVC mode, on a bound camera: the byte at `address`, through the extension unit or else the
// fallback set; nothing when both fail.
std::optional<uint8_t> ReadControlByte(IBaseFilter* camera, uint16_t address);
void WriteControlByte(IBaseFilter* camera, uint16_t address, uint8_t value);

// Each in the driver's mode, binding the camera once.
CameraStates ReadCameraStates(const DriverContext& driver);
// Each returns the new state; nothing when it changed nothing (UVC mode without a camera,
// or a failed read), so that the button keeps the state it shows.
std::optional<bool> ToggleFlip(const DriverContext& driver);
std::optional<bool> ToggleLowLight(const DriverContext& driver);
// The camera's property pages in a modal frame titled "DelmHalvo -"; returns when it closes.
// `offset`: the frame's place from its owner's corner, in pixels.
void OpenPropertyFrame(const DriverContext& driver, int offset);

}  // namespace utility
