// JAPI2.dll under Wine: its undecorated exports, and writing through the caller's handle.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/japi2/Japi2.h"
#include "components/japi2/JpegEncoder.h"
#include "framework/Handles.h"
#include "tests/imaging/WinFiles.h"

namespace {

using namespace imaging_test;

class Japi2DllTest : public ::testing::Test {
protected:
    void SetUp() override { m_folder = FreshFolder(L"japi2"); }
    UniqueFile Create(const wchar_t* name) {
        m_path = m_folder + L"\\" + name;
        return UniqueFile(CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    std::wstring m_folder, m_path;
};

std::vector<uint8_t> Gradient(int width, int y) {
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<uint8_t>(x);
        row[3 * x + 1] = static_cast<uint8_t>(y);
        row[3 * x + 2] = static_cast<uint8_t>(x + y);
    }
    return row;
}

TEST_F(Japi2DllTest, ExportsTheFiveCallsByTheirPlainNames) {
    UniqueModule dll(LoadLibraryW(L"JAPI2.dll"));
    ASSERT_TRUE(dll);
    for (const char* name : {"Init_JPEG_Compressor", "Start_JPEG_Compress", "Compress_One_Line", "End_JPEG_Compress",
                             "Close_JPEG_Compressor"})
        EXPECT_NE(GetProcAddress(dll.Get(), name), nullptr) << name;
}

TEST_F(Japi2DllTest, WritesAJpegThroughTheHandleAndLeavesItOpen) {
    UniqueFile file = Create(L"a.jpg");
    ASSERT_TRUE(file);
    JAPI2_COMPRESSOR c = nullptr;
    ASSERT_EQ(Init_JPEG_Compressor(&c, 0), 1);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(Start_JPEG_Compress(c, file.Get(), 140, 333, 77), 1);
    for (int y = 0; y < 77; ++y) EXPECT_EQ(Compress_One_Line(c, y, Gradient(333, y).data()), 1);
    EXPECT_EQ(End_JPEG_Compress(c), 1);
    EXPECT_EQ(Close_JPEG_Compressor(c), 1);

    // Still ours: the library wrote at the file position and did not close the handle.
    const DWORD end = SetFilePointer(file.Get(), 0, nullptr, FILE_CURRENT);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file.Get(), "", 0, &written, nullptr));
    file.Reset();
    const std::vector<uint8_t> bytes = ReadWholeFile(m_path);
    EXPECT_EQ(bytes.size(), end);
    const JpegFrame frame = ParseJpegFrame(bytes);
    ASSERT_TRUE(frame.found);
    EXPECT_EQ(frame.width, 333);
    EXPECT_EQ(frame.height, 77);
    EXPECT_TRUE(frame.endsWithEoi);
}

TEST_F(Japi2DllTest, EmptyPictureWritesNothingAndMissingRowsStillCompleteTheFile) {
    UniqueFile empty = Create(L"empty.jpg");
    JAPI2_COMPRESSOR c = nullptr;
    Init_JPEG_Compressor(&c, 0);
    EXPECT_EQ(Start_JPEG_Compress(c, empty.Get(), 140, 640, 0), 1);
    EXPECT_EQ(End_JPEG_Compress(c), 1);
    EXPECT_EQ(SetFilePointer(empty.Get(), 0, nullptr, FILE_END), 0u);

    // The same compressor serves a second picture; only 3 of 40 rows arrive.
    UniqueFile partial = Create(L"partial.jpg");
    EXPECT_EQ(Start_JPEG_Compress(c, partial.Get(), 140, 40, 40), 1);
    for (int y = 0; y < 3; ++y) Compress_One_Line(c, y, Gradient(40, y).data());
    EXPECT_EQ(End_JPEG_Compress(c), 1);
    Close_JPEG_Compressor(c);
    partial.Reset();
    const JpegFrame frame = ParseJpegFrame(ReadWholeFile(m_path));
    EXPECT_TRUE(frame.found);
    EXPECT_EQ(frame.height, 40);
    EXPECT_TRUE(frame.endsWithEoi);
}

TEST_F(Japi2DllTest, BadArgumentsFailWithoutHarm) {
    EXPECT_EQ(Init_JPEG_Compressor(nullptr, 0), 0);
    EXPECT_EQ(Start_JPEG_Compress(nullptr, nullptr, 140, 8, 8), 0);
    EXPECT_EQ(Compress_One_Line(nullptr, 0, nullptr), 0);
    EXPECT_EQ(End_JPEG_Compress(nullptr), 0);
    JAPI2_COMPRESSOR c = nullptr;
    ASSERT_EQ(Init_JPEG_Compressor(&c, 0), 1);
    EXPECT_EQ(Start_JPEG_Compress(c, INVALID_HANDLE_VALUE, 140, 8, 8), 0);
    EXPECT_EQ(Compress_One_Line(c, 0, Gradient(8, 0).data()), 0);
    EXPECT_EQ(End_JPEG_Compress(c), 0);
    UniqueFile file = Create(L"huge.jpg");
    EXPECT_EQ(Start_JPEG_Compress(c, file.Get(), 140, 70000, 8), 0);
    EXPECT_EQ(SetFilePointer(file.Get(), 0, nullptr, FILE_END), 0u);
    EXPECT_EQ(Close_JPEG_Compressor(c), 1);
}

TEST_F(Japi2DllTest, AFileThatCannotBeWrittenEndsInFailureNotACrash) {
    // Opened for reading only: every write fails.
    UniqueFile file = Create(L"ro.jpg");
    file.Reset();
    UniqueFile readOnly(CreateFileW(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(readOnly);
    JAPI2_COMPRESSOR c = nullptr;
    Init_JPEG_Compressor(&c, 0);
    Start_JPEG_Compress(c, readOnly.Get(), 140, 64, 64);
    for (int y = 0; y < 64; ++y) Compress_One_Line(c, y, Gradient(64, y).data());
    EXPECT_EQ(End_JPEG_Compress(c), 0);
    Close_JPEG_Compressor(c);
}

// The DLL is built by another compiler than the native tests: its kernel paths must agree
// with each other as well.
TEST(Japi2KernelPaths, EveryPathWritesIdenticalBytesInThisBuild) {
    struct Out {
        static bool Write(void* context, const uint8_t* data, size_t size) {
            auto* v = static_cast<std::vector<uint8_t>*>(context);
            v->insert(v->end(), data, data + size);
            return true;
        }
    };
    auto encode = [](japi2::KernelPath path, int w, int h, int quality) {
        std::vector<uint8_t> out;
        japi2::JpegEncoder encoder;
        encoder.Start(w, h, quality, Out::Write, &out, path);
        std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
        uint32_t noise = 12345;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w * 3; ++x) {
                noise = noise * 1103515245u + 12345u;
                row[x] = static_cast<uint8_t>(x / 3 + y * 2 + (noise >> 28));
            }
            encoder.AddRow(row.data());
        }
        encoder.Finish();
        return out;
    };
    for (int quality : {10, 93, 100}) {
        const auto reference = encode(japi2::KernelPath::Generic, 161, 97, quality);
        EXPECT_FALSE(reference.empty());
        EXPECT_EQ(encode(japi2::KernelPath::Portable, 161, 97, quality), reference) << quality;
        if (japi2::KernelPathSupported(japi2::KernelPath::Avx2)) {
            EXPECT_EQ(encode(japi2::KernelPath::Avx2, 161, 97, quality), reference) << quality;
        }
    }
}

}  // namespace
