// The media-type owner: deep copies and DeleteMediaType semantics.
#include "ComFakes.h"

#include <cstring>

namespace {

class MediaTypeTest : public ComTest {};

TEST_F(MediaTypeTest, CopyOwnsItsFormatBlockAndReferencesPUnk) {
    FakeUnknown* unk = world.Make<FakeUnknown>("pUnk");
    UniqueMediaType original = MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, 320, 240, 333333);
    unk->AddRef();  // the original's own reference
    original->pUnk = unk;
    {
        UniqueMediaType copy(CreateMediaTypeCopy(*original.Get()));
        ASSERT_TRUE(copy);
        EXPECT_EQ(unk->References(), 3u);
        ASSERT_EQ(copy->cbFormat, original->cbFormat);
        EXPECT_NE(copy->pbFormat, original->pbFormat);
        EXPECT_EQ(std::memcmp(copy->pbFormat, original->pbFormat, copy->cbFormat), 0);
        EXPECT_TRUE(IsEqualGUID(copy->subtype, MEDIASUBTYPE_YUY2));
        // Moving hands the one reference on; the moved-from owner frees nothing.
        UniqueMediaType moved(std::move(copy));
        EXPECT_FALSE(copy);
        EXPECT_EQ(unk->References(), 3u);
    }
    EXPECT_EQ(unk->References(), 2u);
    FreeMediaTypeContents(*original.Get());
    EXPECT_EQ(unk->References(), 1u);
    EXPECT_EQ(original->pbFormat, nullptr);
    EXPECT_EQ(original->cbFormat, 0u);
    EXPECT_EQ(original->pUnk, nullptr);
}

TEST_F(MediaTypeTest, TypeWithoutFormatBlockCopiesAndBitmapHeaderNeedsAFullBlock) {
    AM_MEDIA_TYPE bare{};
    bare.majortype = MEDIATYPE_Video;
    bare.formattype = FORMAT_VideoInfo;
    UniqueMediaType copy(CreateMediaTypeCopy(bare));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->pbFormat, nullptr);
    EXPECT_EQ(VideoBitmapHeader(*copy.Get()), nullptr);

    UniqueMediaType info2 = MakeVideoType(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo2, 176, 144, 1);
    ASSERT_NE(VideoBitmapHeader(*info2.Get()), nullptr);
    EXPECT_EQ(VideoBitmapHeader(*info2.Get())->biWidth, 176);
    info2->cbFormat = sizeof(VIDEOINFOHEADER);  // shorter than VIDEOINFOHEADER2
    EXPECT_EQ(VideoBitmapHeader(*info2.Get()), nullptr);
    DeleteTaskMediaType(nullptr);
}

}  // namespace
