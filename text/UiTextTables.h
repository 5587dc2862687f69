#pragma once
// The built-in message texts in every language variant and the choice of language from a
// language identifier. Platform-free: `SelectUiLanguage` (UiText.h) feeds it the system's
// default language and copies the chosen variant into `UiText`.
#include <cstddef>
#include <cstdint>

namespace uitext {

// `UiText` has one entry per text number 0 .. kTextCount - 1, each with room for 299
// characters and a terminator.
constexpr int kTextCount = 66;
constexpr size_t kTextRoom = 300;

// Text numbers the program shows.
constexpr int kTextDeleteSelected = 7;
constexpr int kTextCameraBusy = 65;
// Names a screen reader reads for the camera window's controls.
constexpr int kTextTakePhoto = 10;
constexpr int kTextDeletePhotos = 11;
constexpr int kTextPictureSize = 12;

// Language numbers (`UiLanguage`).
enum Language : int {
    kEnglish = 0,
    kGerman = 1,
    kFrench = 2,
    kItalian = 3,
    kPortuguese = 4,
    kSpanish = 5,
    kSimplifiedChinese = 6,
    kTraditionalChinese = 7,
    kKorean = 8,
    kJapanese = 9,
    kCzech = 10,
    kSwedish = 11,
    kFinnish = 12,
};
constexpr int kLanguageCount = 13;

// Primary language in the low 10 bits, sublanguage in the high 6. Only the primary language
// counts, except Chinese: sublanguage 1 is Traditional, every other one Simplified. Any
// primary language without a variant of its own gives English.
int LanguageFromLangId(uint16_t langId);

// One text of a variant, by text number.
struct TextEntry {
    int number;
    const char16_t* text;
};
struct TextVariant {
    const TextEntry* entries;  // in text-number order
    size_t count;
};

// The texts of language `language` (0 .. 12); several languages share the English variant.
// Out-of-range numbers give the English variant.
TextVariant VariantOf(int language);

// The text `number` of `language`, or an empty string when the variant has none.
const char16_t* TextOf(int language, int number);

// Copies `source` into `target` (room for `room` characters including the terminator),
// cutting it to room - 1 characters. `Char` is any 16-bit character type.
template <typename Char>
void CopyBounded(const char16_t* source, Char* target, size_t room) {
    static_assert(sizeof(Char) == sizeof(char16_t), "texts are 16-bit characters");
    if (room == 0) return;
    size_t i = 0;
    for (; i + 1 < room && source[i] != 0; ++i) target[i] = static_cast<Char>(source[i]);
    target[i] = 0;
}

// Fills a table of kTextCount entries of `room` characters with the texts of `language`;
// numbers the variant does not define become empty strings.
template <typename Char>
void FillTable(int language, Char (*table)[kTextRoom]) {
    for (int n = 0; n < kTextCount; ++n) table[n][0] = 0;
    const TextVariant variant = VariantOf(language);
    for (size_t i = 0; i < variant.count; ++i) {
        const TextEntry& e = variant.entries[i];
        if (e.number >= 0 && e.number < kTextCount) CopyBounded(e.text, table[e.number], kTextRoom);
    }
}

}  // namespace uitext
