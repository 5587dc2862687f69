#pragma once
// The system's side of the photo path rule (PhotoFiles.h): which drive letters lead to a
// network share.
#include <windows.h>

#include "controller/PhotoFiles.h"

// True for a drive letter whose drive is a network share (GetDriveTypeW), or a subst drive
// that leads to one, through other subst drives too (QueryDosDeviceW).
bool IsNetworkDrive(char16_t letter);

// The rule for the photos of `photoFolder`, with the system's drives.
photo_files::PathRule SystemPathRule(const wchar_t* photoFolder);
