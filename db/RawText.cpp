// Telling valid UTF-8 from other bytes.

#include "db/RawText.h"

bool IsValidUtf8(const char* bytes, qsizetype size) {
    const auto* text = reinterpret_cast<const unsigned char*>(bytes);
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = text[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        if ((lead & 0xE0) == 0xC0) length = 2, code = lead & 0x1F;
        else if ((lead & 0xF0) == 0xE0) length = 3, code = lead & 0x0F;
        else if ((lead & 0xF8) == 0xF0) length = 4, code = lead & 0x07;
        else return false;
        if (i + length > size) return false;
        for (int k = 1; k < length; ++k) {
            if ((text[i + k] & 0xC0) != 0x80) return false;
            code = (code << 6) | (text[i + k] & 0x3F);
        }
        static constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < Smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}
