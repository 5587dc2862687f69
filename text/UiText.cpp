#include "text/UiText.h"

#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UiText holds UTF-16 texts");

wchar_t UiText[uitext::kTextCount][uitext::kTextRoom];
int UiLanguage = uitext::kEnglish;

void SelectUiLanguage() {
    UiLanguage = uitext::LanguageFromLangId(GetSystemDefaultLangID());
    uitext::FillTable(UiLanguage, UiText);
}
