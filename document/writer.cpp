#include "document/writer.h"

#include <new>
#include <set>
#include <utility>
#include <vector>

#include "base/text.h"
#include "document/entry_fields.h"
#include "document/numbers.h"
#include "document/xml_names.h"
#include "paths/path_utils.h"

namespace {

// Large blocks keep the number of system calls small for big files.
constexpr size_t SinkBlockSize = 1 << 20;

void Append(std::string& out, const char* ascii) {
    out += ascii;
}

void AppendAsciiAttribute(std::string& out, std::string_view name, const std::string& value) {
    out += name;
    out += "=\"";
    out += value;
    out += "\" ";
}

const char* Flag(int32_t value) {
    return value == 1 ? "TRUE" : "FALSE";
}

void AppendName(Text& out, std::string_view name) {
    for (char c : name)
        out += char16_t(c);
}

void AppendTextAttribute(Text& out, std::string_view name, const Text& value) {
    AppendName(out, name);
    out += u"=\"";
    out += value;
    out += u"\" ";
}

Text ValueOrEmpty(const OptText& text) {
    return text ? EscapeAttributeValue(*text) : Text();
}

template <typename Entry> void AppendDynamicVisibility(Text& out, const Entry& entry) {
    if (!entry.DynamicVisibility)
        return;
    AppendTextAttribute(out, AttributeName<&Entry::DynamicVisibility>(),
                        EscapeFormulaText(*entry.DynamicVisibility));
    AppendTextAttribute(out, AttributeName<&Entry::FixedDynamicVisibility>(),
                        entry.FixedDynamicVisibility ? u"TRUE" : u"FALSE");
}

void AppendFormula(Text& out, std::string_view name, const OptText& formula) {
    if (formula)
        AppendTextAttribute(out, name, EscapeFormulaText(*formula));
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

// The header's attributes, "name=\"value\" " each, with every character of a name that
// ISO-8859-1 has no byte for made '_' (written as '?', no parser would take the name), and
// '_' added while the name is taken, so that no attribute stands twice. Values keep their
// characters (they become '?', as in every text). A header of another form is kept.
bool BeyondLatin1(char16_t c) {
    return c > 0xFF;
}

Text Latin1HeaderNames(const Text& header) {
    std::vector<std::pair<Text, Text>> attributes; // name, the rest up to the next name
    std::set<Text> taken;
    for (size_t at = 0; at < header.size();) {
        size_t equals = header.find(u"=\"", at);
        size_t close = equals == Text::npos ? Text::npos : header.find(u'"', equals + 2);
        if (close == Text::npos)
            return header;
        size_t next = header.find_first_not_of(u' ', close + 1);
        next = next == Text::npos ? header.size() : next;
        attributes.emplace_back(header.substr(at, equals - at),
                                header.substr(equals, next - equals));
        taken.insert(attributes.back().first);
        at = next;
    }
    Text out;
    for (const auto& [name, rest] : attributes)
        out += DistinctWritableName(name, BeyondLatin1, taken) + rest;
    return out;
}

// Entry texts in the file's encoding; in ISO-8859-1 a character without a byte is noted.
void WriteEntryText(OutputSink& sink, const Text& text) {
    if (sink.Settings.Utf8) {
        WriteBytes(sink, Utf16ToUtf8(Writable(text)));
        return;
    }
    bool lost = false;
    WriteBytes(sink, Utf16ToLatin1(Writable(text), lost));
    if (lost)
        sink.UnicodeLost = true;
}

// The name as the file stores it, shortened against the simulator folder and the folder of
// the file being written. The entry keeps its complete name: after a save it must still
// resolve, and be written anew, from wherever the document goes next.
Text StoredName(const OptText& name, const SaveSettings& settings) {
    if (!name)
        return Text();
    Text shortened = *name;
    ShortenPath(shortened, settings.SimulatorRoot, settings.DocumentFolder);
    return EscapeAttributeValue(shortened);
}

// An entry is written in two parts: the element's start with the attributes whose values are
// plain ASCII (the same bytes in both encodings), then the text attributes, converted to the
// file's encoding, and the element's end.
std::string ObjectStartAndAsciiAttributes(const ObjectEntry& entry, const char* elementName) {
    std::string piece = "\r\n<";
    piece += elementName;
    piece += ">\r\n<Props ";
    AppendAsciiAttribute(piece, AttributeName<&ObjectEntry::Rotation>(),
                         FormatTriple(entry.Rotation));
    AppendAsciiAttribute(piece, AttributeName<&ObjectEntry::BlinkIntervall>(),
                         FormatFixed(entry.BlinkIntervall, 6));
    AppendAsciiAttribute(piece, AttributeName<&ObjectEntry::ZoomFaktor>(),
                         FormatFixed(entry.ZoomFaktor, 6));
    AppendAsciiAttribute(piece, AttributeName<&ObjectEntry::Position>(),
                         FormatTriple(entry.Position));
    return piece;
}

Text ObjectTextAttributesAndEnd(const ObjectEntry& entry, const char* elementName,
                                const SaveSettings& settings) {
    Text piece;
    AppendTextAttribute(piece, AttributeName<&ObjectEntry::Name>(),
                        StoredName(entry.Name, settings));
    AppendFormula(piece, AttributeName<&ObjectEntry::ShowOn>(), entry.ShowOn);
    // The two encodings have always written these groups in different orders.
    if (settings.Utf8) {
        AppendDynamicVisibility(piece, entry);
        AppendFormula(piece, AttributeName<&ObjectEntry::HideOn>(), entry.HideOn);
    } else {
        AppendFormula(piece, AttributeName<&ObjectEntry::HideOn>(), entry.HideOn);
        AppendDynamicVisibility(piece, entry);
    }
    if (entry.ShowIfBrightness == 1) {
        AppendTextAttribute(piece, AttributeName<&ObjectEntry::Brightness>(),
                            AsciiToUtf16(std::to_string(entry.Brightness).c_str()));
        AppendTextAttribute(piece, AttributeName<&ObjectEntry::GreaterAs>(),
                            entry.GreaterAs == 1 ? u"TRUE" : u"FALSE");
        AppendTextAttribute(piece, AttributeName<&ObjectEntry::ShowIfBrightness>(), u"TRUE");
    }
    if (entry.WeitSichtbar == 1)
        AppendTextAttribute(piece, AttributeName<&ObjectEntry::WeitSichtbar>(), u"TRUE");
    piece += u"/>\r\n</";
    piece += AsciiToUtf16(elementName);
    piece += u">";
    return piece;
}

std::string FontStartAndAsciiAttributes(const FontEntry& font) {
    std::string piece = "\r\n<Font>\r\n<Props ";
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::Rotation>(), FormatTriple(font.Rotation));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::Position>(), FormatTriple(font.Position));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::NormTopLeft>(),
                         FormatTriple(font.NormTopLeft));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::NormTopRight>(),
                         FormatTriple(font.NormTopRight));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::NormBottomLeft>(),
                         FormatTriple(font.NormBottomLeft));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::NormBottomRight>(),
                         FormatTriple(font.NormBottomRight));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::Leuchtend>(), Flag(font.Leuchtend));
    if (font.Vertikal == 1)
        AppendAsciiAttribute(piece, AttributeName<&FontEntry::Vertikal>(), "TRUE");
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::Fonthoehe>(),
                         FormatFixed(font.Fonthoehe, 3));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::Color>(), std::to_string(font.Color));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::AlignHorz>(),
                         std::to_string(font.AlignHorz));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::AlignVert>(),
                         std::to_string(font.AlignVert));
    AppendAsciiAttribute(piece, AttributeName<&FontEntry::BlinkIntervall>(),
                         FormatFixed(font.BlinkIntervall, 6));
    return piece;
}

