// One photo: TakePhoto on the user-interface thread asks for a frame and waits; OnSnapshot,
// on the effect filter's thread, stores it as a numbered JPEG file and hands its item over
// (PhotoHandOff), which TakePhoto appends.
#include <cwchar>
#include <memory>

#include "controller/CapturedItemWin.h"
#include "controller/TeskWin.h"
#include "controller/Thumbnail.h"
#include "framework/Handles.h"
#include "framework/Trace.h"
#include "imaging/Dib.h"

namespace {
constexpr int kLastPictureNumber = 10000;
// How long a requested frame may take to arrive; a running preview delivers one within a
// frame time or two.
constexpr PhotoHandOff::Duration kFrameTime{10000};
// Once a frame is being stored, its files are written whatever it takes; this only bounds
// the wait should the disk hang.
constexpr PhotoHandOff::Duration kStoreTime{120000};
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

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}
}  // namespace

void CTeskWin::TakePhoto() {
    CollectLatePhoto();
    const std::optional<uint32_t> request = m_photo.Begin();
    if (!request) return;  // a frame from an earlier request is still being stored

    const int number = m_nPictureNumber;
    // A failed photo uses its number too. (>= rather than + 1 >: the stored number is taken
    // unchecked from the settings file and may be INT_MAX.)
    m_nPictureNumber = number >= kLastPictureNumber ? 1 : number + 1;
    // "%s\Picture%04d.jpg" of the Windows C library, where %s in a wide format is a wide
    // string; the standard library used here spells that %ls. It returns the length the
    // whole name would have, also when it had to cut it.
    const int length = std::swprintf(m_szCaptureFile, MAX_PATH, L"%ls\\Picture%04d.jpg", m_szPhotoDir, number);
    m_nCaptureKind = 2;

    // No folder (it could not be found) or a name that does not fit: no photo.
    const bool named = m_szPhotoDir[0] != L'\0' && length > 0 && length < MAX_PATH;
    // No frame can come: no graph, or an effect filter that cannot hand one out.
    const bool frameCanCome = named && SUCCEEDED(m_lib.TakeSnapshot()) && m_lib.CanTakeSnapshot();
    if (!frameCanCome && m_photo.Cancel(*request)) {
        SaveSettings();
        return;
    }
    std::unique_ptr<CapturedItem> item;
    switch (m_photo.Wait(*request, kFrameTime, kStoreTime, item)) {
    case PhotoHandOff::Outcome::Stored:
        m_items.push_back(*item);
        break;
    case PhotoHandOff::Outcome::NoFrame:
        break;
    case PhotoHandOff::Outcome::Failed:        // the bitmap could not be written: nothing to save
    case PhotoHandOff::Outcome::StillStoring:  // it joins the list once stored
        return;
    }
    SaveSettings();
}

bool CTeskWin::CollectLatePhoto() {
    std::unique_ptr<CapturedItem> late = m_photo.TakeLateItem();
    if (!late) return false;
    m_items.push_back(*late);
    return true;
}

void CTeskWin::OnSnapshot(int width, int height, const BYTE* pixels) {
    const std::optional<uint32_t> request = m_photo.Take();
    if (!request) return;  // nobody asked, or TakePhoto gave up already
    auto item = std::make_unique<CapturedItem>();
    const bool stored = StorePhoto(width, height, pixels, *item);
    m_photo.Finish(*request, stored ? std::move(item) : nullptr);  // the last touch of this object
}

bool CTeskWin::StorePhoto(int width, int height, const BYTE* pixels, CapturedItem& item) {
    if (width <= 0 || height <= 0 || !pixels || !StoreFrame(width, height, pixels, item)) return false;

    // The bitmap becomes a JPEG under the same name. The bitmap is replaced in one step
    // and only by a finished JPEG: should any step fail, the photo stays as a bitmap.
    CDib dib;
    if (!dib.LoadBmpFile(m_szCaptureFile)) {
        TraceFailure(kArea, L"read the bitmap back (the photo stays a bitmap)", E_FAIL);
        return true;
    }
    // From here the intermediate file is this photo's own; an unrelated file of that name
    // is never deleted without being written first.
    const bool written = dib.SaveJpeg(kIntermediateJpeg, kJpegSetting);
    dib.Free();
    // SaveJpeg reports success once the file exists; only a whole JPEG may replace the bitmap.
    if (!written || !IsCompleteJpeg(kIntermediateJpeg)) {
        TraceFailure(kArea, L"write the JPEG (the photo stays a bitmap)", E_FAIL);
        ::DeleteFileW(kIntermediateJpeg);
    } else if (!ReplaceWithinFolder(kIntermediateJpeg, m_szCaptureFile)) {
        ::DeleteFileW(kIntermediateJpeg);
    }
    return true;
}

bool CTeskWin::StoreFrame(int width, int height, const BYTE* pixels, CapturedItem& item) {
    item = MakeEmptyItem();
    SetItemPath(item, m_szCaptureFile);
    item.kind = m_nCaptureKind;
    item.selected = 0;

    const DWORD imageSize = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfSize = imageSize + 54;
    fileHeader.bfOffBits = 54;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // positive: bottom-up, as the pixels arrive
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = imageSize;

    UniqueFile file(::CreateFileW(m_szCaptureFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) {
        TraceLastError(kArea, L"create the bitmap file");
        return false;
    }
    const bool whole = WriteAll(file.Get(), &fileHeader, sizeof(fileHeader)) &&
                       WriteAll(file.Get(), &header, sizeof(header)) && WriteAll(file.Get(), pixels, imageSize);
    if (!whole) TraceLastError(kArea, L"write the bitmap file");
    file.Reset();
    if (!whole) {  // a full disk, say: no photo, and no cut-off file under its name
        ::DeleteFileW(m_szCaptureFile);
        return false;
    }

    UniqueBitmap thumbnail = MakeThumbnail(header, pixels, m_nThumbWidth, m_nThumbHeight);
    item.header = ToFrameHeader(header);
    const LONG thumbnailBytes = m_nThumbWidth * m_nThumbHeight * 4;
    if (thumbnail && thumbnailBytes <= static_cast<LONG>(sizeof(item.thumbnail)))
        ::GetBitmapBits(thumbnail.Get(), thumbnailBytes, item.thumbnail);
    return true;
}
