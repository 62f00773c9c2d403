#include "document/loader.h"

#include <climits>
#include <cstring>
#include <new>
#include <set>
#include <vector>

#include <expat.h>

#include "base/text.h"
#include "document/entry_fields.h"
#include "document/numbers.h"
#include "document/utf16_surrogates.h"
#include "document/xml_names.h"
#include "document/writer.h"
#include "paths/path_utils.h"
#include "platform/platform.h"

const char16_t* const EditMarker = u"/nBearbeitet mit Zellora";

namespace {

static_assert(sizeof(XML_Char) == sizeof(char16_t), "expat must be the UTF-16 build");

enum Kind : int16_t { KindNone, KindRoot, KindObject, KindIObject, KindFont };

// One root element counts -5000, each Point +1: exactly -5000 is a group file, more than 0
// an object file. Kept wide so that many Points cannot wrap the count.
constexpr int64_t RootTally = -5000;

struct LoaderState {
    LoadReport* Report = nullptr;
    XML_Parser Parser = nullptr;
    GroupDocument* Document = nullptr;
    std::u16string NameBaseFolder;
    Kind CurrentKind = KindNone;
    int64_t FileKindTally = 0;
    bool OutOfMemory = false;
};

const char16_t* Str(const XML_Char* s) {
    return reinterpret_cast<const char16_t*>(s);
}

// Element and attribute names are matched without regard to letter case; names of more
// than a few ASCII letters are none of ours. Zeros pad the letters, so that two names
// compare as whole words.
struct FoldedName {
    char Letters[24];
};

bool FoldName(const XML_Char* name, FoldedName& folded) {
    folded = FoldedName();
    size_t i = 0;
    for (; name[i]; ++i) {
        XML_Char c = name[i];
        if (i + 1 >= sizeof folded.Letters || c >= 0x80)
            return false;
        folded.Letters[i] = static_cast<char>(AsciiLower(c));
    }
    folded.Letters[i] = 0;
    return true;
}

bool operator==(const FoldedName& a, const FoldedName& b) {
    return std::memcmp(a.Letters, b.Letters, sizeof a.Letters) == 0;
}

bool Is(const FoldedName& name, const char* lowerCase) {
    return std::strcmp(name.Letters, lowerCase) == 0;
}

Text CompletedName(const LoaderState& state, const char16_t* value) {
    Text name(value);
    // An empty name names no file (labels usually have none); completed, it would turn into
    // the folder's name and be saved as such.
    if (name.empty())
        return name;
    if (KindOfPath(name) != PathKind::Relative)
        return name;
    return state.NameBaseFolder + name;
}

int16_t ReadAlignment(const char16_t* value) {
    // The low 16 bits of the 32-bit value, as a 16-bit field keeps them.
    return static_cast<int16_t>(
        static_cast<uint16_t>(static_cast<uint32_t>(ReadTruncatedInteger(value))));
}

void ReadValue(const LoaderState&, FieldKind, const char16_t* value, Vec3& out) {
    out = ReadTriple(value);
}

void ReadValue(const LoaderState&, FieldKind, const char16_t* value, double& out) {
    out = ReadNumber(value);
}

void ReadValue(const LoaderState& state, FieldKind kind, const char16_t* value, OptText& out) {
    out = kind == FieldKind::FileName ? CompletedName(state, value) : Text(value);
}

void ReadValue(const LoaderState&, FieldKind kind, const char16_t* value, int32_t& out) {
    switch (kind) {
    case FieldKind::DecimalInteger: out = ReadDecimalInteger(value); return;
    case FieldKind::TruncatedInteger: out = ReadTruncatedInteger(value); return;
    default: out = ReadBoolean(value); return;
    }
}

void ReadValue(const LoaderState&, FieldKind, const char16_t* value, int16_t& out) {
    out = ReadAlignment(value);
}

// The names of the fields, folded once.
template <typename Entry> struct FoldedField {
    FoldedName Name;
    const EntryField<Entry>* Field;
};

template <typename Entry> std::vector<FoldedField<Entry>> FoldFields() {
    std::vector<FoldedField<Entry>> folded;
    for (const auto& field : FieldsOf<Entry>()) {
        FoldedField<Entry> row{};
        if (field.Name.size() >= sizeof row.Name.Letters)
            continue; // longer than any attribute name that is read
        for (size_t i = 0; i < field.Name.size(); ++i)
            row.Name.Letters[i] = AsciiLower(field.Name[i]);
        row.Field = &field;
        folded.push_back(row);
    }
    return folded;
}

// An attribute that names no field is left alone.
template <typename Entry>
void ApplyAttribute(const LoaderState& state, Entry& entry, const FoldedName& name,
                    const char16_t* value) {
    static const std::vector<FoldedField<Entry>> fields = FoldFields<Entry>();
    for (const auto& folded : fields) {
        if (folded.Name == name) {
            const EntryField<Entry>& field = *folded.Field;
            std::visit([&](auto member) { ReadValue(state, field.Kind, value, entry.*member); },
                       field.Member);
            return;
        }
    }
}

bool Contains(const XML_Char* text, const std::u16string& what) {
    return std::u16string_view(Str(text)).find(what) != std::u16string_view::npos;
}

// The marker is added to a FileInfo value unless it already stands in that value or in any
// name or value after it in the same element, so that reloading a saved file adds nothing.
bool MarkerFollows(const XML_Char** attributes, size_t fileInfoIndex) {
    const std::u16string marker(EditMarker);
    if (Contains(attributes[fileInfoIndex + 1], marker))
        return true;
    for (size_t i = fileInfoIndex + 2; attributes[i]; i += 2)
        if (Contains(attributes[i], marker) || Contains(attributes[i + 1], marker))
            return true;
    return false;
}

// expat takes ª, µ and º in the names of UTF-16 and ISO-8859-1 files but refuses them in UTF-8
// ones; a header name keeping one of them would make the next UTF-8 save unreadable. Each
// becomes '_', and '_' is added while the name is taken (by a name of the header or one given
// before): "aª" beside "a_" would otherwise stand twice in the save, unreadable as well.
bool RefusedInUtf8Names(char16_t c) {
    return c == 0xAA || c == 0xB5 || c == 0xBA;
}

Text WritableAttributeName(const XML_Char* name, std::set<Text>& taken) {
    return DistinctWritableName(Str(name), RefusedInUtf8Names, taken);
}

void ReadHeader(LoaderState& state, const XML_Char** attributes) {
    std::set<Text> taken;
    for (size_t i = 0; attributes[i]; i += 2)
        taken.insert(Str(attributes[i]));
    Text header;
    for (size_t i = 0; attributes[i]; i += 2) {
        Text value(Str(attributes[i + 1]));
        if (NameIs(Str(attributes[i]), "FileInfo") && !MarkerFollows(attributes, i))
            value += EditMarker;
        header += WritableAttributeName(attributes[i], taken);
        header += u"=\"";
        header += EscapeAttributeValue(value);
        header += u"\" ";
    }
    state.Document->HeaderText = std::move(header);
}

void ReadObject(LoaderState& state, ObjectList& target, const XML_Char** attributes) {
    auto entry = std::make_unique<ObjectEntry>();
    for (size_t i = 0; attributes[i]; i += 2) {
        FoldedName name;
        if (FoldName(attributes[i], name))
            ApplyAttribute(state, *entry, name, Str(attributes[i + 1]));
    }
    target.push_back(std::move(entry));
}

void ReadFont(LoaderState& state, const XML_Char** attributes) {
    auto font = std::make_unique<FontEntry>(NewLoadedFontEntry());
    for (size_t i = 0; attributes[i]; i += 2) {
        FoldedName name;
        if (FoldName(attributes[i], name))
            ApplyAttribute(state, *font, name, Str(attributes[i + 1]));
    }
    state.Document->Fonts.push_back(std::move(font));
}

void TakeElementName(LoaderState& state, const XML_Char* elementName) {
    FoldedName name;
    if (!FoldName(elementName, name))
        return;
    if (Is(name, "gruppenobject")) {
        state.FileKindTally += RootTally;
        state.CurrentKind = KindRoot;
    } else if (Is(name, "object")) {
        state.CurrentKind = KindObject;
    } else if (Is(name, "iobject")) {
        state.CurrentKind = KindIObject;
    } else if (Is(name, "font")) {
        state.CurrentKind = KindFont;
    } else if (Is(name, "point")) {
        state.FileKindTally += 1;
    }
}

void TakeAttributes(LoaderState& state, const XML_Char** attributes) {
    bool none = attributes[0] == nullptr;
    switch (state.CurrentKind) {
    case KindNone: break;
    case KindRoot: ReadHeader(state, attributes); break;
    case KindObject:
        if (!none)
            ReadObject(state, state.Document->Objects, attributes);
        break;
    case KindIObject:
        if (!none)
            ReadObject(state, state.Document->IObjects, attributes);
        break;
    case KindFont:
        if (!none)
            ReadFont(state, attributes);
        break;
    }
}

void XMLCALL OnStartElement(void* userData, const XML_Char* elementName,
                            const XML_Char** attributes) {
    auto& state = *static_cast<LoaderState*>(userData);
    try {
        TakeElementName(state, elementName);
        TakeAttributes(state, attributes);
    } catch (const std::bad_alloc&) {
        // An entry that cannot be stored must not vanish silently: the load fails as a whole.
        state.OutOfMemory = true;
        XML_StopParser(state.Parser, XML_FALSE);
    }
}

void XMLCALL OnEndElement(void* userData, const XML_Char*) {
    static_cast<LoaderState*>(userData)->CurrentKind = KindNone;
}

bool IsDeclarationBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The encoding named by the XML declaration at the start of bytes, or "" when there is none.
std::string DeclaredEncoding(const std::string& bytes) {
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (bytes.compare(start, 5, "<?xml") != 0 || bytes.size() <= start + 5 ||
        !IsDeclarationBlank(bytes[start + 5]))
        return "";
    size_t end = bytes.find("?>", start);
    std::string declaration = bytes.substr(start, end == std::string::npos ? 512 : end - start);
    size_t key = declaration.find("encoding");
    if (key == std::string::npos)
        return "";
    size_t i = key + 8;
    while (i < declaration.size() && IsDeclarationBlank(declaration[i]))
        ++i;
    if (i >= declaration.size() || declaration[i] != '=')
        return "";
    ++i;
    while (i < declaration.size() && IsDeclarationBlank(declaration[i]))
        ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\''))
        return "";
    size_t close = declaration.find(declaration[i], i + 1);
    if (close == std::string::npos)
        return "";
    return declaration.substr(i + 1, close - i - 1);
}

