#pragma once
// The process-wide message texts, in the language of the system's default language.
// Filled once by SelectUiLanguage while the main window is created, read-only afterwards.
#include "text/UiTextTables.h"

// Entry n is text number n (for example UiText[7], the delete question).
extern wchar_t UiText[uitext::kTextCount][uitext::kTextRoom];
// The chosen language number 0 .. 12 (uitext::Language).
extern int UiLanguage;

// Picks the language from GetSystemDefaultLangID and fills UiText and UiLanguage.
void SelectUiLanguage();
