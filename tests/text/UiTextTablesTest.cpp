#include "text/UiTextTables.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/text/ExpectedTexts.h"

using namespace uitext;
using uitext_test::Utf16;

namespace {

TEST(LanguageFromLangId, ChineseSublanguageOneIsTraditionalEveryOtherSimplified) {
    EXPECT_EQ(LanguageFromLangId(0x0404), kTraditionalChinese);
    for (uint16_t id : {0x0804, 0x0C04, 0x1004, 0x1404, 0x0004, 0x7C04})
        EXPECT_EQ(LanguageFromLangId(id), kSimplifiedChinese) << std::hex << id;
}

TEST(LanguageFromLangId, OnlyThePrimaryLanguageCountsElsewhere) {
    struct Case {
        uint16_t id;
        int language;
    };
    const Case cases[] = {
        {0x0407, kGerman},     {0x0C07, kGerman},    {0x0807, kGerman},     {0x040C, kFrench},
        {0x080C, kFrench},     {0x0410, kItalian},   {0x0416, kPortuguese}, {0x0816, kPortuguese},
        {0x040A, kSpanish},    {0x0C0A, kSpanish},   {0x0412, kKorean},     {0x0411, kJapanese},
        {0x0405, kCzech},      {0x041D, kSwedish},   {0x081D, kSwedish},    {0x040B, kFinnish},
        {0x0409, kEnglish},    {0x0809, kEnglish},   {0x0419, kEnglish},    {0x0000, kEnglish},
        {0xFFFF, kEnglish},    {0x0413, kEnglish},
    };
    for (const Case& c : cases) EXPECT_EQ(LanguageFromLangId(c.id), c.language) << std::hex << c.id;
}

TEST(UiTextVariants, TextsAreExactlyTheProductTextsInEveryLanguage) {
    for (const auto& row : uitext_test::kExpected) {
        EXPECT_EQ(std::u16string(TextOf(row.language, kTextDeleteSelected)), Utf16(row.text7))
            << "language " << row.language;
        EXPECT_EQ(std::u16string(TextOf(row.language, kTextCameraBusy)), Utf16(row.text65))
            << "language " << row.language;
        const int names[] = {kTextTakePhoto, kTextDeletePhotos, kTextPictureSize};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(std::u16string(TextOf(row.language, names[i])), Utf16(row.names[i]))
                << "language " << row.language << ", text " << names[i];
        EXPECT_EQ(std::u16string(TextOf(row.language, 9999)), u"") << "a number no table has";
    }
}

TEST(UiTextVariants, KoreanCzechSwedishFinnishShareTheEnglishTexts) {
    for (uint16_t id : {0x0412, 0x0405, 0x041D, 0x040B}) {
        const int language = LanguageFromLangId(id);
        EXPECT_NE(language, kEnglish);
        EXPECT_EQ(VariantOf(language).entries, VariantOf(kEnglish).entries) << std::hex << id;
    }
}

TEST(UiTextTable, FillCopiesTheChosenVariantAndEmptiesEveryOtherNumber) {
    char16_t table[kTextCount][kTextRoom];
    for (auto& entry : table) std::fill(std::begin(entry), std::end(entry), u'x');
    FillTable(kTraditionalChinese, table);
    EXPECT_EQ(std::u16string(table[7]), Utf16(u8"刪除所選擇的檔案?"));
    EXPECT_EQ(std::u16string(table[65]), Utf16(u8"網路攝影機忙碌"));
    for (int n = 0; n < kTextCount; ++n)
        if (n != 7 && n != 65 && (n < 10 || n > 12)) EXPECT_EQ(table[n][0], 0) << "text " << n;

    // Filling again with another language replaces every entry.
    FillTable(kGerman, table);
    EXPECT_EQ(std::u16string(table[65]), u"Kamera ist belegt");
}

TEST(UiTextTable, CopyIsBoundedToTheRoomWithATerminator) {
    const std::u16string longText(400, u'a');
    char16_t entry[kTextRoom + 1];
    entry[kTextRoom] = u'#';  // guard just past the room
    CopyBounded(longText.c_str(), entry, kTextRoom);
    EXPECT_EQ(std::u16string(entry).size(), kTextRoom - 1);
    EXPECT_EQ(entry[kTextRoom], u'#');

    char16_t small[4] = {u'#', u'#', u'#', u'#'};
    CopyBounded(u"abc", small, 4);
    EXPECT_EQ(std::u16string(small), u"abc");
    CopyBounded(u"abcdef", small, 1);
    EXPECT_EQ(small[0], 0);
}

}  // namespace
