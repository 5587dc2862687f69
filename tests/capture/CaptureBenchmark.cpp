// StartPreview to the first frame through the effect filter, and a restart at another size
// (CloseAll + SetVideoSize + StartPreview), with the virtual camera under Wine.
//   capture_benchmark.exe [rounds]
#include <cstdio>
#include <cstdlib>

#include "GraphTestSupport.h"
#include "VirtualCameraSupport.h"
#include "capture/TeskLib.h"
#include "framework/Handles.h"
#include "tests/components/support/ComponentWorld.h"

namespace {

// Milliseconds from StartPreview until the first snapshot arrives; -1 on failure.
double TimeToFirstFrame(TeskLib& lib, SignallingCallback& callback, int width, int height, bool restart) {
    callback.Reset();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (restart) lib.CloseAll();
    lib.SetVideoSize(width, height);
    if (FAILED(lib.StartPreview(&callback))) return -1;
    lib.TakeSnapshot();
    if (!callback.Wait(5000) || callback.width != width) return -1;
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
    ScopedCoInitialize com;
    components_test::EffectDll().Register();
    components_test::CameraDll().Register();
    int result = 1;
    {
        components_test::CameraSettings settings;
        TestWindow window;
        TeskLib lib;
        lib.EnumerateDevices();
        const int index = VirtualCameraIndex();
        lib.SetOwnerWindow(window.Get());
        lib.m_notifyMessage = WM_APP + 1;
        lib.SetVideoRect(0, 0, 320, 240);
        if (index >= 0 && SUCCEEDED(lib.SelectVideoDevice(index))) {
            SignallingCallback callback;
            result = 0;
            for (int round = 0; round < rounds; ++round) {
                lib.CloseAll();
                const double first = TimeToFirstFrame(lib, callback, 640, 480, false);
                const double restart = TimeToFirstFrame(lib, callback, 1280, 1024, true);
                std::printf("round %2d: StartPreview 640x480 -> first frame %7.1f ms; restart at 1280x1024 %7.1f ms\n",
                            round, first, restart);
                if (first < 0 || restart < 0) result = 1;
            }
        } else {
            std::printf("virtual camera not found\n");
        }
        lib.SelectVideoDevice(-1);
        lib.CloseAll();
    }
    components_test::CameraDll().Unregister();
    components_test::EffectDll().Unregister();
    return result;
}
