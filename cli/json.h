// The document as the JSON object that `zellora-cli info` prints, written as it goes.
#pragma once

#include <cstdio>
#include <string>

#include "document/loader.h"

// Where the JSON goes: collected in Buffer and handed to File in blocks, so that the whole
// text of a large document is never held at once. Without a File it all stays in Buffer.
struct JsonOutput {
    std::string Buffer;
    FILE* File = nullptr;
};

// Hands what is buffered to the file (nothing without one).
void FlushJson(JsonOutput& out);

void WriteDocumentJson(JsonOutput& out, LoadResult result, int writeUtf8,
                       const GroupDocument& document);
void AppendJsonNumber(std::string& out,
                      double value); // shortest round-trip form; null when not finite
void AppendJsonString(std::string& out, const std::u16string& text);

std::string JsonNumber(double value);
std::string JsonString(const std::u16string& text);
