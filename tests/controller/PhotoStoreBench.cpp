// Cost of storing one photo as OnSnapshot and the storing thread do (the frame's copy, then
// the free name, bitmap file, thumbnail, item, JPEG, move) at 640 x 480 and 1280 x 1024.
// Runs under Wine in a private temporary folder; prints the median and the fastest of
// several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "controller/PhotoStore.h"

namespace {

// A camera-like frame: gradients, hard edges, texture and sensor noise; 32-bit bottom-up.
std::vector<BYTE> CameraLikeFrame(int width, int height) {
    std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 4);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28) - 8;
            const bool edge = ((x / 64) + (y / 48)) % 2 == 0;
            const int texture = ((x * 7) ^ (y * 13)) & 31;
            BYTE* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<BYTE>(std::clamp(x * 255 / width + grain, 0, 255));
            p[1] = static_cast<BYTE>(std::clamp((edge ? 180 : 60) + texture + grain, 0, 255));
            p[2] = static_cast<BYTE>(std::clamp(y * 255 / height + grain, 0, 255));
            p[3] = 0;
        }
    }
    return pixels;
}

double NowMs() {
    LARGE_INTEGER frequency, t;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"dh-photo-bench-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(folder.c_str(), nullptr) || !SetCurrentDirectoryW(folder.c_str())) {
        std::fprintf(stderr, "cannot create the benchmark folder\n");
        return 1;
    }
    const std::wstring photo = folder + L"\\Picture0001.jpg";
    const PhotoOrder order{std::u16string(folder.begin(), folder.end()), 2, 1};
    CDib copy;  // the photo's own copy of the frame, as OnSnapshot makes it

    int failures = 0;
    std::printf("a photo stored: OnSnapshot's copy of the frame (the camera's thread), then the storing thread's\n"
                "work; ms, median / min of 9, the first photo of each size apart\n");
    for (auto [width, height] : {std::pair{640, 480}, std::pair{1280, 1024}}) {
        const std::vector<BYTE> frame = CameraLikeFrame(width, height);
        std::vector<double> copies, stores;
        double first = 0;
        for (int run = 0; run < 10; ++run) {
            DeleteFileW(photo.c_str());  // a photo never replaces a file: the same number each run
            const double start = NowMs();
            const bool copied = copy.LoadFrame(width, height, frame.data());
            const double copiedAt = NowMs();
            const bool stored = copied && StorePhoto(order, copy, SIZE{80, 60}).item != nullptr;
            const double end = NowMs();
            if (!stored) ++failures;
            if (run == 0) {
                first = end - start;
                continue;
            }
            copies.push_back(copiedAt - start);
            stores.push_back(end - copiedAt);
        }
        std::sort(copies.begin(), copies.end());
        std::sort(stores.begin(), stores.end());
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(photo.c_str(), GetFileExInfoStandard, &data);
        std::printf("  %4d x %4d: copy %5.2f / %5.2f, store %6.2f / %6.2f, first photo %6.2f   (JPEG %lu bytes)\n",
                    width, height, copies[copies.size() / 2], copies.front(), stores[stores.size() / 2],
                    stores.front(), first, data.nFileSizeLow);
    }
    DeleteFileW(photo.c_str());
    SetCurrentDirectoryW(temp);
    RemoveDirectoryW(folder.c_str());
    return failures == 0 ? 0 : 1;
}
