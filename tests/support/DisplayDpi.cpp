#include "tests/support/DisplayDpi.h"

#include <cstdlib>

#include "tests/support/TestWorld.h"

namespace e2e {
namespace {
constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

void WriteLogPixels(const std::optional<DWORD>& dpi) {
    if (dpi) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, kLogPixels, REG_DWORD, &*dpi, sizeof(DWORD));
    } else {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, kLogPixels);
    }
}
}  // namespace

int ScenarioDpi() {
    const char* text = std::getenv("DH_TEST_DPI");
    const int dpi = text ? std::atoi(text) : 0;
    return dpi > 0 ? dpi : 96;
}

ScopedDisplayDpi::ScopedDisplayDpi(int dpi) : m_earlier(ReadRegistryDword(HKEY_CURRENT_USER, kDesktop, kLogPixels)) {
    WriteLogPixels(static_cast<DWORD>(dpi));
}

ScopedDisplayDpi::~ScopedDisplayDpi() { WriteLogPixels(m_earlier); }

}  // namespace e2e
