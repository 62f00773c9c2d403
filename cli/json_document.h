// The way back from the JSON that `zellora-cli info` prints to a document that can be saved.
#pragma once

#include <string>
#include <vector>

#include "document/document.h"

struct JsonDocument {
    GroupDocument Document;
    int WriteUtf8 = 1;
};

// Reads text (UTF-8 JSON) into result, in one pass without a tree of the whole text. False
// on bad input, with problem naming the place: "objects[3].Position: erwartet [x, y, z]", an
// unknown key, a header name the saved file could not hold, or the line and column where the
// JSON stops parsing or nests too deep. Throws std::bad_alloc when memory runs out.
bool ReadJsonDocument(const std::string& text, JsonDocument& result, std::u16string& problem);

// The header as info shows it (values unescaped) back to HeaderText; false when it is not
// a row of name="value" attributes. The attributes' names are added to names if given.
bool HeaderFromShown(const std::u16string& shown, std::u16string& headerText,
                     std::vector<std::u16string>* names = nullptr);
