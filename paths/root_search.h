// Finding the simulator's folder: the install key that the simulator's setup leaves in the
// registry, and the folder the user picks in the folder browser.
#pragma once

#include <string>

// The folder in the value "Paths" of the install key: the text before the first "|" (a "|"
// in the last place does not count), cut after its last backslash so that a stored program
// path leaves its folder. Empty when that leaves no folder ending in a backslash ("C:",
// "D:Sim") or when the text before the "|" does not fit 259 characters.
std::u16string FolderFromInstallPaths(const std::u16string& value);

// A picked folder with exactly one trailing backslash; empty when it would no longer fit
// 259 characters.
std::u16string PickedFolderWithBackslash(const std::u16string& folder);
