#pragma once
// How `DelmHalvoUVC.exe /quit` reaches the running copy: a registered message broadcast to
// the top-level windows, which the running copy's hidden dialog answers by ending.
#include <windows.h>

namespace utility {

inline constexpr char kQuitArgument[] = "/quit";

inline UINT QuitRequestMessage() {
    static const UINT message = ::RegisterWindowMessageA("DelmHalvoUVC.Quit");
    return message;
}

}  // namespace utility
