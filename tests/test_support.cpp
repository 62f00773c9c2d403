#include "tests/test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "base/text.h"
#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#endif

void PrintTo(const std::u16string& text, std::ostream* os) {
    *os << '"' << U8(text) << '"';
}

std::u16string U16(const std::string& utf8) {
    return Utf8ToUtf16(utf8);
}
std::string U8(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

namespace {

std::string NativeTempRoot() {
#ifdef _WIN32
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::string path = U8(std::u16string(reinterpret_cast<char16_t*>(buffer), n));
    if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
#else
    const char* tmp = getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
#endif
}

std::string NativeName(const std::string& name) {
    std::string native = name;
#ifndef _WIN32
    for (char& c : native)
        if (c == '\\')
            c = '/';
#endif
    return native;
}

void MakeFolder(const std::string& native) {
#ifdef _WIN32
    CreateDirectoryW(reinterpret_cast<const wchar_t*>(U16(native).c_str()), nullptr);
#else
    std::string command = "mkdir -p '" + native + "'";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "cannot create %s\n", native.c_str());
#endif
}

void RemoveTree(const std::string& native) {
#ifdef _WIN32
    std::string command = "rmdir /s /q \"" + native + "\" >nul 2>nul";
    _wsystem(reinterpret_cast<const wchar_t*>(U16(command).c_str()));
#else
    std::string command = "rm -rf '" + native + "'";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "cannot remove %s\n", native.c_str());
#endif
}

std::string Separator() {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

void Collect(const std::u16string& text, const std::u16string&) {
    ToldMessages::All += text;
    ToldMessages::All += u"\n";
}

} // namespace

ScratchFolder::ScratchFolder() {
    std::random_device device;
    std::ostringstream name;
    name << NativeTempRoot() << Separator() << "zellora-test-" << std::hex << device() << device();
    Native = name.str();
    MakeFolder(Native);
    Path = FromNativePath(Native);
    if (Path.empty() || Path.back() != u'\\')
        Path += u'\\';
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(Native);
}

std::u16string ScratchFolder::File(const std::string& name) const {
    return Path + U16(name);
}

void ScratchFolder::Write(const std::string& name, const std::string& bytes) const {
    std::string native = Native + Separator() + NativeName(name);
    size_t slash = native.find_last_of("/\\");
    if (slash != std::string::npos && slash > Native.size())
        MakeFolder(native.substr(0, slash));
#ifdef _WIN32
    std::ofstream out(reinterpret_cast<const wchar_t*>(U16(native).c_str()), std::ios::binary);
#else
    std::ofstream out(native, std::ios::binary);
#endif
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string ScratchFolder::Read(const std::string& name) const {
    std::string bytes;
    if (ReadWholeFile(File(name), bytes) != ReadOk)
        return "<missing>";
    return bytes;
}

bool ScratchFolder::Exists(const std::string& name) const {
    return FileExists(File(name));
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> names;
#ifdef _WIN32
    WIN32_FIND_DATAW found;
    std::u16string pattern = U16(Native + "\\*");
    HANDLE find = FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = U8(reinterpret_cast<const char16_t*>(found.cFileName));
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
#else
    if (DIR* dir = opendir(Native.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
#endif
    std::sort(names.begin(), names.end());
    return names;
}

std::u16string ToldMessages::All;

ToldMessages::ToldMessages() : Previous(TellUser) {
    All.clear();
    TellUser = Collect;
}

ToldMessages::~ToldMessages() {
    TellUser = Previous;
    All.clear();
}
