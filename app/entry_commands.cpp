// Stand-ins until the entry list editing is built.
#include "app/entry_commands.h"

void OnAddEntry() {}

void OnRemoveEntry() {}

void OnCopyEntry() {}

void OnPasteEntry() {}
