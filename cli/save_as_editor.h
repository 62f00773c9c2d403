// Saving a document from the command line as the editor's Save does.
#pragma once

#include <string>

#include "document/document.h"

// With SimulatorRoot and WriteUtf8 already set: DocumentFolder from out, the save, and its
// messages on standard error. ExitOk or ExitFailed.
int SaveAsEditor(GroupDocument& document, const std::u16string& out);
