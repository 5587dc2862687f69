#include "controller/PhotoStore.h"

#include <cwchar>

#include "controller/CapturedItemWin.h"
#include "controller/PhotoFiles.h"
#include "controller/Thumbnail.h"
#include "framework/Handles.h"
#include "framework/Trace.h"

namespace {
constexpr int kJpegSetting = 140;
constexpr wchar_t kIntermediateJpeg[] = L"temp";
constexpr wchar_t kArea[] = L"photo";

// True when `path` holds at least a JPEG's start and end markers.
bool IsCompleteJpeg(const wchar_t* path) {
    UniqueFile file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 4) return false;
    BYTE start[2], end[2];
    DWORD read = 0;
    if (!::ReadFile(file.Get(), start, 2, &read, nullptr) || read != 2) return false;
    LARGE_INTEGER tail;
    tail.QuadPart = size.QuadPart - 2;
    if (!::SetFilePointerEx(file.Get(), tail, nullptr, FILE_BEGIN)) return false;
    if (!::ReadFile(file.Get(), end, 2, &read, nullptr) || read != 2) return false;
    return start[0] == 0xFF && start[1] == 0xD8 && end[0] == 0xFF && end[1] == 0xD9;
}

// Puts `source` in the place of `target` so that `target` is either the old file or the
// whole new one: a rename where both lie on one volume; else a copy beside `target`,
// renamed over it. False when `target` was left as it was.
bool ReplaceWithinFolder(const wchar_t* source, const wchar_t* target) {
    if (::MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING)) return true;
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE) {
        TraceLastError(kArea, L"rename the JPEG over the bitmap");
        return false;
    }
    wchar_t beside[MAX_PATH + 8];
    if (std::swprintf(beside, MAX_PATH + 8, L"%ls.part", target) < 0) return false;
    if (!::CopyFileW(source, beside, FALSE) || !::MoveFileExW(beside, target, MOVEFILE_REPLACE_EXISTING)) {
        TraceLastError(kArea, L"copy the JPEG over the bitmap");
        ::DeleteFileW(beside);
        return false;
    }
    ::DeleteFileW(source);
    return true;
}

// "%s\Picture%04d.jpg" of the Windows C library, where %s in a wide format is a wide
// string; the standard library used here spells that %ls. False without a folder or when
// the whole name does not fit (swprintf returns the length the name would have).
bool FormPhotoName(const wchar_t* folder, int number, wchar_t (&name)[MAX_PATH]) {
    name[0] = L'\0';
    if (folder[0] == L'\0') return false;
    const int length = std::swprintf(name, MAX_PATH, L"%ls\\Picture%04d.jpg", folder, number);
    return length > 0 && length < MAX_PATH;
}

// Only "no such file" and "no such folder" make a name free: any other failure (access
// denied, a sharing violation, a network error) says nothing of whether the file is there.
photo_files::NameState ProbeName(const wchar_t* name) {
    if (::GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES) return photo_files::NameState::Taken;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return photo_files::NameState::Free;
    TraceLastError(kArea, L"look for the photo's name");
    return photo_files::NameState::Unknown;
}

// The picture's item: its path and kind, the frame's header and its thumbnail.
void MakeItem(const PhotoOrder& order, const wchar_t* path, const CDib& frame, SIZE thumbnailSize,
              CapturedItem& item) {
    item = MakeEmptyItem();
    SetItemPath(item, path);
    item.kind = order.kind;
    item.selected = 0;
    BITMAPINFOHEADER header = *frame.GetHeader();
    UniqueBitmap thumbnail = MakeThumbnail(header, frame.GetBits(), thumbnailSize.cx, thumbnailSize.cy);
    item.header = ToFrameHeader(header);
    const LONG thumbnailBytes = thumbnailSize.cx * thumbnailSize.cy * 4;
    if (thumbnail && thumbnailBytes > 0 && thumbnailBytes <= static_cast<LONG>(sizeof(item.thumbnail)))
        ::GetBitmapBits(thumbnail.Get(), thumbnailBytes, item.thumbnail);
}

// The same picture becomes a JPEG under the photo's name. The bitmap is replaced in one step
// and only by a finished JPEG: should any step fail, the photo stays a bitmap. From here the
// intermediate file is this photo's own; an unrelated file of that name is never deleted
// without being written first.
void TurnIntoJpeg(CDib& frame, const wchar_t* path) {
    const bool written = frame.SaveJpeg(kIntermediateJpeg, kJpegSetting);
    // SaveJpeg reports success once the file exists; only a whole JPEG may replace the bitmap.
    if (!written || !IsCompleteJpeg(kIntermediateJpeg)) {
        TraceFailure(kArea, L"write the JPEG (the photo stays a bitmap)", E_FAIL);
        ::DeleteFileW(kIntermediateJpeg);
    } else if (!ReplaceWithinFolder(kIntermediateJpeg, path)) {
        ::DeleteFileW(kIntermediateJpeg);
    }
}
}  // namespace

PhotoResult StorePhoto(const PhotoOrder& order, CDib& frame, SIZE thumbnail) {
    PhotoResult result;
    if (frame.IsEmpty()) return result;  // the frame could not be copied: no number is tried
    const std::wstring folder(order.folder.begin(), order.folder.end());

    // The first number whose file is not there, created new: an earlier photo is never
    // replaced, also when the list was lost, the numbers wrapped or files were copied in.
    wchar_t path[MAX_PATH];
    UniqueFile file;
    const photo_files::Claim claim = photo_files::ClaimPictureNumber(
        order.startNumber,
        [&](int number) {
            if (!FormPhotoName(folder.c_str(), number, path)) return photo_files::NameState::Unknown;
            return ProbeName(path);
        },
        [&](int number) {
            FormPhotoName(folder.c_str(), number, path);
            file.Reset(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file) return photo_files::Creation::Created;
            if (::GetLastError() == ERROR_FILE_EXISTS) return photo_files::Creation::Exists;
            TraceLastError(kArea, L"create the bitmap file");
            return photo_files::Creation::Failed;
        });
    switch (claim.outcome) {
    case photo_files::Claim::Outcome::AllTaken:
        TraceFailure(kArea, L"find a free photo name (a file exists for every number)", E_FAIL);
        return result;
    case photo_files::Claim::Outcome::Failed:
        result.number = claim.number;  // a failed photo uses up its number too
        return result;
    case photo_files::Claim::Outcome::Created:
        result.number = claim.number;
        break;
    }

    const bool whole = frame.WriteBmpFile(file.Get());
    if (!whole) TraceLastError(kArea, L"write the bitmap file");
    file.Reset();
    if (!whole) {  // a full disk, say: no photo, and no cut-off file under its name
        ::DeleteFileW(path);
        return result;
    }
    result.item = std::make_unique<CapturedItem>();
    MakeItem(order, path, frame, thumbnail, *result.item);
    TurnIntoJpeg(frame, path);
    return result;
}
