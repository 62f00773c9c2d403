// Shortening file names to the forms a group file stores: relative to the document's
// folder, relative to the simulator's folder (one leading backslash), or absolute.
#pragma once

#include <string>

// The simulator's install folder with a trailing backslash, or empty.
extern std::u16string SimulatorRoot;
// The folder of the file being written (shortened by the root rule), or empty.
extern std::u16string DocumentFolder;

// Shortens path in place and returns it.
std::u16string& MakeRelativePath(std::u16string& path);
void SetDocumentFolder(const std::u16string& targetPath);
