#pragma once
// The display scale the end-to-end scenarios run at. The same scenarios run at 96 DPI and,
// as further runs of the same test programs, at the DPI that DH_TEST_DPI names.
#include <windows.h>

#include <optional>

namespace e2e {

// DH_TEST_DPI, else 96.
int ScenarioDpi();

// While it lives, programs started in the Wine world see `dpi` as their display's: Wine
// reads HKCU\Control Panel\Desktop\LogPixels once, when a program starts. The earlier
// value comes back at the end.
class ScopedDisplayDpi {
public:
    explicit ScopedDisplayDpi(int dpi);
    ~ScopedDisplayDpi();
    ScopedDisplayDpi(const ScopedDisplayDpi&) = delete;
    ScopedDisplayDpi& operator=(const ScopedDisplayDpi&) = delete;

private:
    std::optional<DWORD> m_earlier;
};

}  // namespace e2e
