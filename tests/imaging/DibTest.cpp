// CDib under Wine: loading BMP files, and SaveJpeg driving a recording compressor (call
// order and arguments) and the real JAPI2.dll (a JPEG file of the right size).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Handles.h"
#include "imaging/Dib.h"
#include "tests/imaging/BmpBuilder.h"
#include "tests/imaging/WinFiles.h"

namespace {

using namespace imaging_test;

// A stand-in compressor that records every call; it writes nothing.
struct Call {
    std::string name;
    JAPI2_COMPRESSOR compressor = nullptr;
    HANDLE file = nullptr;
    int a = 0, b = 0, c = 0;
    std::vector<uint8_t> row;
};
std::vector<Call> g_calls;
int g_rowBytes = 0;
const JAPI2_COMPRESSOR kFakeHandle = reinterpret_cast<JAPI2_COMPRESSOR>(0x1234);

int JAPI2_CALL FakeInit(JAPI2_COMPRESSOR* out, int options) {
    g_calls.push_back({"init", nullptr, nullptr, options});
    *out = kFakeHandle;
    return 1;
}
int JAPI2_CALL FakeStart(JAPI2_COMPRESSOR c, void* file, int setting, int width, int height) {
    g_calls.push_back({"start", c, static_cast<HANDLE>(file), setting, width, height});
    g_rowBytes = width * 3;
    return 1;
}
int JAPI2_CALL FakeLine(JAPI2_COMPRESSOR c, int row, const unsigned char* bgr) {
    g_calls.push_back({"line", c, nullptr, row, 0, 0, std::vector<uint8_t>(bgr, bgr + g_rowBytes)});
    return 1;
}
int JAPI2_CALL FakeEnd(JAPI2_COMPRESSOR c) {
    g_calls.push_back({"end", c});
    return 1;
}
int JAPI2_CALL FakeClose(JAPI2_COMPRESSOR c) {
    g_calls.push_back({"close", c});
    return 1;
}
const JpegCompressorCalls kRecorder = {FakeInit, FakeStart, FakeLine, FakeEnd, FakeClose};

class DibTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        m_folder = FreshFolder(L"dib");
    }
    void TearDown() override { m_dib.Free(); }
    std::wstring Path(const wchar_t* name) const { return m_folder + L"\\" + name; }
    std::wstring Bmp(const wchar_t* name, const std::vector<uint8_t>& bytes) {
        const std::wstring path = Path(name);
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }

    std::wstring m_folder;
    CDib m_dib;
};

TEST_F(DibTest, LoadsTheWholeFileBehindTheFileHeader) {
    const auto file = MakeBmpFile(31, 9, 32, PositionPixel);
    ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"a.bmp", file).c_str()), 1);
    const BITMAPINFOHEADER* header = m_dib.GetHeader();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 31);
    EXPECT_EQ(header->biHeight, 9);
    EXPECT_EQ(header->biBitCount, 32);
    EXPECT_EQ(m_dib.GetColorCount(), 0);
    EXPECT_EQ(m_dib.GetColorTableSize(), 0);
    ASSERT_EQ(m_dib.GetBits(), reinterpret_cast<const unsigned char*>(header) + 40);
    EXPECT_EQ(0, memcmp(m_dib.GetBits(), file.data() + 54, file.size() - 54));
    // The block is the file length: data behind the file header, then 14 spare zero bytes.
    const unsigned char* end = reinterpret_cast<const unsigned char*>(header) + file.size() - 14;
    for (int i = 0; i < 14; ++i) EXPECT_EQ(end[i], 0);
}

TEST_F(DibTest, ColourTableSitsBetweenHeaderAndRows) {
    auto file = MakeBmpFile(4, 2, 8, [](int, int) { return Bgr{}; });
    file.insert(file.begin() + 54, 1024, 0x11);  // 256 colours
    ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"p.bmp", file).c_str()), 1);
    EXPECT_EQ(m_dib.GetColorCount(), 256);
    EXPECT_EQ(m_dib.GetColorTableSize(), 1024);
    EXPECT_EQ(m_dib.GetBits() - reinterpret_cast<unsigned char*>(m_dib.GetHeader()), 40 + 1024);
}

