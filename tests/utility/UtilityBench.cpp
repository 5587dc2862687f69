// The camera button utility under Wine with the simulated driver: the registry reads of
// one poll, the time from a press of the snapshot button to the panel on screen, and the
// processor time the idle utility takes between polls.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "testworld/driver/SimulatedDriver.h"
#include "tests/support/ProgramUnderTest.h"
#include "utility/DriverRegistry.h"
#include "utility/WinRegistry.h"

namespace {

double NowMs() {
    LARGE_INTEGER frequency, t;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* what, std::vector<double> times, const char* unit = "ms") {
    std::sort(times.begin(), times.end());
    std::printf("  %-36s %9.3f / %9.3f %s (median / max of %zu)\n", what, times[times.size() / 2], times.back(), unit,
                times.size());
}

double ProcessorMs(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
    const auto ms = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

HWND VisiblePanel(DWORD processId) {
    HWND panel = e2e::FindTopLevelWindow(L"Camera Utility", processId);
    return panel && IsWindowVisible(panel) ? panel : nullptr;
}

}  // namespace

int main() {
    driver::RemoveAll();
    if (driver::Install(driver::Family::Uvc, {}) != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot install the simulated driver\n");
        return 1;
    }
    std::printf("camera button utility (Wine, simulated driver)\n");

    // One tick's registry reads, as the poll makes them while the button is up.
    utility::WinRegistry registry;
    utility::DetectedDriver detected = utility::DetectDriver(registry);
    std::vector<double> polls;
    for (int round = 0; round < 2000; ++round) {
        const double start = NowMs();
        if (utility::HasInstanceIndex(detected.key.get())) {
            const int selection = utility::ReadDisplaySelection(detected.key.get());
            if (selection == 0 || selection == 1) utility::IsSnapshotActive(registry, detected.key.get());
        }
        utility::IsSnapshotActive(registry, detected.key.get());
        utility::HasDisplaySelection(detected.key.get());
        polls.push_back(NowMs() - start);
    }
    Report("one poll's registry reads", polls);

    int failures = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    auto program = e2e::ProgramUnderTest::Start(L"DelmHalvoUVC.exe", temp);
    if (!program) return 1;
    Sleep(1000);
    const double startup = ProcessorMs(program->ProcessHandle());
    std::printf("  %-36s %9.1f ms\n", "processor time to start", startup);
    std::vector<double> opens;
    for (int round = 0; round < 10; ++round) {
        const double start = NowMs();
        driver::SetSnapshotState(driver::kPressedState);
        const bool opened = e2e::WaitUntil([&] { return VisiblePanel(program->ProcessId()) != nullptr; }, 3000, 2);
        if (opened) opens.push_back(NowMs() - start); else ++failures;
        driver::SetSnapshotState(driver::kReleasedState);
        e2e::WaitUntil([&] { return VisiblePanel(program->ProcessId()) == nullptr; }, 3000);
        Sleep(300);
    }
    if (!opens.empty()) Report("press to panel on screen", opens);

    // Idle: polling with the button up.
    const double before = ProcessorMs(program->ProcessHandle());
    Sleep(10000);
    const double idle = ProcessorMs(program->ProcessHandle()) - before;
    std::printf("  %-36s %9.1f ms over 10 s (%.2f %% of one core)\n", "processor time while idle", idle, idle / 100.0);

    program->Terminate();
    driver::RemoveAll();
    return failures == 0 ? 0 : 1;
}