bool NamesUtf8(const std::string& encoding) {
    if (encoding.size() != 5)
        return false;
    std::string lower = encoding;
    for (char& c : lower)
        c = AsciiLower(c);
    return lower == "utf-8";
}

// Skips a UTF-16 byte-order mark (turning big-endian text into little-endian) and reports
// the file's encoding. Returns where the text for the parser starts.
size_t DecideEncoding(std::string& bytes, int& writeUtf8) {
    bool littleMark = bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE;
    bool bigMark = bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF;
    if (littleMark || bigMark) {
        if (bigMark)
            for (size_t i = 2; i + 1 < bytes.size(); i += 2)
                std::swap(bytes[i], bytes[i + 1]);
        writeUtf8 = 1;
        return 2;
    }
    std::string encoding = DeclaredEncoding(bytes);
    writeUtf8 = (encoding.empty() || NamesUtf8(encoding)) ? 1 : 0;
    return 0;
}

std::u16string ParseErrorText(XML_Parser parser) {
    std::u16string text = AsciiToUtf16(XML_ErrorString(XML_GetErrorCode(parser)));
    text += u" at line ";
    text += AsciiToUtf16(std::to_string(XML_GetCurrentLineNumber(parser)).c_str());
    return text;
}

LoadResult ResultFromTally(int64_t tally) {
    if (tally > 0)
        return LoadObjectFile;
    return tally == RootTally ? LoadOk : LoadNotGroupFile;
}