TEST_F(DibTest, RefusesBadFilesAndLeavesTheBufferEmpty) {
    const auto good = MakeBmpFile(16, 16, 32, PositionPixel);
    auto notBm = good;
    notBm[0] = 'M';
    notBm[1] = 'B';
    const std::vector<uint8_t> shortHeader(good.begin(), good.begin() + 10);
    const std::vector<uint8_t> shortInfo(good.begin(), good.begin() + 14 + 20);
    const std::vector<uint8_t> truncated(good.begin(), good.end() - 4);
    const std::pair<const wchar_t*, const std::vector<uint8_t>*> cases[] = {
        {L"notbm.bmp", &notBm}, {L"short.bmp", &shortHeader}, {L"info.bmp", &shortInfo}, {L"cut.bmp", &truncated}};
    for (const auto& [name, bytes] : cases) {
        ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"good.bmp", good).c_str()), 1);
        EXPECT_EQ(m_dib.LoadBmpFile(Bmp(name, *bytes).c_str()), 0);
        EXPECT_TRUE(m_dib.IsEmpty());
        EXPECT_EQ(m_dib.GetHeader(), nullptr);
        EXPECT_FALSE(m_dib.SaveJpeg(Path(L"out.jpg").c_str(), 140, kRecorder));
    }
    EXPECT_EQ(m_dib.LoadBmpFile(Path(L"missing.bmp").c_str()), 0);
    EXPECT_TRUE(m_dib.IsEmpty());
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(FileExists(Path(L"out.jpg")));
}

// A camera frame in memory becomes the same bitmap file a BMP of it is, which loads back
// as it was; a frame that fits the block already is copied into it.
TEST_F(DibTest, AFrameIsWrittenAsTheBitmapFileOfItsPixels) {
    const auto file = MakeBmpFile(7, 3, 32, PositionPixel);
    std::vector<uint8_t> pixels(file.begin() + 54, file.end());
    for (const auto& [width, height] : {std::pair{7, 3}, std::pair{3, 7}, std::pair{7, 3}}) {
        ASSERT_TRUE(m_dib.LoadFrame(width, height, pixels.data()));
        const std::wstring path = Path(L"frame.bmp");
        {
            UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            ASSERT_TRUE(m_dib.WriteBmpFile(out.Get()));
        }
        auto written = ReadWholeFile(path);
        ASSERT_EQ(written.size(), file.size());
        EXPECT_EQ(written[18], width);
        EXPECT_EQ(written[22], height);
        EXPECT_EQ(std::vector<uint8_t>(written.begin() + 54, written.end()), pixels) << width << "x" << height;
        ASSERT_EQ(m_dib.LoadBmpFile(path.c_str()), 1);
        EXPECT_EQ(m_dib.GetHeader()->biSizeImage, 7u * 3u * 4u);
    }
    for (const auto& [width, height] : {std::pair{0, 3}, std::pair{3, -1}, std::pair{65536, 65536}}) {
        EXPECT_FALSE(m_dib.LoadFrame(width, height, pixels.data())) << width << "x" << height;
        EXPECT_TRUE(m_dib.IsEmpty());
    }
    EXPECT_FALSE(m_dib.WriteBmpFile(INVALID_HANDLE_VALUE));
}

TEST_F(DibTest, ThirtyTwoBitPictureIsHandedOverTopRowFirstInOrder) {
    ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"vga.bmp", MakeBmpFile(640, 480, 32, PositionPixel)).c_str()), 1);
    const std::wstring out = Path(L"temp");
    ASSERT_TRUE(m_dib.SaveJpeg(out.c_str(), 140, kRecorder));

    ASSERT_EQ(g_calls.size(), 2u + 480u + 2u);
    EXPECT_EQ(g_calls[0].name, "init");
    EXPECT_EQ(g_calls[0].a, 0);
    const Call& start = g_calls[1];
    EXPECT_EQ(start.name, "start");
    EXPECT_EQ(start.compressor, kFakeHandle);
    EXPECT_NE(start.file, nullptr);
    EXPECT_NE(start.file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(start.a, 140);
    EXPECT_EQ(start.b, 640);
    EXPECT_EQ(start.c, 480);
    for (int i = 0; i < 480; ++i) {
        const Call& line = g_calls[2 + i];
        ASSERT_EQ(line.name, "line");
        EXPECT_EQ(line.compressor, kFakeHandle);
        ASSERT_EQ(line.a, i);
        for (int x = 0; x < 640; x += 53) {
            const Bgr want = PositionPixel(x, i);
            ASSERT_EQ(line.row[3 * x], want.b) << "row " << i << " x " << x;
            ASSERT_EQ(line.row[3 * x + 1], want.g);
            ASSERT_EQ(line.row[3 * x + 2], want.r);
        }
    }
    EXPECT_EQ(g_calls[482].name, "end");
    EXPECT_EQ(g_calls[483].name, "close");
    EXPECT_EQ(g_calls[483].compressor, kFakeHandle);
    // Created, and closed again: it can be opened without sharing and deleted.
    EXPECT_TRUE(FileExists(out));
    EXPECT_TRUE(DeleteFileW(out.c_str()));
}

