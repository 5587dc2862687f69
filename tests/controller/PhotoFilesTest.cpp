// Photo files: the next free number for a new photo, and which stored paths may be opened
// or deleted.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "controller/PhotoFiles.h"

using namespace photo_files;

TEST(PhotoFiles, ANewPhotoTakesTheFirstNumberWhoseFileIsFreeWrappingAfter10000) {
    struct Case {
        const char* what;
        int start;
        std::set<int> taken;
        std::optional<int> number;
    } cases[] = {
        {"free", 7, {}, 7},
        {"one taken", 7, {7}, 8},
        {"a run taken, a gap after it", 7, {7, 8, 9, 11}, 10},
        {"the last taken: wraps", 10000, {10000}, 1},
        {"a run across the wrap", 9999, {9999, 10000, 1, 2}, 3},
        {"the first is free, others not", 1, {2, 3}, 1},
        {"out of range from a settings file: starts at 1", 0, {}, 1},
        {"negative", -5, {1}, 2},
        {"above the last", 10001, {}, 1},
        {"all but the one before the start", 5000, [] { std::set<int> all; for (int n = 1; n <= 10000; ++n) if (n != 4999) all.insert(n); return all; }(), 4999},
        {"all taken", 5000, [] { std::set<int> all; for (int n = 1; n <= 10000; ++n) all.insert(n); return all; }(), std::nullopt},
    };
    for (const Case& c : cases) {
        std::set<int> asked;
        const std::optional<int> number = FindFreePictureNumber(c.start, [&](int n) {
            EXPECT_TRUE(asked.insert(n).second) << c.what << ": " << n << " asked twice";
            EXPECT_TRUE(n >= 1 && n <= 10000) << c.what << ": " << n;
            return c.taken.count(n) != 0;
        });
        EXPECT_EQ(number, c.number) << c.what;
    }
    for (auto [number, next] : {std::pair{1, 2}, {9999, 10000}, {10000, 1}, {0, 1}, {-3, 1}, {10001, 1}})
        EXPECT_EQ(NextPictureNumber(number), next) << number;
}

TEST(PhotoFiles, OnlyLocalDriveAbsoluteJpgPathsAreTakenForPhotos) {
    struct Case {
        const char16_t* path;
        bool local, photo;
    } cases[] = {
        {u"C:\\Users\\a\\Pictures\\Picture0001.jpg", true, true},
        {u"d:/Photos/B.JpG", true, true},
        {u"z:\\x.JPG", true, true},
        {u"a:\\x.jpg", true, true},
        {u"A:\\x.jpg", true, true},
        {u"`:\\x.jpg", false, false},
        {u"[:\\x.jpg", false, false},
        {u"C:\\a\\Picture0001.jpeg", true, false},
        {u"C:\\a\\tool.exe", true, false},
        {u"C:\\a\\x.jpg.exe", true, false},
        {u"C:\\a\\x.jpg ", true, false},
        {u"C:\\a\\x.jpg.", true, false},
        {u"\\\\server\\share\\Picture0001.jpg", false, false},  // network
        {u"//server/share/Picture0001.jpg", false, false},
        {u"\\\\?\\C:\\Pictures\\Picture0001.jpg", false, false},  // device namespaces
        {u"\\\\.\\C:\\Pictures\\Picture0001.jpg", false, false},
        {u"\\??\\C:\\Pictures\\Picture0001.jpg", false, false},
        {u"C:\\Pictures\\CON.jpg", false, false},  // device names, in any case and with any extension
        {u"C:\\Pictures\\nul.jpg", false, false},
        {u"C:\\Pictures\\Com7.jpg", false, false},
        {u"C:\\Pictures\\LPT1 .jpg", false, false},
        {u"C:\\Pictures\\COM0.jpg", true, true},
        {u"C:\\Pictures\\CONSOLE.jpg", true, true},
        {u"C:\\Pictures\\x.txt:y.jpg", false, false},  // a stream
        {u"C:Picture0001.jpg", false, false},           // drive-relative
        {u"Pictures\\Picture0001.jpg", false, false},   // relative
        {u"\\Pictures\\Picture0001.jpg", false, false}, // rooted, no drive
        {u"1:\\a.jpg", false, false},
        {u".jpg", false, false},
        {u"C:\\", false, false},
        {u"", false, false},
    };
    for (const Case& c : cases) {
        const std::u16string path = c.path;
        const std::string shown(path.begin(), path.end());
        EXPECT_EQ(IsLocalPath(path), c.local) << shown;
        EXPECT_EQ(IsPhotoPath(path), c.photo) << shown;
    }
}
