#pragma once
// The registry key of the virtual camera: its settings (what tests make it do) and the
// camera state the button utility reads and writes, kept here so that it survives the
// re-binding of the camera before every action, as a real camera's does.
//
// Key: HKEY_LOCAL_MACHINE\SOFTWARE\DelmHalvo\VirtualCamera (created on first write;
// every value is optional, a missing key means "all defaults").
//
// Read by DllRegisterServer (run regsvr32 again after changing them):
//   "Devices"       REG_DWORD  devices registered in the video input category, 1 to 4
//                              (default 1); all share one "FriendlyName"
//   "FriendlyName"  REG_SZ     default "Delm Halvo Virtual Camera"
//   "NoDevicePath"  REG_DWORD  1: register without a "DevicePath" value (default 0)
// Read whenever a camera filter object is created:
//   "Sizes"         REG_SZ     capture sizes in offer order, "320x240,640x480,1280x1024"
//   "Formats"       REG_SZ     stream formats in offer order: YUY2, RGB32, RGB24, MJPG
//                              (default "YUY2,RGB32"); every format comes in every size
//   "RawSizeLimit"  REG_SZ     e.g. "640x480": uncompressed formats only in sizes of at
//                              most this many pixels, larger sizes only as MJPEG
// Read at every Stop -> Pause:
//   "Busy"          REG_DWORD  1: Pause and Run fail with HRESULT_FROM_WIN32(ERROR_BUSY),
//                              as for a camera held by another program
//   "UnplugAfter"   REG_DWORD  N > 0: after N frames delivered while running, the camera
//                              sends EC_DEVICE_LOST (param1 its IBaseFilter, not counted;
//                              param2 0 = removed) and delivers no more frames
//   "Unpaced"       REG_DWORD  1: deliver frames as fast as downstream takes them, instead
//                              of one per frame duration (benchmarks)
//   "CorruptMjpegEvery" REG_DWORD N > 0: every Nth MJPEG frame is cut to half its length,
//                              as a camera whose bus lost part of a frame sends it
// Read whenever the camera is asked for IKsControl:
//   "NoExtensionUnit" REG_DWORD 1: the camera has no IKsControl, as a driver whose
//                              extension unit cannot be reached (the byte fallback set stays)
// Read at every extension-unit write:
//   "RefuseExtensionUnitWrites" REG_DWORD 1: the extension unit reads bytes but fails every
//                              write (ERROR_GEN_FAILURE); the byte fallback set still writes
// Camera state (REG_DWORD each, missing = 0), through the functions below and the
// camera's property sets (CameraControls.h):
//   "Byte%04X"      one byte of the camera's address space, e.g. "Byte0400" (bit 0 flip,
//                   bit 1 low light)
//   "Property%u"    a numbered standard-mode property, e.g. "Property24"
// Written by the camera's property sets at every write they accept, read by tests that
// check what the button utility sent and in which order:
//   "WriteLog"      REG_MULTI_SZ  the last kWriteLogEntries writes, oldest first:
//                     "std N V"          standard set, property N set to V (decimal)
//                     "xu AAAA BB"       extension unit, byte at AAAA set to BB (hex)
//                     "fallback AAAA BB" byte fallback set, likewise
//                   Address selections for reading and gets are not writes: not logged.
#include <windows.h>

#include <string>
#include <vector>

#include "testworld/camera/CameraOptions.h"

namespace camera {

inline constexpr wchar_t kCameraKeyPath[] = L"SOFTWARE\\DelmHalvo\\VirtualCamera";
inline constexpr wchar_t kDefaultFriendlyName[] = L"Delm Halvo Virtual Camera";
inline constexpr DWORD kMaxDevices = 4;

struct RegistrationSettings {
    DWORD devices = 1;
    std::wstring friendlyName = kDefaultFriendlyName;
    bool noDevicePath = false;
};

struct StreamSettings {
    std::vector<FrameSize> sizes = DefaultSizes();
    std::vector<StreamFormat> formats = DefaultFormats();
    std::optional<FrameSize> rawSizeLimit;
};

struct RunSettings {
    bool busy = false;
    DWORD unplugAfterFrames = 0;
    bool unpaced = false;
    DWORD corruptMjpegEvery = 0;
};

RegistrationSettings ReadRegistrationSettings();
StreamSettings ReadStreamSettings();
RunSettings ReadRunSettings();

bool ReadNoExtensionUnit();
bool ReadRefuseExtensionUnitWrites();

// Camera state store, for the camera's property sets and its property page.
DWORD ReadControlByte(unsigned address);
HRESULT WriteControlByte(unsigned address, BYTE value);
DWORD ReadStdProperty(unsigned number);
HRESULT WriteStdProperty(unsigned number, DWORD value);

// The camera's write log ("WriteLog" above). Appending drops the oldest entries beyond
// kWriteLogEntries; it is not guarded against two processes appending at once.
inline constexpr size_t kWriteLogEntries = 256;
HRESULT AppendWriteLog(const std::wstring& entry);
std::vector<std::wstring> ReadWriteLog();
// The log's entries, and the log emptied: the writes since the previous call.
std::vector<std::wstring> TakeWriteLog();

}  // namespace camera