TEST_F(DibTest, TwentyFourBitRowsArePaddedStridesHandedOverUnchanged) {
    ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"odd.bmp", MakeBmpFile(5, 3, 24, PositionPixel)).c_str()), 1);
    ASSERT_TRUE(m_dib.SaveJpeg(Path(L"odd.jpg").c_str(), 140, kRecorder));
    ASSERT_EQ(g_calls.size(), 7u);
    for (int i = 0; i < 3; ++i)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(g_calls[2 + i].row[3 * x + 1], PositionPixel(x, i).g);
}

TEST_F(DibTest, HeightZeroRunsEveryCallButNoLine) {
    ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"flat.bmp", MakeBmpFile(64, 0, 32, PositionPixel)).c_str()), 1);
    ASSERT_TRUE(m_dib.SaveJpeg(Path(L"flat.jpg").c_str(), 140, kRecorder));
    std::vector<std::string> names;
    for (const Call& c : g_calls) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"init", "start", "end", "close"}));
}

TEST_F(DibTest, MissingFolderOrEmptyBufferGivesFalseAndNoCall) {
    EXPECT_FALSE(m_dib.SaveJpeg(Path(L"out.jpg").c_str(), 140, kRecorder));
    EXPECT_FALSE(FileExists(Path(L"out.jpg")));
    ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"a.bmp", MakeBmpFile(8, 8, 32, PositionPixel)).c_str()), 1);
    EXPECT_FALSE(m_dib.SaveJpeg(Path(L"no such folder\\temp").c_str(), 140, kRecorder));
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(DibTest, HeaderThatDoesNotMatchTheDataCreatesNoFile) {
    struct Case {
        const char* what;
        void (*edit)(BITMAPINFOHEADER&);
    };
    const Case cases[] = {
        {"wider", [](BITMAPINFOHEADER& h) { h.biWidth = 5000; }},
        {"taller", [](BITMAPINFOHEADER& h) { h.biHeight = 5000; }},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -8; }},
        {"top-down", [](BITMAPINFOHEADER& h) { h.biHeight = -8; }},
        {"8 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 8; }},
        {"large colour table", [](BITMAPINFOHEADER& h) { h.biClrUsed = 4000; }},
        {"large header", [](BITMAPINFOHEADER& h) { h.biSize = 100000; }},
    };
    const std::wstring out = Path(L"bad.jpg");
    for (const Case& c : cases) {
        ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"a.bmp", MakeBmpFile(8, 8, 32, PositionPixel)).c_str()), 1);
        c.edit(*m_dib.GetHeader());
        EXPECT_FALSE(m_dib.SaveJpeg(out.c_str(), 140, kRecorder)) << c.what;
        EXPECT_FALSE(FileExists(out)) << c.what;
    }
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(DibTest, RealCompressorWritesAJpegOfThePictureSize) {
    ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"vga.bmp", MakeBmpFile(640, 480, 32, PositionPixel)).c_str()), 1);
    const std::wstring out = Path(L"temp");
    ASSERT_TRUE(m_dib.SaveJpeg(out.c_str(), 140));
    const JpegFrame frame = ParseJpegFrame(ReadWholeFile(out));
    ASSERT_TRUE(frame.found);
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    EXPECT_EQ(frame.components, 3);
    EXPECT_TRUE(frame.endsWithEoi);
    EXPECT_TRUE(DeleteFileW(out.c_str()));
}

TEST_F(DibTest, RealCompressorLeavesAnEmptyFileForHeightZero) {
    ASSERT_EQ(m_dib.LoadBmpFile(Bmp(L"flat.bmp", MakeBmpFile(64, 0, 32, PositionPixel)).c_str()), 1);
    const std::wstring out = Path(L"flat.jpg");
    ASSERT_TRUE(m_dib.SaveJpeg(out.c_str(), 140));
    EXPECT_TRUE(FileExists(out));
    EXPECT_TRUE(ReadWholeFile(out).empty());
}

}  // namespace
