// "show": the simulated driver's keys as text for people.
#include <cwchar>

#include "testworld/driver/DriverRegistry.h"
#include "testworld/driver/SimulatedDriver.h"

namespace driver {
namespace {

// A DWORD as the utility takes it (signed, so -1 reads as -1), a string as it is.
std::wstring ValueText(HKEY key, const wchar_t* name) {
    if (const auto number = ReadDword(key, name)) return std::to_wstring(static_cast<LONG>(*number));
    if (const auto text = ReadString(key, name)) return *text;
    return key ? L"(missing)" : L"(no key)";
}

void Line(std::wstring& out, const wchar_t* indent, const std::wstring& name, const std::wstring& value) {
    wchar_t line[512];
    // Values line up in one column whatever the indent.
    const int width = 20 - static_cast<int>(std::wcslen(indent));
    std::swprintf(line, 512, L"%ls%-*ls %ls\n", indent, width, name.c_str(), value.c_str());
    out += line;
}

void DescribeFamily(std::wstring& out, Family family) {
    const UniqueHKey key = OpenMachineKey(DriverKeyPath(family));
    out += std::wstring(FamilyName(family)) + L"  HKLM\\" + DriverKeyPath(family);
    if (!key) {
        out += L"  (not installed)\n";
        return;
    }
    out += L"\n";
    Line(out, L"  ", kInstanceIndexValue, ValueText(key.Get(), kInstanceIndexValue));
    Line(out, L"  ", kDisplaySelectionValue, ValueText(key.Get(), kDisplaySelectionValue));
    const size_t prefix = std::wcslen(kKernelMachinePrefix);
    for (unsigned i = 1; i <= kMaxInstances; ++i) {
        const std::wstring name = InstanceValueName(i);
        const auto path = ReadString(key.Get(), name.c_str());
        if (!path) continue;
        Line(out, L"  ", name, *path);
        const std::wstring instance = path->size() > prefix ? path->substr(prefix) : std::wstring();
        const UniqueHKey device = OpenMachineKey(instance.substr(0, instance.rfind(L'\\')));
        const UniqueHKey settings = OpenMachineKey(instance);
        Line(out, L"    ", kDriverDescValue, ValueText(device.Get(), kDriverDescValue));
        for (const wchar_t* value : {kSnapShotStateValue, kPointXValue, kPointYValue})
            Line(out, L"    ", value, ValueText(settings.Get(), value));
    }
}

}  // namespace

std::wstring Describe() {
    std::wstring out;
    DescribeFamily(out, Family::Uvc);
    DescribeFamily(out, Family::Std);
    return out;
}

}  // namespace driver
