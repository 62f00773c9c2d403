// Helpers shared by the core tests: scratch folders, files and printable UTF-16.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "document/document.h"
#include "platform/platform.h"

// Lets GoogleTest print UTF-16 text in failure messages.
void PrintTo(const std::u16string& text, std::ostream* os);

std::u16string U16(const std::string& utf8);
std::string U8(const std::u16string& text);

// A new empty folder, removed with its contents when the test ends.
struct ScratchFolder {
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::u16string Path; // the program's form, with a trailing backslash
    std::string Native;  // the platform's form, without one

    // The program's path of a file in the folder; name uses backslashes for subfolders.
    std::u16string File(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    // The names of the folder's entries, sorted: what a step left behind, temporary files too.
    std::vector<std::string> Names() const;
};

// Collects what the loader tells the user instead of showing it.
struct ToldMessages {
    ToldMessages();
    ~ToldMessages();
    static std::u16string All; // every text told, one per line
    TellUserFunction Previous;
};