Text FontTextAttributesAndEnd(const FontEntry& font, const SaveSettings& settings) {
    Text piece;
    AppendTextAttribute(piece, AttributeName<&FontEntry::Name>(), StoredName(font.Name, settings));
    AppendTextAttribute(piece, AttributeName<&FontEntry::DefaultText>(),
                        ValueOrEmpty(font.DefaultText));
    AppendDynamicVisibility(piece, font);
    AppendName(piece, AttributeName<&FontEntry::GroupProperty>());
    piece += u"=\"";
    piece += ValueOrEmpty(font.GroupProperty);
    piece += u"\" />\r\n</Font>";
    return piece;
}

void WriteEntries(OutputSink& sink, const GroupDocument* document) {
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
    const bool utf8 = sink.Settings.Utf8;
    std::string head;
    if (utf8)
        head = "\xEF\xBB\xBF";
    Append(head, "<?xml version=\"1.0\" encoding=\"");
    Append(head, utf8 ? "UTF-8" : "iso-8859-1");
    Append(head, "\"?>\r\n<GRUPPENOBJECT>\r\n<Props ");
    WriteBytes(sink, head);
    if (document.HeaderText) {
        bool lostInHeader = false; // the header is not part of the lost-character report
        Text header = Writable(*document.HeaderText);
        WriteBytes(sink, utf8 ? Utf16ToUtf8(header)
                              : Utf16ToLatin1(Latin1HeaderNames(header), lostInHeader));
    }
    WriteBytes(sink, "/>");
}

