// Filling the message texts of the program with names and reasons.
#pragma once

#include <initializer_list>
#include <string>

// The format with each %s replaced, in order, by the next argument; a %s without an argument
// stays as it is.
std::u16string FillText(const std::u16string& format, std::initializer_list<std::u16string> args);
