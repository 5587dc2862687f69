#pragma once
// Which files are photos: the numbered names new photos take in the photo folder, and the
// stored paths the program may open or delete. Platform-free; the callers ask the disk.
#include <functional>
#include <string>

#include "controller/CapturedItem.h"

namespace photo_files {

// Photos are numbered 1 .. 10000; after 10000 the numbering starts again at 1.
constexpr int kFirstPictureNumber = 1;
constexpr int kLastPictureNumber = 10000;

// The number after `number`, wrapping after the last. Numbers outside 1 .. 10000 (a stored
// number is taken unchecked from the settings file) are followed by 1.
int NextPictureNumber(int number);

// What the disk says of one number's photo file.
enum class NameState {
    Free,    // no such file, nor its folder
    Taken,   // a file or folder of that name exists
    Unknown  // the disk could not say: access denied, a sharing or network error
};
// What came of creating one number's photo file as a new file.
enum class Creation { Created, Exists, Failed };

struct Claim {
    enum class Outcome {
        Created,   // `number`'s file was created new
        AllTaken,  // every number's file exists: nothing was created
        Failed     // the check or creation of `number` failed: nothing was created
    } outcome;
    int number;  // 0 with AllTaken
};

// The first number, from `start` on in photo order, whose file `probe` says is free and
// `create` creates new; a number whose file appeared between the two is passed over. Every
// number is tried at most once. `start` outside 1 .. 10000 counts as 1.
Claim ClaimPictureNumber(int start, const std::function<NameState(int number)>& probe,
                         const std::function<Creation(int number)>& create);

// A path the program may open or delete: a local, drive-absolute path ("C:\..." or "C:/...")
// of a file whose name ends in ".jpg" in any case. Not network paths ("\\server\..."),
// device paths ("\\?\...", "\\.\...", "C:\x\CON.jpg", a second colon), relative or
// drive-relative ones ("C:x.jpg"): a settings file may name any of them. (PathRule adds the
// drive's kind and the program's own photos.)
bool IsPhotoPath(const std::u16string& path);

// A path of the local disks (drive-absolute, no device name), whatever its extension: the
// program may ask whether such a file exists; it never touches any other path.
bool IsLocalPath(const std::u16string& path);

// A photo the program names itself in `folder`: the folder, "\Picture", four or five
// digits, ".jpg", compared case-insensitively (ASCII letters) and otherwise as it stands,
// wherever the folder lies, a network share's too. Never for an empty folder.
bool IsOwnPhoto(const std::u16string& path, const std::u16string& folder);

// Whether a drive letter's drive is a network one: a mapped share, or a subst drive of one.
// The program asks the system (NetworkDrive.h).
using NetworkDrive = std::function<bool(char16_t letter)>;

// Where the system's name of a drive (QueryDosDeviceW of "X:") leads.
struct DriveTarget {
    enum class Kind {
        Volume,   // a disk of this computer, or anything else that is not below
        Network,  // a share: "\??\UNC\...", "\Device\Mup\...", "\Device\LanmanRedirector\..."
        Drive     // a folder on another drive letter (subst): "\??\Z:\..."
    } kind;
    char16_t letter;  // with Drive
};
DriveTarget ParseDriveTarget(const std::u16string& target);

// Which stored paths the program touches, for its photo folder and the kinds of drive.
class PathRule {
public:
    // No folder (no path is the program's own) and no network drive.
    PathRule() = default;
    PathRule(std::u16string photoFolder, NetworkDrive network)
        : m_folder(std::move(photoFolder)), m_network(std::move(network)) {}

    // Open or delete: the program's own photos; any other path when IsPhotoPath says so and
    // its drive is not a network one.
    bool MayOpen(const std::u16string& path) const;
    bool MayOpen(const CapturedItem& item) const { return MayOpen(ItemPath(item)); }
    // Ask whether it exists: the program's own photos; any other path when IsLocalPath says
    // so and its drive is not a network one (asking would connect to the server).
    bool MayLookFor(const std::u16string& path) const;

private:
    bool OnNetworkDrive(const std::u16string& path) const;

    std::u16string m_folder;
    NetworkDrive m_network;
};

}  // namespace photo_files
