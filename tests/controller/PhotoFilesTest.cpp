// Photo files: the next free number for a new photo, and which stored paths may be opened
// or deleted.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "controller/PhotoFiles.h"

using namespace photo_files;

// The disk as the storing thread meets it, number by number: 'T' a file is there, '?' the
// look-up fails (access denied, a network error), 'E' free when looked up but there when
// created (it appeared in between), 'F' free but its creation fails; any other number is free.
TEST(PhotoFiles, ANewPhotoTakesTheFirstNumberWhoseFileIsFreeWrappingAfter10000) {
    using Outcome = Claim::Outcome;
    const auto all = [](char kind, int except = 0) {
        std::map<int, char> disk;
        for (int n = 1; n <= 10000; ++n)
            if (n != except) disk[n] = kind;
        return disk;
    };
    struct Case {
        const char* what;
        int start;
        std::map<int, char> disk;
        Outcome outcome;
        int number;
    } cases[] = {
        {"free", 7, {}, Outcome::Created, 7},
        {"one taken", 7, {{7, 'T'}}, Outcome::Created, 8},
        {"a run taken, a gap after it", 7, {{7, 'T'}, {8, 'T'}, {9, 'T'}, {11, 'T'}}, Outcome::Created, 10},
        {"the last taken: wraps", 10000, {{10000, 'T'}}, Outcome::Created, 1},
        {"a run across the wrap", 9999, {{9999, 'T'}, {10000, 'T'}, {1, 'T'}, {2, 'T'}}, Outcome::Created, 3},
        {"the first is free, others not", 1, {{2, 'T'}, {3, 'T'}}, Outcome::Created, 1},
        {"out of range from a settings file: starts at 1", 0, {}, Outcome::Created, 1},
        {"negative", -5, {{1, 'T'}}, Outcome::Created, 2},
        {"above the last", 10001, {}, Outcome::Created, 1},
        {"all but the one before the start", 5000, all('T', 4999), Outcome::Created, 4999},
        {"all taken", 5000, all('T'), Outcome::AllTaken, 0},
        {"appeared before its creation: the next", 7, {{7, 'E'}}, Outcome::Created, 8},
        {"taken, then appeared, then free", 7, {{7, 'T'}, {8, 'E'}, {9, 'E'}}, Outcome::Created, 10},
        {"all appear at creation", 3, all('E'), Outcome::AllTaken, 0},
        {"a look-up that fails is no free number", 7, {{7, '?'}}, Outcome::Failed, 7},
        {"nor after taken ones", 7, {{7, 'T'}, {8, '?'}, {9, 'T'}}, Outcome::Failed, 8},
        {"a creation that fails ends the photo", 7, {{7, 'T'}, {8, 'F'}}, Outcome::Failed, 8},
        {"after one that appeared", 9999, {{9999, 'E'}, {10000, 'F'}}, Outcome::Failed, 10000},
    };
    for (const Case& c : cases) {
        std::set<int> probed, free, created;
        const Claim claim = ClaimPictureNumber(
            c.start,
            [&](int n) {
                EXPECT_TRUE(probed.insert(n).second) << c.what << ": " << n << " looked up twice";
                EXPECT_TRUE(n >= 1 && n <= 10000) << c.what << ": " << n;
                const auto kind = c.disk.find(n);
                const NameState state = kind == c.disk.end() ? NameState::Free
                                        : kind->second == 'T' ? NameState::Taken
                                        : kind->second == '?' ? NameState::Unknown
                                                              : NameState::Free;
                if (state == NameState::Free) free.insert(n);
                return state;
            },
            [&](int n) {
                EXPECT_TRUE(free.count(n) && created.insert(n).second) << c.what << ": " << n << " created unasked";
                const auto kind = c.disk.find(n);
                if (kind == c.disk.end()) return Creation::Created;
                return kind->second == 'E' ? Creation::Exists : Creation::Failed;
            });
        EXPECT_EQ(claim.outcome, c.outcome) << c.what;
        EXPECT_EQ(claim.number, c.number) << c.what;
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
        {u"C:\\Pictures\\COM9.jpg", false, false},
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
        {u"C:\\x", true, false},
        {u"C:\\Pictures\\COM\u00B9.jpg", false, false},  // superscript one, two, three: devices too
        {u"C:\\Pictures\\lpt\u00B3.jpg", false, false},
        {u"C:\\Pictures\\COM\u2074.jpg", true, true},   // superscript four is no device
        {u"", false, false},
    };
    for (const Case& c : cases) {
        const std::u16string path = c.path;
        const std::string shown(path.begin(), path.end());
        EXPECT_EQ(IsLocalPath(path), c.local) << shown;
        EXPECT_EQ(IsPhotoPath(path), c.photo) << shown;
    }
}

