#pragma once
// The only windows of other programs the utility deals with, found by their titles: the
// owner of the property frame ("DelmHalvo", or in standard mode the window titled with the
// driver's description) and its own property frame, whose title contains "DelmHalvo -".
#include <windows.h>

#include "utility/DriverContext.h"

namespace utility {

inline constexpr char kPropertyFrameOwnerTitle[] = "DelmHalvo";
inline constexpr wchar_t kPropertyFrameCaption[] = L"DelmHalvo -";
inline constexpr char kPropertyFrameTitlePart[] = "DelmHalvo -";

// The first top-level window whose title contains "DelmHalvo -"; null when none.
HWND FindPropertyFrame();
// Enables the owner window again, which the modal property frame disabled.
void RestoreOwnerWindows(const DriverContext& driver);

}  // namespace utility
