#include "text/UiText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/text/ExpectedTexts.h"

namespace {

std::wstring Wide(const char* utf8) {
    const std::u16string s = uitext_test::Utf16(utf8);
    return std::wstring(s.begin(), s.end());
}

// The test run sets Wine's language through LANG; whatever it is, the table must hold the
// texts of the language the system reports.
TEST(SelectUiLanguage, FillsTheTextsOfTheSystemDefaultLanguage) {
    SelectUiLanguage();
    const LANGID langId = GetSystemDefaultLangID();
    EXPECT_EQ(UiLanguage, uitext::LanguageFromLangId(langId)) << std::hex << langId;
    ASSERT_GE(UiLanguage, 0);
    ASSERT_LT(UiLanguage, uitext::kLanguageCount);
    const auto& expected = uitext_test::kExpected[UiLanguage];
    EXPECT_EQ(std::wstring(UiText[uitext::kTextCameraBusy]), Wide(expected.text65));
    EXPECT_EQ(std::wstring(UiText[uitext::kTextDeleteSelected]), Wide(expected.text7));
    EXPECT_EQ(UiText[0][0], L'\0');
}

// Runs started with a given LANG name the language they expect.
TEST(SelectUiLanguage, FollowsTheLanguageTheTestRunSet) {
    const char* expected = std::getenv("DH_EXPECTED_UI_LANGUAGE");
    if (!expected) GTEST_SKIP() << "no language set for this run";
    SelectUiLanguage();
    EXPECT_EQ(UiLanguage, std::atoi(expected)) << std::hex << GetSystemDefaultLangID();
}

}  // namespace
