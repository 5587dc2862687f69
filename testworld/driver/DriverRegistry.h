#pragma once
// The few registry operations the simulated driver makes, on keys under
// HKEY_LOCAL_MACHINE. Results are Win32 error codes (ERROR_SUCCESS on success).
#include <windows.h>

#include <optional>
#include <string>

#include "framework/Handles.h"

namespace driver {

// Null when the key does not exist (or cannot be opened with `access`).
UniqueHKey OpenMachineKey(const std::wstring& path, REGSAM access = KEY_READ);
LONG CreateMachineKey(const std::wstring& path, UniqueHKey& key);
// Deletes the key with everything below it; a key that is not there counts as deleted.
LONG DeleteMachineTree(const std::wstring& path);

LONG WriteDword(HKEY key, const wchar_t* name, DWORD value);
LONG WriteString(HKEY key, const wchar_t* name, const std::wstring& value);
// A value that is missing counts as deleted.
LONG DeleteValue(HKEY key, const wchar_t* name);

// Empty when the value is missing or of another type.
std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name);
std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name);

}  // namespace driver
