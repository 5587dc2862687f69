// The camera window under Wine with the virtual camera: a full repaint with six thumbnails
// at 100, 150 and 200 % (the window told of a move to a monitor of that DPI, as the system
// tells it), the time such a move takes, and the time from a click on the capture button
// until the new thumbnail is painted, at 640 x 480 and at "1.3M" (which restarts the
// preview twice), the program's messages dispatched meanwhile. Prints medians and minima.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "framework/Dpi.h"
#include "resources/resource.h"
#include "tests/components/support/ComponentWorld.h"
#include "tests/controller/ProgramInProcess.h"

namespace {

double NowMs() {
    LARGE_INTEGER frequency, t;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("  %-34s %8.2f / %8.2f ms (median / min of %zu)\n", what, times[times.size() / 2], times.front(),
                times.size());
}

}  // namespace

int main() {
    components_test::EffectDll().Register();
    components_test::CameraDll().Register();
    int failures = 0;
    {
        components_test::CameraSettings settings;
        program_test::ProgramInProcess program;
        if (!program.Start() || program.Main()->m_bNoVideo) {
            std::fprintf(stderr, "the camera program did not start with the virtual camera\n");
            return 1;
        }
        program.UsePrivatePhotoFolder();
        CTeskWin& controller = *program.Main();
        CTeskFrameWin& frame = *program.Frame();
        program_test::Pump(500);
        for (int i = 0; i < 6; ++i) program.TakePhoto();

        std::printf("camera window (Wine, virtual camera)\n");
        for (int dpi : {144, 192, 120, 96}) {
            std::vector<double> move;
            for (int round = 0; round < 5; ++round) {
                const int to = round % 2 ? 96 : dpi;
                SIZE size{};
                frame.SendMessage(kWmGetDpiScaledSize, to, reinterpret_cast<LPARAM>(&size));
                RECT suggested{0, 0, size.cx, size.cy};
                const double start = NowMs();
                frame.SendMessage(WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
                frame.UpdateWindow();
                if (to == dpi) move.push_back(NowMs() - start);
            }
            std::vector<double> repaint;
            for (int round = 0; round < 50; ++round) {
                const double start = NowMs();
                ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                repaint.push_back(NowMs() - start);
            }
            char what[64];
            std::snprintf(what, sizeof what, "to %d DPI, laid out and painted", dpi);
            Report(what, move);
            std::snprintf(what, sizeof what, "repaint with six thumbnails, %d DPI", dpi);
            Report(what, repaint);
        }

        for (int resolution : {1, 2}) {
            frame.SendMessage(WM_COMMAND, resolution == 1 ? ID_RESOLUTION_640X480 : ID_RESOLUTION_1280X1024);
            program_test::Pump(300);
            // The whole, and its first step: until the frame is copied (the button is on again).
            std::vector<double> clicks, frames;
            for (int round = 0; round < 10; ++round) {  // the first apart: it makes the storing thread
                const size_t before = controller.m_items.size();
                const double start = NowMs();
                double frameAt = 0;
                frame.CaptureButton()->SendMessage(BM_CLICK);
                const DWORD deadline = ::GetTickCount() + 10000;
                while (controller.m_items.size() == before && ::GetTickCount() < deadline) {
                    program_test::Pump(1);
                    if (!frameAt && frame.CaptureButton()->IsEnabledFlag()) frameAt = NowMs();
                }
                frame.UpdateWindow();
                if (round > 0) {
                    clicks.push_back(NowMs() - start);
                    frames.push_back((frameAt ? frameAt : NowMs()) - start);
                }
                if (controller.m_items.size() != before + 1) ++failures;
                program.WaitForPhotos();
                program_test::Pump(100 + 13 * round);  // clicks at every point of the frame interval
            }
            Report(resolution == 1 ? "click to thumbnail at 640x480" : "click to thumbnail at 1.3M", clicks);
            Report(resolution == 1 ? "  of which to the frame copied" : "  of which to the frame, restarted",
                   frames);
        }
        {  // the steps of a "1.3M" photo apart
            std::vector<double> up, toFrame, down;
            for (int round = 0; round < 9; ++round) {
                double t0 = NowMs();
                controller.RestartPreview(1280, 1024);
                double t1 = NowMs();
                controller.TakePhoto();
                while (controller.PhotoAwaitsFrame()) program_test::Pump(1);
                double t2 = NowMs();
                controller.RestartPreview(640, 480);
                double t3 = NowMs();
                up.push_back(t1 - t0);
                toFrame.push_back(t2 - t1);
                down.push_back(t3 - t2);
                program.WaitForPhotos();
            }
            Report("restart at 1280x1024", up);
            Report("first frame at 1280x1024", toFrame);
            Report("restart at 640x480", down);
        }
        program.Close();
    }
    components_test::CameraDll().Unregister();
    components_test::EffectDll().Unregister();
    if (failures) std::fprintf(stderr, "%d clicks took no photo\n", failures);
    return failures == 0 ? 0 : 1;
}
