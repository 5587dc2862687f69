// Cost of the settings save after one photo, by list length: the append path against a
// whole rewrite. Runs under Wine in a private temporary folder; prints one line per case.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "controller/CapturedItemWin.h"
#include "controller/SettingsFile.h"

namespace {

CapturedItem Photo(const std::wstring& folder, int number) {
    CapturedItem item = MakeEmptyItem();
    item.kind = 2;
    const std::wstring path = folder + L"\\Picture" + std::to_wstring(number) + L".jpg";
    SetItemPath(item, path.c_str());
    item.header = MakeFrameHeader(640, 480);
    for (size_t i = 0; i < 80 * 60 * 4; ++i) item.thumbnail[i] = static_cast<uint8_t>(i ^ number);
    return item;
}

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double median;
    double min;
};

Figures Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"dh-settings-bench-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create the benchmark folder\n");
        return 1;
    }
    const std::wstring path = folder + L"\\halvo.dat";
    int failures = 0;
    std::printf("settings save after one photo (ms: median / min; file flushed each time)\n");
    for (int count : {100, 1000, 5000}) {
        std::vector<CapturedItem> items;
        items.reserve(count + 40);
        for (int n = 1; n < count; ++n) items.push_back(Photo(folder, n));
        SettingsFile file(path);
        int32_t pictureNumber = count;
        failures += !file.Save(pictureNumber, items);

        const int appendRuns = 21;
        std::vector<double> appendTimes;
        for (int run = 0; run < appendRuns; ++run) {
            items.push_back(Photo(folder, pictureNumber));
            ++pictureNumber;
            const double start = NowMs();
            failures += !file.Save(pictureNumber, items);
            appendTimes.push_back(NowMs() - start);
            failures += !file.LastSaveAppended();
        }
        const int wholeRuns = count >= 5000 ? 3 : 5;
        std::vector<double> wholeTimes;
        for (int run = 0; run < wholeRuns; ++run) {
            const double start = NowMs();
            failures += !file.SaveWhole(pictureNumber, items);
            wholeTimes.push_back(NowMs() - start);
        }
        const Figures append = Summarise(appendTimes);
        const Figures whole = Summarise(wholeTimes);
        std::printf("  %5d items: append %8.2f / %8.2f   whole rewrite %9.2f / %9.2f\n", count, append.median,
                    append.min, whole.median, whole.min);
        std::fflush(stdout);
        DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder.c_str());
    if (failures) std::fprintf(stderr, "%d saves failed or missed the append path\n", failures);
    return failures ? 1 : 0;
}
