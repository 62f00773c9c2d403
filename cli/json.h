// The document as the JSON object that `zellora-cli info` prints.
#pragma once

#include <string>

#include "document/loader.h"

std::string DocumentJson(LoadResult result, int writeUtf8, const GroupDocument& document);
std::string JsonNumber(double value); // shortest round-trip form; null when not finite
std::string JsonString(const std::u16string& text);
