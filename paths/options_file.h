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

// Longest UTF-8 form of a folder that "options.cfg" takes.
constexpr size_t MaxStoredFolderBytes = 520;

// The bytes "options.cfg" holds for folder; false when the folder cannot be stored (empty,
// longer than 259 characters, not valid UTF-16, or longer than MaxStoredFolderBytes in UTF-8).
bool FormatOptionsFile(const std::u16string& folder, std::string& bytes);
// Replaces "options.cfg" in ProgramFolder with folder and makes it SimulatorRoot. On any
// failure nothing is written: the old file and SimulatorRoot stay as they were.
bool WriteOptionsFile(const std::u16string& folder);
// Replaces the file called name in ProgramFolder with bytes, or leaves it as it was.
bool ReplaceProgramFolderFile(const char16_t* name, const std::string& bytes);