void WriteDocumentTail(OutputSink& sink) {
    WriteBytes(sink, "\r\n</GRUPPENOBJECT>");
}

int WriteObjectEntry(OutputSink& sink, const ObjectEntry* entry, const char* elementName) {
    try {
        WriteBytes(sink, ObjectStartAndAsciiAttributes(*entry, elementName));
        WriteEntryText(sink, ObjectTextAttributesAndEnd(*entry, elementName, sink.Settings));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int WriteFontEntry(OutputSink& sink, const FontEntry* font) {
    try {
        WriteBytes(sink, FontStartAndAsciiAttributes(*font));
        WriteEntryText(sink, FontTextAttributesAndEnd(*font, sink.Settings));
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void FormatGroupDocument(const GroupDocument* document, OutputSink& sink) {
    WriteDocumentHead(sink, *document);
    sink.UnicodeLost = false;
    WriteEntries(sink, document);
    WriteDocumentTail(sink);
}

SaveSettings SaveSettingsFor(const std::u16string& targetPath, bool utf8,
                             const std::u16string& simulatorRoot) {
    SaveSettings settings;
    settings.Utf8 = utf8;
    settings.SimulatorRoot = simulatorRoot;
    settings.DocumentFolder = DocumentFolderOf(targetPath, simulatorRoot);
    return settings;
}

namespace {

SaveFailure Save(const std::u16string& path, const GroupDocument& document,
                 const SaveSettings& settings, SaveReport& report) {
    OutputFile file;
    try {
        if (!CreateOutputFile(path, file))
            return SaveFailure::CannotCreate;
        OutputSink sink;
        sink.File = &file;
        sink.Settings = settings;
        FormatGroupDocument(&document, sink);
        report.UnicodeLost = sink.UnicodeLost;
        if (!FlushSink(sink)) {
            DiscardOutputFile(file);
            return SaveFailure::CannotWrite;
        }
        return CommitOutputFile(file) ? SaveFailure::None : SaveFailure::CannotReplace;
    } catch (const std::bad_alloc&) {
        DiscardOutputFile(file);
        return SaveFailure::NoMemory;
    }
}

} // namespace

bool SaveGroupDocumentWith(const std::u16string& path, const GroupDocument& document,
                           const SaveSettings& settings, SaveReport& report) {
    report = SaveReport();
    report.Failure = Save(path, document, settings, report);
    if (report.Failure == SaveFailure::None)
        return true;
    try {
        report.SystemError = LastSystemErrorText();
    } catch (const std::bad_alloc&) {
    }
    return false;
}

int SaveGroupDocument(const std::u16string& path, const GroupDocument* document) {
    SaveSettings settings;
    SaveReport report;
    try {
        settings.Utf8 = WriteUtf8 != 0;
        settings.SimulatorRoot = SimulatorRoot;
        settings.DocumentFolder = DocumentFolder;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    bool saved = SaveGroupDocumentWith(path, *document, settings, report);
    UnicodeLost = report.UnicodeLost ? 1 : 0;
    return saved ? 1 : 0;
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
