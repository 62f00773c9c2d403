// Conversions between the program's UTF-16 text and the bytes of files, and the letter-case
// rules for names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(std::string_view bytes);
// One byte per character for U+0000..U+00FF; anything else (a surrogate pair counts as one
// character) becomes '?' and sets lost.
std::string Utf16ToLatin1(const std::u16string& text, bool& lost);
std::u16string AsciiToUtf16(const char* text);

// A to Z become a to z; every other character stays.
template <typename Char> constexpr Char AsciiLower(Char c) {
    return c >= 'A' && c <= 'Z' ? Char(c + ('a' - 'A')) : c;
}

// Simple case folding over the Basic Multilingual Plane.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(const std::u16string& text);
bool EqualsIgnoreCase(const std::u16string& a, const std::u16string& b);
// Compares a parser string with an ASCII name, without regard to letter case.
bool NameIs(const char16_t* text, const char* asciiName);
