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
    // COM1 .. COM9 and LPT1 .. LPT9.
    return base.size() == 4 && (EqualsIgnoringCase(base.substr(0, 3), u"com") ||
                                EqualsIgnoringCase(base.substr(0, 3), u"lpt")) &&
           base[3] >= u'1' && base[3] <= u'9';
}

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
    const bool driveAbsolute = path.size() > 3 && ((path[0] >= u'A' && path[0] <= u'Z') ||
                                                   (path[0] >= u'a' && path[0] <= u'z')) &&
                               path[1] == u':' && IsSeparator(path[2]);
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

}  // namespace photo_files
