// Writing group-object files in the exact byte form of the format, UTF-8 or ISO-8859-1.
#pragma once

#include "document/document.h"
#include "platform/platform.h"

#include <string>

// What a save takes from its caller instead of from process-wide values.
struct SaveSettings {
    bool Utf8 = true; // UTF-8 with its byte order mark; false: ISO-8859-1
    // Each entry's Name is written shortened against these (see ShortenPath): the simulator
    // folder with its trailing backslash, and the folder of the file written
    // (DocumentFolderOf). Empty ones shorten nothing.
    std::u16string SimulatorRoot;
    std::u16string DocumentFolder;
};

// The settings for writing a file to targetPath.
SaveSettings SaveSettingsFor(const std::u16string& targetPath, bool utf8,
                             const std::u16string& simulatorRoot);

// Where written bytes go, and in what form: collected in Buffer and, when File is set, passed
// on to it in large blocks. Failed stays set once a write to the file failed.
struct OutputSink {
    std::string Buffer;
    OutputFile* File = nullptr;
    bool Failed = false;
    SaveSettings Settings;
    // Set when a character of an entry had no ISO-8859-1 byte and was written as '?'.
    bool UnicodeLost = false;
};

void WriteBytes(OutputSink& sink, const std::string& bytes);
// Hands what is buffered to the file; false when the file refused it.
bool FlushSink(OutputSink& sink);

enum class SaveFailure {
    None,
    CannotCreate,  // the temporary file beside the target could not be made
    CannotWrite,   // a write failed or an entry could not be formed
    CannotReplace, // everything was written, but the file could not be put in place
    NoMemory,
};

// What a save found besides success.
struct SaveReport {
    bool UnicodeLost = false; // a character of an entry had no ISO-8859-1 form
    SaveFailure Failure = SaveFailure::None;
    std::u16string SystemError; // the system's text for the failure, read when it happened
};

// Writes the whole document to path (temporary file, then replace) without process-wide
// state: nothing is told to the user, no global is read or set. True when every byte was
// written and the file is in place; otherwise the old file is kept. The document keeps its
// names as they are.
bool SaveGroupDocumentWith(const std::u16string& path, const GroupDocument& document,
                           const SaveSettings& settings, SaveReport& report);

// The editor's save: the same with WriteUtf8, SimulatorRoot and DocumentFolder; leaves the
// report's lost characters in UnicodeLost. 1 when the file is in place, 0 otherwise.
int SaveGroupDocument(const std::u16string& path, const GroupDocument* document);
// The same bytes into memory, in the form of the sink's settings; the sink's UnicodeLost
// tells afterwards whether characters were lost.
void FormatGroupDocument(const GroupDocument* document, OutputSink& sink);

// The declaration, root tag and root Props line, in the sink's encoding.
void WriteDocumentHead(OutputSink& sink, const GroupDocument& document);
void WriteDocumentTail(OutputSink& sink);

// One Object or IObject block; 1 on success. The Name is written shortened, as above.
int WriteObjectEntry(OutputSink& sink, const ObjectEntry* entry, const char* elementName);
int WriteFontEntry(OutputSink& sink, const FontEntry* entry);

// Formula texts: line feed as "/n", carriage return removed, " & ' / < > as references.
Text EscapeFormulaText(const Text& text);
// Names, labels and header values: " < & TAB LF CR as references, so that the value
// reads back the same; any other character unchanged.
Text EscapeAttributeValue(const Text& text);
// The reverse of EscapeAttributeValue, for showing a header value as it was read.
Text UnescapeAttributeValue(const Text& text);