LoadResult Parse(LoaderState& state, std::string& bytes) {
    size_t start = DecideEncoding(bytes, state.Report->WriteUtf8);
    size_t length = bytes.size() - start;
    if (length > size_t(INT_MAX))
        return LoadNoMemory; // one parser call takes at most an int of bytes
    state.Parser = XML_ParserCreate(nullptr);
    if (!state.Parser)
        return LoadOpenFailed;
    XML_SetElementHandler(state.Parser, OnStartElement, OnEndElement);
    XML_SetUserData(state.Parser, &state);
    // Up to an unpaired surrogate only: what comes before it may fail first, as it would in
    // any expat build; otherwise the surrogate is the error.
    const UnpairedSurrogate surrogate = FindUnpairedSurrogate(bytes, start);
    XML_Status status = surrogate.Found
                            ? XML_Parse(state.Parser, bytes.data() + start,
                                        int(surrogate.Offset - start), XML_FALSE)
                            : XML_Parse(state.Parser, bytes.data() + start, int(length), XML_TRUE);
    LoadResult result = LoadOk;
    if (state.OutOfMemory ||
        (status != XML_STATUS_OK && XML_GetErrorCode(state.Parser) == XML_ERROR_NO_MEMORY)) {
        result = LoadNoMemory;
    } else if (status != XML_STATUS_OK) {
        state.Report->ParseError = ParseErrorText(state.Parser);
        result = LoadXmlError;
    } else if (surrogate.Found) {
        state.Report->ParseError = AsciiToUtf16(XML_ErrorString(XML_ERROR_INVALID_TOKEN)) +
                                   u" at line " +
                                   AsciiToUtf16(std::to_string(surrogate.Line).c_str());
        result = LoadXmlError;
    } else {
        result = ResultFromTally(state.FileKindTally);
    }
    XML_ParserFree(state.Parser);
    state.Parser = nullptr;
    return result;
}

