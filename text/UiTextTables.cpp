#include "text/UiTextTables.h"

#include <iterator>

namespace uitext {
namespace {

// The characters outside ASCII are written as \u escapes so that every compiler reads the
// same code points whatever it assumes about the source encoding.
constexpr TextEntry kEnglishTexts[] = {
    {kTextDeleteSelected, u"Delete the selected file?"},
    {kTextTakePhoto, u"Take photo"},
    {kTextDeletePhotos, u"Delete selected photos"},
    {kTextPictureSize, u"Picture size"},
    {kTextCameraBusy, u"Camera is busy"},
};
constexpr TextEntry kGermanTexts[] = {
    {kTextDeleteSelected, u"Gew\u00E4hlte Datei l\u00F6schen?"},
    {kTextTakePhoto, u"Foto aufnehmen"},
    {kTextDeletePhotos, u"Ausgew\u00E4hlte Fotos l\u00F6schen"},
    {kTextPictureSize, u"Bildgr\u00F6\u00DFe"},
    {kTextCameraBusy, u"Kamera ist belegt"},
};
constexpr TextEntry kFrenchTexts[] = {
    {kTextDeleteSelected, u"Supprimer le fichier s\u00E9lectionn\u00E9?"},
    {kTextTakePhoto, u"Prendre une photo"},
    {kTextDeletePhotos, u"Supprimer les photos s\u00E9lectionn\u00E9es"},
    {kTextPictureSize, u"Taille de l'image"},
    {kTextCameraBusy, u"Camera occup\u00E9e"},
};
constexpr TextEntry kItalianTexts[] = {
    {kTextDeleteSelected, u"Elim. file selezionato?"},
    {kTextTakePhoto, u"Scatta foto"},
    {kTextDeletePhotos, u"Elimina le foto selezionate"},
    {kTextPictureSize, u"Dimensione immagine"},
    {kTextCameraBusy, u"Macchina occ."},
};
constexpr TextEntry kPortugueseTexts[] = {
    {kTextDeleteSelected, u"Eliminar fich selec?"},
    {kTextTakePhoto, u"Tirar fotografia"},
    {kTextDeletePhotos, u"Eliminar as fotografias selecionadas"},
    {kTextPictureSize, u"Tamanho da imagem"},
    {kTextCameraBusy, u"C\u00E2mara ocupada"},
};
constexpr TextEntry kSpanishTexts[] = {
    {kTextDeleteSelected, u"\u00BFEliminar el archivo seleccionado?"},
    {kTextTakePhoto, u"Tomar foto"},
    {kTextDeletePhotos, u"Eliminar las fotos seleccionadas"},
    {kTextPictureSize, u"Tama\u00F1o de imagen"},
    {kTextCameraBusy, u"La c\u00E1mara est\u00E1 ocupada"},
};
constexpr TextEntry kSimplifiedChineseTexts[] = {
    {kTextDeleteSelected, u"\u5220\u9664\u6240\u9009\u62E9\u7684\u6587\u4EF6?"},
    {kTextTakePhoto, u"\u62CD\u7167"},
    {kTextDeletePhotos, u"\u5220\u9664\u6240\u9009\u7167\u7247"},
    {kTextPictureSize, u"\u56FE\u7247\u5927\u5C0F"},
    {kTextCameraBusy, u"\u6444\u50CF\u5934\u5FD9\u788C"},
};
constexpr TextEntry kTraditionalChineseTexts[] = {
    {kTextDeleteSelected, u"\u522A\u9664\u6240\u9078\u64C7\u7684\u6A94\u6848?"},
    {kTextTakePhoto, u"\u62CD\u7167"},
    {kTextDeletePhotos, u"\u522A\u9664\u6240\u9078\u76F8\u7247"},
    {kTextPictureSize, u"\u5716\u7247\u5927\u5C0F"},
    {kTextCameraBusy, u"\u7DB2\u8DEF\u651D\u5F71\u6A5F\u5FD9\u788C"},
};
constexpr TextEntry kJapaneseTexts[] = {
    {kTextDeleteSelected,
     u"\u9078\u629E\u3055\u308C\u305F\u30D5\u30A1\u30A4\u30EB\u3092\u6D88\u53BB\u3057\u307E\u3059\u304B\uFF1F"},
    {kTextTakePhoto, u"\u5199\u771F\u3092\u64AE\u308B"},
    {kTextDeletePhotos, u"\u9078\u629E\u3057\u305F\u5199\u771F\u3092\u524A\u9664"},
    {kTextPictureSize, u"\u753B\u50CF\u30B5\u30A4\u30BA"},
    {kTextCameraBusy, u"\u30AB\u30E1\u30E9\u304C\u30D3\u30B8\u30FC\u3067\u3059"},
};

template <size_t N>
constexpr TextVariant Variant(const TextEntry (&entries)[N]) {
    return {entries, N};
}

// Primary language identifiers (the platform's LANG_* values).
constexpr uint16_t kLangChinese = 0x04;
constexpr uint16_t kLangCzech = 0x05;
constexpr uint16_t kLangGerman = 0x07;
constexpr uint16_t kLangSpanish = 0x0A;
constexpr uint16_t kLangFinnish = 0x0B;
constexpr uint16_t kLangFrench = 0x0C;
constexpr uint16_t kLangItalian = 0x10;
constexpr uint16_t kLangJapanese = 0x11;
constexpr uint16_t kLangKorean = 0x12;
constexpr uint16_t kLangPortuguese = 0x16;
constexpr uint16_t kLangSwedish = 0x1D;
constexpr uint16_t kSublangChineseTraditional = 0x01;

}  // namespace

int LanguageFromLangId(uint16_t langId) {
    const uint16_t primary = langId & 0x3FF;
    const uint16_t sublanguage = langId >> 10;
    switch (primary) {
    case kLangGerman: return kGerman;
    case kLangFrench: return kFrench;
    case kLangItalian: return kItalian;
    case kLangPortuguese: return kPortuguese;
    case kLangSpanish: return kSpanish;
    case kLangChinese:
        return sublanguage == kSublangChineseTraditional ? kTraditionalChinese : kSimplifiedChinese;
    case kLangKorean: return kKorean;
    case kLangJapanese: return kJapanese;
    case kLangCzech: return kCzech;
    case kLangSwedish: return kSwedish;
    case kLangFinnish: return kFinnish;
    default: return kEnglish;
    }
}

TextVariant VariantOf(int language) {
    switch (language) {
    case kGerman: return Variant(kGermanTexts);
    case kFrench: return Variant(kFrenchTexts);
    case kItalian: return Variant(kItalianTexts);
    case kPortuguese: return Variant(kPortugueseTexts);
    case kSpanish: return Variant(kSpanishTexts);
    case kSimplifiedChinese: return Variant(kSimplifiedChineseTexts);
    case kTraditionalChinese: return Variant(kTraditionalChineseTexts);
    case kJapanese: return Variant(kJapaneseTexts);
    default: return Variant(kEnglishTexts);  // English, Korean, Czech, Swedish, Finnish
    }
}

const char16_t* TextOf(int language, int number) {
    const TextVariant variant = VariantOf(language);
    for (size_t i = 0; i < variant.count; ++i)
        if (variant.entries[i].number == number) return variant.entries[i].text;
    return u"";
}

}  // namespace uitext
