// "options.cfg" beside the program: the simulator's install folder as UTF-8 after a
// byte-order mark.
#pragma once

#include <string>

// The program file's folder with a trailing backslash; set once at start.
extern std::u16string ProgramFolder;

extern const char16_t* const OptionsFileName; // "options.cfg"

// Reads the folder from "options.cfg" in ProgramFolder into root. False, with root empty,
// when the file is missing, unreadable, empty or names a folder too long for the system.
bool ReadOptionsFile(std::u16string& root);

// The folder that the bytes of an options file name, by the rules of ReadOptionsFile.
bool ParseOptionsFile(const std::string& bytes, std::u16string& root);
