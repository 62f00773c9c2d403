// The name the export's save dialog proposes.
#pragma once

#include <string>

// The last export's path without its extension: cut at the last full stop found from the
// end down to the third character. The full stop may be that of a folder name, and the name
// is cut there all the same.
void RemoveProposedExtension(std::u16string& name);
