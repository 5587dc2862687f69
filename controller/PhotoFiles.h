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
// drive-relative ones ("C:x.jpg"): a settings file may name any of them.
bool IsPhotoPath(const std::u16string& path);
inline bool IsPhotoPath(const CapturedItem& item) { return IsPhotoPath(ItemPath(item)); }

// A path of the local disks (drive-absolute, no device name), whatever its extension: the
// program may ask whether such a file exists; it never touches any other path.
bool IsLocalPath(const std::u16string& path);

}  // namespace photo_files
