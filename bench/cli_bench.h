// The command line's info and import, each beside what it cannot avoid.
#pragma once

#include <string>

// Registers info (load and streamed JSON) against load plus a bare writer of the same JSON,
// and import against resave, on the group file at path; scratch is a folder with a
// trailing backslash. Measures the heap one import holds at most.
void RegisterCliBenchmarks(const std::u16string& path, const std::u16string& scratch);
void PrintCliTable(double (*seconds)(const std::string& benchmark),
                   double (*cpu)(const std::string& benchmark));
