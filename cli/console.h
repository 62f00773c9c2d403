// What the command line writes for people: UTF-8 text, which a Windows console shows only
// when it is handed over as UTF-16.
#pragma once

#include <string>

// Standard output; false when it could not be written completely.
bool WriteOutput(const std::string& utf8);
// Standard error.
void WriteError(const std::string& utf8);
