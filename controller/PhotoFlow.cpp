// A photo in three steps, none of which waits on the user-interface thread: TakePhoto asks
// the preview for a frame; OnSnapshot, on the effect filter's thread, copies it and queues
// its store (PhotoStore.h) on the hand-off's storing thread; once it is stored, this window
// lists it, saves the list and tells the camera window. A frame that does not come within
// kFrameTime ends its request at the frame timer.
#include <cwchar>
#include <memory>

#include "app/Tesk60App.h"
#include "controller/CapturedItemWin.h"
#include "controller/PhotoFiles.h"
#include "controller/PhotoStore.h"
#include "controller/TeskWin.h"
#include "framework/Trace.h"
#include "window/CameraView.h"

namespace {
// How long a requested frame may take to arrive; a running preview delivers one within a
// frame time or two.
constexpr PhotoHandOff::Duration kFrameTime{10000};
// When the frame timer fired before the deadline the clock keeps, it looks again this soon.
constexpr UINT kFrameTimerRecheckMs = 50;
constexpr wchar_t kArea[] = L"photo";
}  // namespace

void CTeskWin::TakePhoto() {
    if (!m_photos) return;
    m_nCaptureKind = 2;
    const std::optional<uint32_t> request =
        m_photos->Begin(PhotoOrder{reinterpret_cast<const char16_t*>(m_szPhotoDir), m_nCaptureKind, m_nPictureNumber},
                        PhotoHandOff::Clock::now() + kFrameTime);
    if (!request) return;  // one awaits its frame already
    // No frame can come: no graph, or an effect filter that cannot hand one out.
    if (FAILED(m_lib.TakeSnapshot()) || !m_lib.CanTakeSnapshot()) {
        if (m_photos->Cancel()) PostMessage(WM_TESK_PHOTO_FRAME);
        return;
    }
    SetTimer(kFrameTimer, static_cast<UINT>(kFrameTime.count()));
}

void CTeskWin::OnSnapshot(int width, int height, const BYTE* pixels) {
    if (!m_photos) return;
    std::optional<PhotoHandOff::Taken> taken = m_photos->Take();
    if (!taken) return;  // nobody asked, or the request was withdrawn
    // The photo's own copy: the filter's buffer is free again at once, and a second photo
    // may be taken while this one is stored.
    const std::shared_ptr<CDib> frame = m_frames->Take();
    if (!frame || !frame->LoadFrame(width, height, pixels)) TraceFailure(kArea, L"copy the frame", E_OUTOFMEMORY);
    const SIZE thumbnail{m_nThumbWidth, m_nThumbHeight};
    m_photos->Queue(std::move(*taken), [frame, thumbnail](const PhotoOrder& order) {
        return frame ? StorePhoto(order, *frame, thumbnail) : PhotoResult{};
    });
}

LRESULT CTeskWin::OnPhotoFrameTaken(WPARAM, LPARAM) {
    EndFrameWait();
    return 0;
}

void CTeskWin::EndFrameWait() {
    if (!m_photos || m_photos->AwaitsFrame()) return;  // a later request's frame is still to come
    KillTimer(kFrameTimer);
    if (CameraView* view = TeskApp().View()) view->PhotoFrameEnded();
}

LRESULT CTeskWin::OnPhotoStored(WPARAM, LPARAM) {
    if (CollectStoredPhotos()) SaveSettings();
    if (CameraView* view = TeskApp().View()) view->PhotosStored();
    return 0;
}

bool CTeskWin::CollectStoredPhotos() {
    if (!m_photos) return false;
    bool listed = false;
    for (PhotoResult& result : m_photos->TakeFinished()) {
        if (result.number) m_nPictureNumber = photo_files::NextPictureNumber(*result.number);
        if (!result.item) continue;
        m_items.push_back(*result.item);
        std::wcsncpy(m_szCaptureFile, ItemPathW(*result.item).c_str(), MAX_PATH - 1);
        listed = true;
    }
    return listed;
}

void CTeskWin::FinishPhotos(PhotoHandOff::Duration bound) {
    if (!m_photos) return;
    KillTimer(kFrameTimer);
    m_photos->Cancel();
    if (!m_photos->WaitUntilStored(bound))
        TraceFailure(kArea, L"store a photo before the program ends (it stays unlisted)", E_FAIL);
    CollectStoredPhotos();
}

void CTeskWin::OnFrameTimer() {
    if (m_photos && m_photos->Expire(PhotoHandOff::Clock::now())) {
        TraceFailure(kArea, L"receive the frame (no photo)", E_FAIL);
        EndFrameWait();
    } else if (PhotoAwaitsFrame()) {
        SetTimer(kFrameTimer, kFrameTimerRecheckMs);
    } else {
        KillTimer(kFrameTimer);
    }
}
