// Walking folders and telling files apart, for the commands that work on whole simulator
// folders. Paths are the program's Windows paths, as everywhere in the platform layer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FolderItem {
    std::u16string Name;
    bool IsFolder = false; // a real folder; a link to a folder is neither folder nor file
    bool IsFile = false;   // a regular file, also when reached through a link
    // The name's own bytes when the program's form cannot name it exactly (bytes that are not
    // UTF-8, or a backslash, on POSIX); empty otherwise.
    std::string InexactName;
};

// The items of folder without "." and "..". False when it cannot be read.
bool ListFolder(const std::u16string& folder, std::vector<FolderItem>& items);

bool IsFolder(const std::u16string& path);

// What makes a file itself, whatever the spelling of its name: two paths name the same file
// exactly when their identities are equal.
struct FileIdentity {
    uint64_t Device = 0;
    uint64_t Index = 0;
    bool operator==(const FileIdentity& other) const {
        return Device == other.Device && Index == other.Index;
    }
};

enum IdentifyResult {
    Identified,
    NothingThere, // no such file or folder
    Unreachable,  // something may be there, but cannot be reached (a folder on the way
                  // without search permission, too many links)
};

// For sets and maps of identities.
struct FileIdentityHash {
    size_t operator()(const FileIdentity& id) const {
        return std::hash<uint64_t>()(id.Index * 1000003u ^ id.Device);
    }
};

// The identity of the file or folder that path names, found as the loader finds it (letter
// case ignored).
IdentifyResult IdentifyFile(const std::u16string& path, FileIdentity& identity);

// Whether standard error goes to a terminal, where a progress line may be redrawn.
bool StandardErrorIsTerminal();
