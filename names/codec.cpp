#include "codec.hpp"

namespace names {

namespace {

// Length of the valid UTF-8 sequence at `s`, or 0.
std::size_t utf8_length(std::string_view s, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t len;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < len) return 0;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// A byte of a name that is not UTF-8 travels as a lone low surrogate.
bool is_smuggled_byte(char32_t cp) { return cp >= 0xDC80 && cp <= 0xDCFF; }

std::size_t encoded_size(char32_t cp) {
    if (cp < 0x80 || is_smuggled_byte(cp)) return 1;
    return cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

char* write_encoded(char* w, char32_t cp) {
    if (cp < 0x80) {
        *w++ = static_cast<char>(cp);
    } else if (is_smuggled_byte(cp)) {
        *w++ = static_cast<char>(cp - 0xDC00);
    } else if (cp < 0x800) {
        *w++ = static_cast<char>(0xC0 | (cp >> 6));
        *w++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *w++ = static_cast<char>(0xE0 | (cp >> 12));
        *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *w++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *w++ = static_cast<char>(0xF0 | (cp >> 18));
        *w++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *w++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return w;
}

}  // namespace

std::size_t decode_first(std::string_view bytes, char32_t& code_point) {
    if (const std::size_t len = utf8_length(bytes, code_point)) return len;
    code_point = static_cast<char32_t>(0xDC00 + static_cast<unsigned char>(bytes[0]));
    return 1;
}

// Written through a pointer into room made once: a name is decoded and
// encoded name after name, and appending a character at a time costs a
// check of the room each.
void decode_into(std::string_view bytes, std::u32string& out) {
    out.resize(bytes.size());  // never more code points than bytes
    char32_t* w = out.data();
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {  // most names are mostly ASCII
            *w++ = byte;
            ++i;
            continue;
        }
        i += decode_first(bytes.substr(i), *w++);
    }
    out.resize(static_cast<std::size_t>(w - out.data()));
}

std::u32string decode(std::string_view bytes) {
    std::u32string out;
    decode_into(bytes, out);
    return out;
}

std::string encode(std::u32string_view text) {
    std::size_t size = 0;
    for (char32_t cp : text) size += encoded_size(cp);
    std::string out(size, '\0');
    char* w = out.data();
    for (char32_t cp : text) w = write_encoded(w, cp);
    return out;
}

}  // namespace names
