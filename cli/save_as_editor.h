// Loading and saving a document from the command line as the editor's Open and Save do,
// without touching any process-wide value.
#pragma once

#include <string>

#include "document/document.h"
#include "document/loader.h"

// Loads path with relative names completed against its folder; a parse error is told as
// the editor tells it. writeUtf8 is set to the file's encoding when it was read.
LoadResult LoadAsEditor(const std::u16string& path, GroupDocument& document, int& writeUtf8);

// Saves document to out in the encoding given, names shortened against root (empty for none)
// and the folder of out; the failure or lost characters are told on standard error. ExitOk
// or ExitFailed.
int SaveAsEditor(const GroupDocument& document, const std::u16string& out, bool utf8,
                 const std::u16string& root);
