#pragma once
// Test devices in the video input category of the private Wine prefix: instance keys with
// "FriendlyName", "CLSID" and, optionally, "DevicePath". The CLSIDs are filters the platform
// registers, so BindToObject works without a camera. Removed before and after each use.
#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

// The platform's null renderer (published only in an editing-services header).
inline constexpr CLSID kClsidNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

struct TestDevice {
    std::wstring instance;      // instance key name
    std::wstring friendlyName;  // empty: written as a number instead of a string
    CLSID clsid;
    bool hasDevicePath;
};

class TestDeviceCategory {
public:
    explicit TestDeviceCategory(std::vector<TestDevice> devices);
    ~TestDeviceCategory();
    TestDeviceCategory(const TestDeviceCategory&) = delete;
    TestDeviceCategory& operator=(const TestDeviceCategory&) = delete;
    bool ok() const { return m_ok; }

private:
    void RemoveAll();
    std::vector<TestDevice> m_devices;
    bool m_ok = true;
};

// The CLSID of the first device (in the platform's enumeration order) whose friendly name
// is `name`, read from its property bag; CLSID_NULL when none.
CLSID FirstDeviceClass(const wchar_t* name);
// The class of a bound filter (IPersist::GetClassID).
CLSID ClassOf(IUnknown* filter);