// The rule with the Pictures folder of each kind; D: is a network drive (mapped, or a subst of
// one), C: and E: are disks. Own: the folder, "\Picture", four or five digits, ".jpg".
TEST(PhotoFiles, TheProgramsOwnPhotosAreOpenedWhereverTheyLieOtherPathsOnlyOnLocalDisks) {
    const NetworkDrive network = [](char16_t letter) { return letter == u'D' || letter == u'd'; };
    struct Case {
        const char16_t* folder;
        const char16_t* path;
        bool own, open, lookFor;
    } cases[] = {
        {u"C:\\Users\\a\\Pictures", u"C:\\Users\\a\\Pictures\\Picture0001.jpg", true, true, true},
        {u"C:\\Users\\a\\Pictures", u"c:\\users\\A\\pictures\\PICTURE10000.JPG", true, true, true},
        {u"C:\\Users\\a\\Pictures", u"C:\\Users\\a\\Pictures\\Picture001.jpg", false, true, true},  // 3 digits
        {u"C:\\Users\\a\\Pictures", u"C:\\Users\\a\\Pictures\\Picture123456.jpg", false, true, true},
        {u"C:\\Users\\a\\Pictures", u"C:\\Users\\a\\Pictures\\Picture00x1.jpg", false, true, true},
        {u"C:\\Users\\a\\Pictures", u"C:\\Users\\a\\Pictures\\notes.txt", false, false, true},
        {u"C:\\Users\\a\\Pictures", u"C:\\Users\\a\\Pictures\\Sub\\Picture0001.jpg", false, true, true},
        {u"C:\\Users\\a\\Pictures", u"C:\\Users\\a\\Pictures\\Picture0001.jpg:x", false, false, false},
        {u"C:\\Users\\a\\Pictures", u"C:\\Users\\a\\Pictures\\Picture0001.jpeg", false, false, true},
        // Redirected to a share: its photos are the program's own; other network paths never.
        {u"\\\\srv\\home\\a\\Pictures", u"\\\\srv\\home\\a\\Pictures\\Picture0042.jpg", true, true, true},
        {u"\\\\srv\\home\\a\\Pictures", u"\\\\SRV\\Home\\a\\pictures\\picture0042.jpg", true, true, true},
        {u"\\\\srv\\home\\a\\Pictures", u"\\\\srv\\home\\a\\Pictures\\Holiday.jpg", false, false, false},
        {u"\\\\srv\\home\\a\\Pictures", u"\\\\srv\\home\\b\\Pictures\\Picture0042.jpg", false, false, false},
        {u"\\\\srv\\home\\a\\Pictures", u"\\\\srv\\home\\a\\Pictures\\Picture0042.exe", false, false, false},
        {u"\\\\srv\\home\\a\\Pictures", u"C:\\Photos\\Picture0042.jpg", false, true, true},
        // On a network drive letter: the own photos there, nothing else of that drive.
        {u"D:\\Pictures", u"D:\\Pictures\\Picture0007.jpg", true, true, true},
        {u"D:\\Pictures", u"D:\\Pictures\\Holiday.jpg", false, false, false},
        {u"D:\\Pictures", u"d:\\Other\\Picture0007.jpg", false, false, false},
        {u"E:\\Pictures", u"D:\\Pictures\\Picture0007.jpg", false, false, false},
        {u"E:\\Pictures", u"E:\\Pictures\\Picture0007.jpg", true, true, true},
        // The folder as it stands: no other normalisation.
        {u"C:\\Users\\a\\Pictures", u"C:/Users/a/Pictures/Picture0001.jpg", false, true, true},
        {u"C:\\Users\\a\\Pictures\\", u"C:\\Users\\a\\Pictures\\\\Picture0001.jpg", true, true, true},
        {u"", u"\\\\Picture0001.jpg", false, false, false},
    };
    for (const Case& c : cases) {
        const std::u16string path = c.path, folder = c.folder;
        const std::string shown(path.begin(), path.end());
        const PathRule rule(folder, network);
        EXPECT_EQ(IsOwnPhoto(path, folder), c.own) << shown;
        EXPECT_EQ(rule.MayOpen(path), c.open) << shown;
        EXPECT_EQ(rule.MayLookFor(path), c.lookFor) << shown;
    }
    // Without a folder or a drive query (the default rule): local paths as they are.
    EXPECT_TRUE(PathRule().MayOpen(u"D:\\Pictures\\Picture0007.jpg"));
    EXPECT_FALSE(PathRule().MayOpen(u"\\\\srv\\Picture0007.jpg"));
}

TEST(PhotoFiles, ADrivesSystemNameTellsWhetherItLeadsToAShareOrToAnotherDrive) {
    using Kind = DriveTarget::Kind;
    struct Case {
        const char16_t* target;
        Kind kind;
        char16_t letter;
    } cases[] = {
        {u"\\Device\\HarddiskVolume3", Kind::Volume, 0},
        {u"\\??\\UNC\\server\\share\\folder", Kind::Network, 0},
        {u"\\??\\unc\\server\\share", Kind::Network, 0},
        {u"\\Device\\Mup\\server\\share", Kind::Network, 0},
        {u"\\Device\\LanmanRedirector\\;Z:000000000001a2b3\\server\\share", Kind::Network, 0},
        {u"\\??\\Z:\\Photos", Kind::Drive, u'Z'},
        {u"\\??\\c:\\", Kind::Drive, u'c'},
        {u"\\??\\Z:", Kind::Drive, u'Z'},
        {u"\\??\\C", Kind::Volume, 0},
        {u"\\??\\1:\\x", Kind::Volume, 0},
        {u"", Kind::Volume, 0},
    };
    for (const Case& c : cases) {
        const std::u16string target = c.target;
        const DriveTarget parsed = ParseDriveTarget(target);
        EXPECT_EQ(parsed.kind, c.kind) << std::string(target.begin(), target.end());
        if (c.kind == Kind::Drive) EXPECT_EQ(parsed.letter, c.letter) << std::string(target.begin(), target.end());
    }
}
