#include "cli/export_command.h"

bool RunExportCommand(GroupDocument&, const std::u16string&, const std::u16string&, bool) {
    return false;
}
