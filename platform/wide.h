// The program's UTF-16 text handed to the wide Win32 API, where wchar_t is 16 bits.
#pragma once

#include <string>

inline const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}
inline wchar_t* W(char16_t* s) {
    return reinterpret_cast<wchar_t*>(s);
}
inline const char16_t* U(const wchar_t* s) {
    return reinterpret_cast<const char16_t*>(s);
}
