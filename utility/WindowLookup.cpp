#include "utility/WindowLookup.h"

#include <cstring>
#include <string>


namespace utility {

namespace {
BOOL CALLBACK MatchPropertyFrame(HWND wnd, LPARAM found) {
    char title[256] = {};
    ::GetWindowTextA(wnd, title, sizeof(title));
    if (!std::strstr(title, kPropertyFrameTitlePart)) return TRUE;
    *reinterpret_cast<HWND*>(found) = wnd;
    return FALSE;
}
}  // namespace

HWND FindPropertyFrame() {
    HWND found = nullptr;
    ::EnumWindows(&MatchPropertyFrame, reinterpret_cast<LPARAM>(&found));
    return found;
}

void RestoreOwnerWindows(const DriverContext& driver) {
    std::string title = kPropertyFrameOwnerTitle;
    if (driver.kind != DriverKind::Uvc) {
        const std::optional<std::string> description = ReadDriverDesc(driver.registry, driver.access);
        title = description.value_or(std::string());
    }
    if (title.empty()) return;  // no description: an untitled window is nobody's owner
    if (HWND owner = ::FindWindowA(nullptr, title.c_str())) ::EnableWindow(owner, TRUE);
}

}  // namespace utility
