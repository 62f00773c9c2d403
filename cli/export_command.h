// zellora-cli export: the editor's export of a loaded document, reported on standard error.
#pragma once

#include <string>

#include "document/document.h"

// What stands for the current directory while an export runs: root (the simulator folder)
// when given and a folder, otherwise the current directory; false in that case, where the
// user is told that the simulator folder is not set.
bool ExportCurrentFolder(const std::u16string& root, bool hasRoot, std::u16string& folder);

// root is the simulator folder with a trailing backslash (hasRoot false: none given).
// True when the export completed and the output is in place.
bool RunExportCommand(GroupDocument& document, const std::u16string& outputPath,
                      const std::u16string& root, bool hasRoot);
