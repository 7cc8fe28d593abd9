// UTF-8 and UTF-16 conversions of the builder's own, the same on every
// system (the code page 1250 ones live in system_*.cpp).
#pragma once

#include <string>

// Decodes well-formed UTF-8 (no overlong forms, no surrogates). Returns
// false otherwise.
bool DecodeUtf8(const std::string& utf8, std::u32string& out);

// Appends code point c as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// Decodes UTF-16 code units, surrogate pairs joined. Returns false for a
// lone surrogate.
bool DecodeUtf16(const std::u16string& utf16, std::u32string& out);

// UTF-16 of code points (pairs for those above U+FFFF).
std::u16string EncodeUtf16(const std::u32string& text);

// UTF-8 of code points.
std::string EncodeUtf8(const std::u32string& text);
