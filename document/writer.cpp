#include "document/writer.h"

#include <new>

#include "document/numbers.h"
#include "document/text.h"
#include "paths/path_utils.h"

int UnicodeLostPending = 0;

namespace {

// Large blocks keep the number of system calls small for big files.
constexpr size_t SinkBlockSize = 1 << 20;

void Append(std::string& out, const char* ascii) {
    out += ascii;
}

void AppendGroup(std::string& out, const char* name, const std::string& value) {
    out += name;
    out += "=\"";
    out += value;
    out += "\" ";
}

const char* Flag(int32_t value) {
    return value == 1 ? "TRUE" : "FALSE";
}

void AppendText(Text& out, const char16_t* name, const Text& value) {
    out += name;
    out += u"=\"";
    out += value;
    out += u"\" ";
}

Text ValueOrEmpty(const OptText& text) {
    return text ? EscapeAttributeValue(*text) : Text();
}

void AppendDynamicVisibility(Text& out, const OptText& formula, int32_t fixed) {
    if (!formula)
        return;
    AppendText(out, u"DynamicVisibility", EscapeFormulaText(*formula));
    AppendText(out, u"FixedDynamicVisibility", fixed ? u"TRUE" : u"FALSE");
}

void AppendFormula(Text& out, const char16_t* name, const OptText& formula) {
    if (formula)
        AppendText(out, name, EscapeFormulaText(*formula));
}

// XML has no form, not even a character reference, for the control characters other than
// tab, line feed and carriage return, nor for U+FFFE and U+FFFF: written as they are, one of
// them makes the whole file unreadable. Each becomes U+FFFD (in ISO-8859-1 a lost '?'), as
// a lone surrogate does.
Text Writable(const Text& text) {
    Text out = text;
    for (char16_t& c : out)
        if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF)
            c = 0xFFFD;
    return out;
}

// Entry texts in the file's encoding; in ISO-8859-1 a character without a byte is noted.
void WriteEntryText(OutputSink& sink, const Text& text) {
    if (WriteUtf8) {
        WriteBytes(sink, Utf16ToUtf8(Writable(text)));
        return;
    }
    bool lost = false;
    WriteBytes(sink, Utf16ToLatin1(Writable(text), lost));
    if (lost)
        UnicodeLostPending = 1;
}

void ShortenName(OptText& name) {
    if (name)
        MakeRelativePath(*name);
}

std::string ObjectPieceOne(const ObjectEntry& entry, const char* elementName) {
    std::string piece = "\r\n<";
    piece += elementName;
    piece += ">\r\n<Props ";
    AppendGroup(piece, "Rotation", FormatTriple(entry.Rotation));
    AppendGroup(piece, "BlinkIntervall", FormatFixed(entry.BlinkIntervall, 6));
    AppendGroup(piece, "ZoomFaktor", FormatFixed(entry.ZoomFaktor, 6));
    AppendGroup(piece, "Position", FormatTriple(entry.Position));
    return piece;
}

Text ObjectPieceTwo(const ObjectEntry& entry, const char* elementName) {
    Text piece;
    AppendText(piece, u"Name", ValueOrEmpty(entry.Name));
    AppendFormula(piece, u"ShowOn", entry.ShowOn);
    // The two encodings have always written these groups in different orders.
    if (WriteUtf8) {
        AppendDynamicVisibility(piece, entry.DynamicVisibility, entry.FixedDynamicVisibility);
        AppendFormula(piece, u"HideOn", entry.HideOn);
    } else {
        AppendFormula(piece, u"HideOn", entry.HideOn);
        AppendDynamicVisibility(piece, entry.DynamicVisibility, entry.FixedDynamicVisibility);
    }
    if (entry.ShowIfBrightness == 1) {
        AppendText(piece, u"Brightness", AsciiToUtf16(std::to_string(entry.Brightness).c_str()));
        AppendText(piece, u"GreaterAs", entry.GreaterAs == 1 ? u"TRUE" : u"FALSE");
        AppendText(piece, u"ShowIfBrightness", u"TRUE");
    }
    if (entry.WeitSichtbar == 1)
        AppendText(piece, u"WeitSichtbar", u"TRUE");
    piece += u"/>\r\n</";
    piece += AsciiToUtf16(elementName);
    piece += u">";
    return piece;
}

std::string FontPieceOne(const FontEntry& font) {
    std::string piece = "\r\n<Font>\r\n<Props ";
    AppendGroup(piece, "Rotation", FormatTriple(font.Rotation));
    AppendGroup(piece, "Position", FormatTriple(font.Position));
    AppendGroup(piece, "NormTopLeft", FormatTriple(font.NormTopLeft));
    AppendGroup(piece, "NormTopRight", FormatTriple(font.NormTopRight));
    AppendGroup(piece, "NormBottomLeft", FormatTriple(font.NormBottomLeft));
    AppendGroup(piece, "NormBottomRight", FormatTriple(font.NormBottomRight));
    AppendGroup(piece, "Leuchtend", Flag(font.Leuchtend));
    if (font.Vertikal == 1)
        AppendGroup(piece, "Vertikal", "TRUE");
    AppendGroup(piece, "Fonthoehe", FormatFixed(font.Fonthoehe, 3));
    AppendGroup(piece, "Color", std::to_string(font.Color));
    AppendGroup(piece, "AlignHorz", std::to_string(font.AlignHorz));
    AppendGroup(piece, "AlignVert", std::to_string(font.AlignVert));
    AppendGroup(piece, "BlinkIntervall", FormatFixed(font.BlinkIntervall, 6));
    return piece;
}

