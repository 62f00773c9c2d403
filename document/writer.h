// Writing group-object files in the exact byte form of the format, UTF-8 or ISO-8859-1.
#pragma once

#include "document/document.h"
#include "platform/platform.h"

#include <string>

// Where written bytes go: collected in Buffer and, when File is set, passed on to it in
// large blocks. Failed stays set once a write to the file failed.
struct OutputSink {
    std::string Buffer;
    OutputFile* File = nullptr;
    bool Failed = false;
};

void WriteBytes(OutputSink& sink, const std::string& bytes);
// Hands what is buffered to the file; false when the file refused it.
bool FlushSink(OutputSink& sink);

// Set to 0 when a save's entries start; a replaced character in ISO-8859-1 sets it.
extern int UnicodeLostPending;

// Writes the whole document to path (temporary file, then replace). 1 when every byte was
// written and the file is in place, 0 otherwise (the old file is kept). Each entry's Name is
// written shortened against SimulatorRoot and DocumentFolder; the document keeps its names
// as they are. UnicodeLost tells afterwards whether characters were lost.
int SaveGroupDocument(const std::u16string& path, const GroupDocument* document);
// The same bytes into memory.
void FormatGroupDocument(const GroupDocument* document, OutputSink& sink);

// The declaration, root tag and root Props line, in the encoding WriteUtf8 selects.
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
