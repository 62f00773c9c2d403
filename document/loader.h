// Reading group-object files (and telling object files apart) with expat.
#pragma once

#include "document/document.h"

enum LoadResult : int16_t {
    LoadObjectFile = -1,
    LoadOk = 0,
    LoadXmlError = 1,
    LoadOpenFailed = 2,
    LoadNoMemory = 3,
    LoadNotGroupFile = 4,
};

extern const char16_t* const EditMarker; // "/nBearbeitet mit Zellora"

// Reads the file at path into document, which must be empty or released (its fields are
// reset). A path of the form \x\y (one leading backslash) is opened relative to the current
// directory and loses its leading backslash in place. The document keeps whatever was read
// before the parse ended, whatever the result. A parse error is told to the user as
// "<expat's text> at line N" before LoadXmlError is returned.
LoadResult LoadGroupDocument(std::u16string& path, GroupDocument* document);

// The same, over bytes already in memory; fileName only completes relative names.
LoadResult LoadGroupDocumentFromBytes(std::string& bytes, const std::u16string& fileName,
                                      GroupDocument* document);