Text FontPieceTwo(const FontEntry& font) {
    Text piece;
    AppendText(piece, u"Name", ValueOrEmpty(font.Name));
    AppendText(piece, u"DefaultText", ValueOrEmpty(font.DefaultText));
    AppendDynamicVisibility(piece, font.DynamicVisibility, font.FixedDynamicVisibility);
    piece += u"GroupProperty=\"";
    piece += ValueOrEmpty(font.GroupProperty);
    piece += u"\" />\r\n</Font>";
    return piece;
}

void WriteEntries(OutputSink& sink, GroupDocument* document) {
    for (auto& entry : document->Objects)
        if (!entry || !WriteObjectEntry(sink, entry.get(), "Object"))
            sink.Failed = true;
    for (auto& entry : document->IObjects)
        if (!entry || !WriteObjectEntry(sink, entry.get(), "IObject"))
            sink.Failed = true;
    for (auto& font : document->Fonts)
        if (!font || !WriteFontEntry(sink, font.get()))
            sink.Failed = true;
}

} // namespace

void WriteBytes(OutputSink& sink, const std::string& bytes) {
    sink.Buffer += bytes;
    if (sink.File && sink.Buffer.size() >= SinkBlockSize)
        FlushSink(sink);
}

bool FlushSink(OutputSink& sink) {
    if (!sink.File || sink.Buffer.empty())
        return !sink.Failed;
    if (!WriteOutputFile(*sink.File, sink.Buffer.data(), sink.Buffer.size()))
        sink.Failed = true;
    sink.Buffer.clear();
    return !sink.Failed;
}

void WriteDocumentHead(OutputSink& sink, const GroupDocument& document) {
    std::string head;
    if (WriteUtf8)
        head = "\xEF\xBB\xBF";
    Append(head, "<?xml version=\"1.0\" encoding=\"");
    Append(head, WriteUtf8 ? "UTF-8" : "iso-8859-1");
    Append(head, "\"?>\r\n<GRUPPENOBJECT>\r\n<Props ");
    WriteBytes(sink, head);
    if (document.HeaderText) {
        bool lostInHeader = false; // the header is not part of the lost-character report
        Text header = Writable(*document.HeaderText);
        WriteBytes(sink, WriteUtf8 ? Utf16ToUtf8(header) : Utf16ToLatin1(header, lostInHeader));
    }
    WriteBytes(sink, "/>");
}

void WriteDocumentTail(OutputSink& sink) {
    WriteBytes(sink, "\r\n</GRUPPENOBJECT>");
}

int WriteObjectEntry(OutputSink& sink, ObjectEntry* entry, const char* elementName) {
    try {
        WriteBytes(sink, ObjectPieceOne(*entry, elementName));
        ShortenName(entry->Name);
        WriteEntryText(sink, ObjectPieceTwo(*entry, elementName));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int WriteFontEntry(OutputSink& sink, FontEntry* font) {
    try {
        WriteBytes(sink, FontPieceOne(*font));
        ShortenName(font->Name);
        WriteEntryText(sink, FontPieceTwo(*font));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void FormatGroupDocument(GroupDocument* document, OutputSink& sink) {
    WriteDocumentHead(sink, *document);
    UnicodeLostPending = 0;
    WriteEntries(sink, document);
    UnicodeLost = UnicodeLostPending;
    WriteDocumentTail(sink);
}

int SaveGroupDocument(const std::u16string& path, GroupDocument* document) {
    OutputFile file;
    try {
        if (!CreateOutputFile(path, file))
            return 0;
        OutputSink sink;
        sink.File = &file;
        FormatGroupDocument(document, sink);
        if (!FlushSink(sink)) {
            DiscardOutputFile(file);
            return 0;
        }
        return CommitOutputFile(file) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        DiscardOutputFile(file);
        return 0;
    }
}

namespace {

// The text with each character that replacement names written as its replacement.
Text Replaced(const Text& text, const char16_t* (*replacement)(char16_t)) {
    Text out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (const char16_t* r = replacement(c))
            out += r;
        else
            out += c;
    }
    return out;
}

const char16_t* FormulaReplacement(char16_t c) {
    switch (c) {
    case u'\n': return u"/n";
    case u'\r': return u"";
    case u'"': return u"&#34;";
    case u'&': return u"&#38;";
    case u'\'': return u"&#39;";
    case u'/': return u"&#47;";
    case u'<': return u"&#60;";
    case u'>': return u"&#62;";
    default: return nullptr;
    }
}

const char16_t ValueCharacters[] = {u'"', u'<', u'&', u'\t', u'\n', u'\r'};

const char16_t* ValueReplacement(char16_t c) {
    switch (c) {
    case u'"': return u"&#34;";
    case u'<': return u"&#60;";
    case u'&': return u"&#38;";
    case u'\t': return u"&#9;";
    case u'\n': return u"&#10;";
    case u'\r': return u"&#13;";
    default: return nullptr;
    }
}

} // namespace

Text EscapeFormulaText(const Text& text) {
    return Replaced(text, FormulaReplacement);
}

Text EscapeAttributeValue(const Text& text) {
    return Replaced(text, ValueReplacement);
}

Text UnescapeAttributeValue(const Text& text) {
    Text out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        for (char16_t c : ValueCharacters) {
            std::u16string_view reference(ValueReplacement(c));
            if (text[i] == u'&' && text.compare(i, reference.size(), reference) == 0) {
                out += c;
                i += reference.size() - 1;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[i];
    }
    return out;
}