LoadResult LoadBytes(std::string& bytes, std::u16string nameBaseFolder, GroupDocument* document,
                     LoadReport& report) {
    LoaderState state;
    state.Report = &report;
    state.Document = document;
    state.NameBaseFolder = std::move(nameBaseFolder);
    return Parse(state, bytes);
}

} // namespace

std::u16string PathToOpen(const std::u16string& path, const std::u16string& currentFolder) {
    PathKind kind = KindOfPath(path);
    if (kind == PathKind::Drive || kind == PathKind::Network || currentFolder.empty())
        return path;
    std::u16string rest = kind == PathKind::RootRelative ? path.substr(1) : path;
    if (currentFolder.back() == u'\\')
        return currentFolder + rest;
    return currentFolder + u'\\' + rest;
}

namespace {

// The outcome of a load for the process-wide values of the editor: the encoding found goes
// to WriteUtf8, a parse error to the user.
LoadResult TellOutcome(LoadResult result, const LoadReport& report) {
    if (report.WriteUtf8 >= 0)
        WriteUtf8 = report.WriteUtf8;
    if (result == LoadXmlError)
        TellUser(report.ParseError, u"Zellora");
    return result;
}

} // namespace

LoadResult LoadGroupDocumentFromBytes(std::string& bytes, const std::u16string& fileName,
                                      GroupDocument* document) {
    LoadReport report;
    try {
        FreeGroupDocument(document);
        return TellOutcome(LoadBytes(bytes, FolderOf(fileName), document, report), report);
    } catch (const std::bad_alloc&) {
        return TellOutcome(LoadNoMemory, report);
    }
}

LoadResult LoadGroupDocumentWith(const std::u16string& path, GroupDocument* document,
                                 const LoadSettings& settings, LoadReport& report) {
    report = LoadReport();
    try {
        std::u16string base =
            settings.ResolveAgainstFileFolder ? FolderOf(path) : settings.CurrentFolder + u"\\";
        FreeGroupDocument(document);
        std::string bytes;
        switch (ReadWholeFile(PathToOpen(path, settings.CurrentFolder), bytes)) {
        case ReadOk: break;
        case ReadOpenFailed: return LoadOpenFailed;
        case ReadNoMemory: return LoadNoMemory;
        }
        return LoadBytes(bytes, std::move(base), document, report);
    } catch (const std::bad_alloc&) {
        return LoadNoMemory;
    }
}

LoadResult LoadGroupDocument(std::u16string& path, GroupDocument* document) {
    LoadReport report;
    try {
        LoadSettings settings;
        settings.ResolveAgainstFileFolder = ResolveAgainstFileFolder;
        settings.CurrentFolder = GetCurrentFolder();
        std::u16string original = path;
        // The caller's name loses the leading backslash of a root-relative name, as it
        // always has; a network path (two backslashes) stays as it is.
        if (KindOfPath(path) == PathKind::RootRelative)
            path.erase(0, 1);
        return TellOutcome(LoadGroupDocumentWith(original, document, settings, report), report);
    } catch (const std::bad_alloc&) {
        return TellOutcome(LoadNoMemory, report);
    }
}
