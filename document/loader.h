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

// What a load takes from its caller instead of from process-wide values, so that loads may
// run side by side on several threads.
struct LoadSettings {
    // Relative names inside the file are completed against the file's own folder instead
    // of CurrentFolder.
    bool ResolveAgainstFileFolder = false;
    // Stands for the current directory: it completes relative names (when the switch above
    // is off), and a relative or root-relative path is opened inside it.
    std::u16string CurrentFolder;
};

// What a load found besides the document.
struct LoadReport {
    int WriteUtf8 = -1;        // the file's encoding as the writers' switch; -1 when not read
    std::u16string ParseError; // "<expat's text> at line N" with LoadXmlError
};

// The load of LoadGroupDocument without process-wide state: nothing is told to the user and
// no global is read or set. path itself is left as it is.
LoadResult LoadGroupDocumentWith(const std::u16string& path, GroupDocument* document,
                                 const LoadSettings& settings, LoadReport& report);

// The file that a load of path opens when currentFolder stands for the current directory:
// a relative or root-relative path (its leading backslash dropped) lies inside that folder.
std::u16string PathToOpen(const std::u16string& path, const std::u16string& currentFolder);

// Reads the file at path into document, which must be empty or released (its fields are
// reset). A path of the form \x\y (one leading backslash) is opened relative to the current
// directory and loses its leading backslash in place. The document keeps whatever was read
// before the parse ended, whatever the result. A parse error is told to the user as
// "<expat's text> at line N" before LoadXmlError is returned. Reads ResolveAgainstFileFolder
// and the current directory, and sets WriteUtf8 to the file's encoding.
LoadResult LoadGroupDocument(std::u16string& path, GroupDocument* document);

// The same, over bytes already in memory; fileName only completes relative names.
LoadResult LoadGroupDocumentFromBytes(std::string& bytes, const std::u16string& fileName,
                                      GroupDocument* document);
