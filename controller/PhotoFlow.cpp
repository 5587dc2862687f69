// One photo: TakePhoto on the user-interface thread asks for a frame and waits; OnSnapshot,
// on the effect filter's thread, stores it as a numbered JPEG file and appends its item.
#include <cwchar>

#include "controller/CapturedItemWin.h"
#include "controller/TeskWin.h"
#include "controller/Thumbnail.h"
#include "framework/Handles.h"
#include "imaging/Dib.h"

namespace {
constexpr int kLastPictureNumber = 10000;
// The longest single wait for the done signal; the flag decides, the signal only wakes.
constexpr DWORD kWakeUpMs = 300;
// How long a requested frame may take to arrive; a running preview delivers one within a
// frame time or two.
constexpr ULONGLONG kFrameTimeoutMs = 10000;
// Once a frame is being stored, its files are written whatever it takes; this only bounds
// the wait should the disk hang.
constexpr ULONGLONG kStoreTimeoutMs = 120000;
constexpr int kJpegSetting = 140;
constexpr wchar_t kIntermediateJpeg[] = L"temp";

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
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE) return false;
    wchar_t beside[MAX_PATH + 8];
    if (std::swprintf(beside, MAX_PATH + 8, L"%ls.part", target) < 0) return false;
    if (!::CopyFileW(source, beside, FALSE) || !::MoveFileExW(beside, target, MOVEFILE_REPLACE_EXISTING)) {
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
    // A frame still being written from an earlier request owns the list and the name.
    if (m_capture.load(std::memory_order_acquire) != Capture::Idle) return;

    const int number = m_nPictureNumber;
    // A failed photo uses its number too. (>= rather than + 1 >: the stored number is taken
    // unchecked from the settings file and may be INT_MAX.)
    m_nPictureNumber = number >= kLastPictureNumber ? 1 : number + 1;
    // "%s\Picture%04d.jpg" of the Windows C library, where %s in a wide format is a wide
    // string; the standard library used here spells that %ls.
    const int length = std::swprintf(m_szCaptureFile, MAX_PATH, L"%ls\\Picture%04d.jpg", m_szPhotoDir, number);
    m_nCaptureKind = 2;
    m_bFrameDone.store(0, std::memory_order_relaxed);
    if (m_frameDone) ::ResetEvent(m_frameDone.Get());

    if (length > 0) {  // a name that does not fit: no photo, as for a missing folder
        m_capture.store(Capture::Requested, std::memory_order_release);
        if (SUCCEEDED(m_lib.TakeSnapshot()) && m_lib.CanTakeSnapshot()) {
            if (!WaitForFrame()) return;  // still being stored: the list is not ours to save
        } else {
            // No frame can come: no graph, or an effect filter that cannot hand one out.
            Capture requested = Capture::Requested;
            if (!m_capture.compare_exchange_strong(requested, Capture::Idle) && !WaitForFrame()) return;
        }
    }
    SaveSettings();
}

bool CTeskWin::WaitForFrame() {
    const ULONGLONG start = ::GetTickCount64();
    while (!m_bFrameDone.load(std::memory_order_acquire)) {
        const ULONGLONG waited = ::GetTickCount64() - start;
        if (waited >= kFrameTimeoutMs) {
            Capture requested = Capture::Requested;
            if (m_capture.compare_exchange_strong(requested, Capture::Idle)) return true;  // given up: list unchanged
            if (waited >= kFrameTimeoutMs + kStoreTimeoutMs) return false;
        }
        // Woken by OnSnapshot as soon as the photo is stored; without an event, poll.
        if (!m_frameDone || ::WaitForSingleObject(m_frameDone.Get(), kWakeUpMs) == WAIT_FAILED) ::Sleep(kWakeUpMs);
    }
    return true;
}

void CTeskWin::OnSnapshot(int width, int height, const BYTE* pixels) {
    Capture requested = Capture::Requested;
    if (!m_capture.compare_exchange_strong(requested, Capture::Storing, std::memory_order_acquire)) return;
    StorePhoto(width, height, pixels);
    m_capture.store(Capture::Idle, std::memory_order_relaxed);
    // Wake TakePhoto first: once the flag is set, TakePhoto may return and the window go away.
    if (m_frameDone) ::SetEvent(m_frameDone.Get());
    m_bFrameDone.store(1, std::memory_order_release);  // the last write: TakePhoto goes on
}

void CTeskWin::StorePhoto(int width, int height, const BYTE* pixels) {
    if (width > 0 && height > 0 && pixels) StoreFrame(width, height, pixels);

    // The bitmap becomes a JPEG under the same name. The bitmap is replaced in one step
    // and only by a finished JPEG: should any step fail, the photo stays as a bitmap.
    CDib dib;
    const bool written = dib.LoadBmpFile(m_szCaptureFile) && dib.SaveJpeg(kIntermediateJpeg, kJpegSetting);
    dib.Free();
    // SaveJpeg reports success once the file exists; only a whole JPEG may replace the bitmap.
    if (!written || !IsCompleteJpeg(kIntermediateJpeg) || !ReplaceWithinFolder(kIntermediateJpeg, m_szCaptureFile))
        ::DeleteFileW(kIntermediateJpeg);
}

bool CTeskWin::StoreFrame(int width, int height, const BYTE* pixels) {
    CapturedItem item = MakeEmptyItem();
    SetItemPath(item, m_szCaptureFile);
    item.kind = m_nCaptureKind;
    item.selected = 0;

    UniqueFile file(::CreateFileW(m_szCaptureFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return false;

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
    WriteAll(file.Get(), &fileHeader, sizeof(fileHeader));
    WriteAll(file.Get(), &header, sizeof(header));
    WriteAll(file.Get(), pixels, imageSize);
    file.Reset();

    UniqueBitmap thumbnail = MakeThumbnail(header, pixels, m_nThumbWidth, m_nThumbHeight);
    item.header = ToFrameHeader(header);
    const LONG thumbnailBytes = m_nThumbWidth * m_nThumbHeight * 4;
    if (thumbnail && thumbnailBytes <= static_cast<LONG>(sizeof(item.thumbnail)))
        ::GetBitmapBits(thumbnail.Get(), thumbnailBytes, item.thumbnail);
    m_items.push_back(item);
    return true;
}
