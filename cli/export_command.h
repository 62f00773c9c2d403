// zellora-cli export: the editor's export of a loaded document, reported on standard error.
#pragma once

#include <string>

#include "document/document.h"

// root is the simulator folder with a trailing backslash (hasRoot false: none given).
// True when the export completed and the output is in place.
bool RunExportCommand(GroupDocument& document, const std::u16string& outputPath,
                      const std::u16string& root, bool hasRoot);
