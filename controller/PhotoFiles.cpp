#include "controller/PhotoFiles.h"

namespace photo_files {
namespace {

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool EqualsIgnoringCase(const std::u16string& text, const char16_t* lower) {
    size_t i = 0;
    for (; i < text.size(); ++i)
        if (lower[i] == 0 || Lower(text[i]) != lower[i]) return false;
    return lower[i] == 0;
}

// The names Windows takes for devices in any folder and with any extension ("NUL.jpg").
bool IsDeviceName(const std::u16string& fileName) {
    std::u16string base = fileName.substr(0, fileName.find(u'.'));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    static const char16_t* const kDevices[] = {u"con", u"prn", u"aux", u"nul", u"conin$", u"conout$"};
    for (const char16_t* device : kDevices)
        if (EqualsIgnoringCase(base, device)) return true;
    // COM1 .. COM9 and LPT1 .. LPT9, and with a superscript one, two or three, as Windows
    // takes them too.
    const char16_t last = base.size() == 4 ? base[3] : u'\0';
    const bool numbered = (last >= u'1' && last <= u'9') || last == u'\u00B9' || last == u'\u00B2' || last == u'\u00B3';
    return numbered && (EqualsIgnoringCase(base.substr(0, 3), u"com") || EqualsIgnoringCase(base.substr(0, 3), u"lpt"));
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool StartsWithIgnoringCase(const std::u16string& text, const char16_t* lower) {
    const std::u16string start(lower);
    return text.size() >= start.size() && EqualsIgnoringCase(text.substr(0, start.size()), lower);
}

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

}  // namespace

int NextPictureNumber(int number) {
    return number >= kFirstPictureNumber && number < kLastPictureNumber ? number + 1 : kFirstPictureNumber;
}

Claim ClaimPictureNumber(int start, const std::function<NameState(int number)>& probe,
                         const std::function<Creation(int number)>& create) {
    int number = start >= kFirstPictureNumber && start <= kLastPictureNumber ? start : kFirstPictureNumber;
    for (int tried = 0; tried < kLastPictureNumber; ++tried, number = NextPictureNumber(number)) {
        const NameState state = probe(number);
        if (state == NameState::Taken) continue;
        if (state == NameState::Unknown) return Claim{Claim::Outcome::Failed, number};
        switch (create(number)) {
        case Creation::Created:
            return Claim{Claim::Outcome::Created, number};
        case Creation::Exists:
            continue;
        case Creation::Failed:
            return Claim{Claim::Outcome::Failed, number};
        }
    }
    return Claim{Claim::Outcome::AllTaken, 0};
}

bool IsLocalPath(const std::u16string& path) {
    const bool driveAbsolute = path.size() > 3 && IsDriveLetter(path[0]) && path[1] == u':' && IsSeparator(path[2]);
    // A colon after the drive's names a stream or a device.
    if (!driveAbsolute || path.find(u':', 2) != std::u16string::npos) return false;
    size_t nameStart = path.size();
    while (nameStart > 0 && !IsSeparator(path[nameStart - 1])) --nameStart;
    return !IsDeviceName(path.substr(nameStart));
}

bool IsPhotoPath(const std::u16string& path) {
    static constexpr char16_t kExtension[] = u".jpg";
    constexpr size_t kLength = 4;
    return IsLocalPath(path) && path.size() > kLength && EqualsIgnoringCase(path.substr(path.size() - kLength), kExtension);
}

bool IsOwnPhoto(const std::u16string& path, const std::u16string& folder) {
    static constexpr char16_t kName[] = u"\\picture";
    static constexpr char16_t kExtension[] = u".jpg";
    const size_t nameAt = folder.size(), digitsAt = nameAt + 8;
    if (folder.empty() || path.size() < digitsAt + 4 + 4) return false;
    size_t digits = 0;
    while (digitsAt + digits < path.size() && IsDigit(path[digitsAt + digits])) ++digits;
    if (digits != 4 && digits != 5) return false;
    std::u16string lowerFolder;
    for (char16_t c : folder) lowerFolder += Lower(c);
    return EqualsIgnoringCase(path.substr(0, nameAt), lowerFolder.c_str()) &&
           EqualsIgnoringCase(path.substr(nameAt, 8), kName) &&
           EqualsIgnoringCase(path.substr(digitsAt + digits), kExtension);
}

DriveTarget ParseDriveTarget(const std::u16string& target) {
    if (StartsWithIgnoringCase(target, u"\\??\\unc\\") || StartsWithIgnoringCase(target, u"\\device\\mup\\") ||
        StartsWithIgnoringCase(target, u"\\device\\lanmanredirector\\"))
        return DriveTarget{DriveTarget::Kind::Network, 0};
    if (target.size() >= 6 && StartsWithIgnoringCase(target, u"\\??\\") && IsDriveLetter(target[4]) &&
        target[5] == u':')
        return DriveTarget{DriveTarget::Kind::Drive, target[4]};
    return DriveTarget{DriveTarget::Kind::Volume, 0};
}

bool PathRule::OnNetworkDrive(const std::u16string& path) const {
    return m_network && !path.empty() && m_network(path[0]);
}

bool PathRule::MayOpen(const std::u16string& path) const {
    return IsOwnPhoto(path, m_folder) || (IsPhotoPath(path) && !OnNetworkDrive(path));
}

bool PathRule::MayLookFor(const std::u16string& path) const {
    return IsOwnPhoto(path, m_folder) || (IsLocalPath(path) && !OnNetworkDrive(path));
}

}  // namespace photo_files
