#include "controller/NetworkDrive.h"

#include <string>

bool IsNetworkDrive(char16_t letter) {
    // A subst drive may lead to another: at most every letter once.
    for (int hops = 0; hops < 26; ++hops) {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
        if (::GetDriveTypeW(root) == DRIVE_REMOTE) return true;
        wchar_t target[MAX_PATH + 64] = {};
        if (!::QueryDosDeviceW(std::wstring(root, 2).c_str(), target, MAX_PATH + 64)) return false;
        const photo_files::DriveTarget next = photo_files::ParseDriveTarget(reinterpret_cast<const char16_t*>(target));
        switch (next.kind) {
        case photo_files::DriveTarget::Kind::Network:
            return true;
        case photo_files::DriveTarget::Kind::Volume:
            return false;
        case photo_files::DriveTarget::Kind::Drive:
            if (next.letter == letter) return false;
            letter = next.letter;
            break;
        }
    }
    return false;
}

photo_files::PathRule SystemPathRule(const wchar_t* photoFolder) {
    return photo_files::PathRule(reinterpret_cast<const char16_t*>(photoFolder), &IsNetworkDrive);
}
