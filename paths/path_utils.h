// Shortening file names to the forms a group file stores: relative to the document's
// folder, relative to the simulator's folder (one leading backslash), or absolute; and the
// parts of a name that the program takes apart.
#pragma once

#include <cstddef>
#include <string>

// Longest folder that still fits the system's 260-character buffers with its terminator.
constexpr size_t MaxFolderLength = 259;

// The simulator's install folder with a trailing backslash, or empty.
extern std::u16string SimulatorRoot;
// The folder of the file being written (shortened by the root rule), or empty.
extern std::u16string DocumentFolder;

// How a name is anchored: the four forms a group file or a command line may use.
enum class PathKind {
    Relative,     // a\b: below a folder the reader knows (the file's own, the current one)
    RootRelative, // \a\b: below the simulator folder
    Drive,        // C:\a (or C:a, relative to that drive's current folder)
    Network,      // \\server\share\a
};
PathKind KindOfPath(const std::u16string& path);

// Shortens path in place against root (the simulator folder with its trailing backslash)
// and folder (the folder of the file being written); an empty one is not used.
void ShortenPath(std::u16string& path, const std::u16string& root, const std::u16string& folder);
// The folder that names in a file written to targetPath are shortened against: its folder,
// itself shortened against root; "\" for a file directly in the simulator folder.
std::u16string DocumentFolderOf(const std::u16string& targetPath, const std::u16string& root);

// The same with SimulatorRoot and DocumentFolder, for the editor. Returns path.
std::u16string& MakeRelativePath(std::u16string& path);
void SetDocumentFolder(const std::u16string& targetPath);

// The folder part of a file path, ending in its last backslash; empty without one.
std::u16string FolderOf(const std::u16string& path);

// Cuts name at its last full stop, looked for from the end down to the character after the
// first keptCharacters, which are never taken for one. A full stop in a folder's name is cut
// at all the same.
void CutAtLastFullStop(std::u16string& name, size_t keptCharacters);
