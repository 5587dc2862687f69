#pragma once
// The texts as the product shows them, written as plain UTF-8 so that they are checked
// independently of the escapes in the text tables.
#include <cstdint>
#include <string>

namespace uitext_test {

struct ExpectedVariant {
    int language;
    const char* text7;
    const char* text65;
    const char* names[3];  // texts 10, 11 and 12: the controls' names a screen reader reads
};

// One row per language number 0 .. 12.
inline const ExpectedVariant kExpected[] = {
    {0, u8"Delete the selected file?", u8"Camera is busy", {u8"Take photo", u8"Delete selected photos", u8"Picture size"}},
    {1, u8"Gewählte Datei löschen?", u8"Kamera ist belegt", {u8"Foto aufnehmen", u8"Ausgewählte Fotos löschen", u8"Bildgröße"}},
    {2, u8"Supprimer le fichier sélectionné?", u8"Camera occupée", {u8"Prendre une photo", u8"Supprimer les photos sélectionnées", u8"Taille de l'image"}},
    {3, u8"Elim. file selezionato?", u8"Macchina occ.", {u8"Scatta foto", u8"Elimina le foto selezionate", u8"Dimensione immagine"}},
    {4, u8"Eliminar fich selec?", u8"Câmara ocupada", {u8"Tirar fotografia", u8"Eliminar as fotografias selecionadas", u8"Tamanho da imagem"}},
    {5, u8"¿Eliminar el archivo seleccionado?", u8"La cámara está ocupada", {u8"Tomar foto", u8"Eliminar las fotos seleccionadas", u8"Tamaño de imagen"}},
    {6, u8"删除所选择的文件?", u8"摄像头忙碌", {u8"拍照", u8"删除所选照片", u8"图片大小"}},
    {7, u8"刪除所選擇的檔案?", u8"網路攝影機忙碌", {u8"拍照", u8"刪除所選相片", u8"圖片大小"}},
    {8, u8"Delete the selected file?", u8"Camera is busy", {u8"Take photo", u8"Delete selected photos", u8"Picture size"}},
    {9, u8"選択されたファイルを消去しますか？", u8"カメラがビジーです", {u8"写真を撮る", u8"選択した写真を削除", u8"画像サイズ"}},
    {10, u8"Delete the selected file?", u8"Camera is busy", {u8"Take photo", u8"Delete selected photos", u8"Picture size"}},
    {11, u8"Delete the selected file?", u8"Camera is busy", {u8"Take photo", u8"Delete selected photos", u8"Picture size"}},
    {12, u8"Delete the selected file?", u8"Camera is busy", {u8"Take photo", u8"Delete selected photos", u8"Picture size"}},
};

// UTF-8 (well formed, as above) to UTF-16.
inline std::u16string Utf16(const char* utf8) {
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        uint32_t c = *p++;
        int more = 0;
        if (c >= 0xF0) { c &= 0x07; more = 3; }
        else if (c >= 0xE0) { c &= 0x0F; more = 2; }
        else if (c >= 0xC0) { c &= 0x1F; more = 1; }
        for (; more > 0 && *p; --more) c = (c << 6) | (*p++ & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

}  // namespace uitext_test
