// One photo: TakePhoto on the user-interface thread names a new file and asks for a frame
// and waits; OnSnapshot, on the effect filter's thread, copies the frame for the storing
// thread, which stores it as a numbered JPEG file and hands its item over (PhotoHandOff);
// TakePhoto appends it.
#include <cwchar>
#include <memory>

#include "controller/CapturedItemWin.h"
#include "controller/PhotoFiles.h"
#include "controller/TeskWin.h"
#include "controller/Thumbnail.h"
#include "framework/Handles.h"
#include "framework/Trace.h"
#include "imaging/Dib.h"

namespace {
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

// "%s\Picture%04d.jpg" of the Windows C library, where %s in a wide format is a wide
// string; the standard library used here spells that %ls. False without a folder or when
// the whole name does not fit (swprintf returns the length the name would have).
bool FormPhotoName(const wchar_t* folder, int number, wchar_t (&name)[MAX_PATH]) {
    name[0] = L'\0';
    if (folder[0] == L'\0') return false;
    const int length = std::swprintf(name, MAX_PATH, L"%ls\\Picture%04d.jpg", folder, number);
    return length > 0 && length < MAX_PATH;
}

}  // namespace

void CTeskWin::TakePhoto() {
    CollectLatePhoto();
    // The next number whose file is not there: an earlier photo is never replaced, also when
    // the list was lost, the numbers wrapped or files were copied in.
    const std::optional<int> number = photo_files::FindFreePictureNumber(m_nPictureNumber, [this](int n) {
        wchar_t name[MAX_PATH];
        return FormPhotoName(m_szPhotoDir, n, name) && ::GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
    });
    if (!number) {
        TraceFailure(kArea, L"find a free photo name (a file exists for every number)", E_FAIL);
        return;  // no photo, and nothing is written
    }
    // No folder (it could not be found) or a name that does not fit: no photo.
    const bool named = FormPhotoName(m_szPhotoDir, *number, m_szCaptureFile);
    m_nCaptureKind = 2;
    const std::optional<uint32_t> request =
        m_photo.Begin(PhotoOrder{reinterpret_cast<const char16_t*>(m_szCaptureFile), m_nCaptureKind});
    if (!request) return;  // a frame from an earlier request is still being stored
    m_nPictureNumber = photo_files::NextPictureNumber(*number);  // a failed photo uses its number too

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
    const std::optional<PhotoHandOff::Taken> taken = m_photo.Take();
    if (!taken) return;  // nobody asked, or TakePhoto gave up already
    // The frame is copied here and stored on the storing thread: the filter's buffer is free
    // again at once, so that a preview restart never waits for the disk.
    if (!m_frame.LoadFrame(width, height, pixels)) TraceFailure(kArea, L"copy the frame", E_OUTOFMEMORY);
    m_photo.StoreInBackground(*taken, [this](const PhotoOrder& order) {
        auto item = std::make_unique<CapturedItem>();
        if (!StorePhoto(order, m_frame, *item)) item.reset();
        return item;
    });
}

bool CTeskWin::StorePhoto(const PhotoOrder& order, CDib& frame, CapturedItem& item) {
    const wchar_t* path = reinterpret_cast<const wchar_t*>(order.path.c_str());
    if (frame.IsEmpty() || !StoreFrame(order, path, frame, item)) return false;

    // The same picture becomes a JPEG under the same name. The bitmap is replaced in one
    // step and only by a finished JPEG: should any step fail, the photo stays as a bitmap.
    // From here the intermediate file is this photo's own; an unrelated file of that name
    // is never deleted without being written first.
    const bool written = frame.SaveJpeg(kIntermediateJpeg, kJpegSetting);
    // SaveJpeg reports success once the file exists; only a whole JPEG may replace the bitmap.
    if (!written || !IsCompleteJpeg(kIntermediateJpeg)) {
        TraceFailure(kArea, L"write the JPEG (the photo stays a bitmap)", E_FAIL);
        ::DeleteFileW(kIntermediateJpeg);
    } else if (!ReplaceWithinFolder(kIntermediateJpeg, path)) {
        ::DeleteFileW(kIntermediateJpeg);
    }
    return true;
}

bool CTeskWin::StoreFrame(const PhotoOrder& order, const wchar_t* path, const CDib& frame, CapturedItem& item) {
    item = MakeEmptyItem();
    SetItemPath(item, order.path.c_str());
    item.kind = order.kind;
    item.selected = 0;

    // A new file only: one that appeared under the name since TakePhoto chose it stays as it is.
    UniqueFile file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        TraceLastError(kArea, L"create the bitmap file");
        return false;
    }
    const bool whole = frame.WriteBmpFile(file.Get());
    if (!whole) TraceLastError(kArea, L"write the bitmap file");
    file.Reset();
    if (!whole) {  // a full disk, say: no photo, and no cut-off file under its name
        ::DeleteFileW(path);
        return false;
    }

    BITMAPINFOHEADER header = *frame.GetHeader();
    UniqueBitmap thumbnail = MakeThumbnail(header, frame.GetBits(), m_nThumbWidth, m_nThumbHeight);
    item.header = ToFrameHeader(header);
    const LONG thumbnailBytes = m_nThumbWidth * m_nThumbHeight * 4;
    if (thumbnail && thumbnailBytes <= static_cast<LONG>(sizeof(item.thumbnail)))
        ::GetBitmapBits(thumbnail.Get(), thumbnailBytes, item.thumbnail);
    return true;
}
