#include "cli/json_document.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#include <string_view>
#include <unordered_set>

#include "base/text.h"
#include "document/entry_fields.h"
#include "document/writer.h"
#include "document/xml_names.h"

namespace {

// The format nests four levels (document, list, entry, triple); what `result` holds is
// skipped, but nothing deeper than this is read at all.
constexpr int MaxDepth = 8;

// "Zeile N, Spalte M: what" for the byte at offset at.
std::u16string Place(const std::string& text, size_t at, const char* what) {
    at = std::min(at, text.size());
    size_t line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < at; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    // Columns count characters, not bytes, as an editor shows them.
    size_t column = 1;
    for (size_t i = lineStart; i < at; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++column;
    return Utf8ToUtf16("Zeile " + std::to_string(line) + ", Spalte " + std::to_string(column) +
                       ": " + what);
}

// The bracket that opens the first level beyond MaxDepth. The parser got there, so the text
// before it is valid JSON and its strings end where a simple scan ends them.
size_t TooDeepAt(const std::string& text) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > MaxDepth)
                return i;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return text.size();
}

// A character that an XML file cannot hold makes the saved file unreadable.
bool AllowedInFile(char16_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c != 0xFFFE && c != 0xFFFF);
}

// One value as the parser hands it over; Container stands for an array or an object that
// came where a plain value was expected.
enum class ValueType { Null, Boolean, Signed, Unsigned, Real, String, Container };

struct Value {
    ValueType Type = ValueType::Null;
    int64_t Signed = 0;
    uint64_t Unsigned = 0;
    double Real = 0;
    std::string_view Text;

    bool IsNumber() const {
        return Type == ValueType::Signed || Type == ValueType::Unsigned || Type == ValueType::Real;
    }
    double Number() const {
        return Type == ValueType::Signed     ? double(Signed)
               : Type == ValueType::Unsigned ? double(Unsigned)
                                             : Real;
    }
};

// The parser's working memory comes from operator new like everything else, so that running
// out of it is std::bad_alloc, as the callers expect, and not a null pointer.
struct ParserMemory {
    static const bool kNeedFree = true;
    void* Malloc(size_t size) { return size ? ::operator new(size) : nullptr; }
    void* Realloc(void* old, size_t oldSize, size_t newSize) {
        void* block = Malloc(newSize);
        if (old && block)
            std::memcpy(block, old, std::min(oldSize, newSize));
        Free(old);
        return block;
    }
    static void Free(void* block) { ::operator delete(block); }
};

// A JSON number as the standard library reads it: a whole number while it fits 64 bits,
// otherwise the nearest double. False when it is beyond every double.
bool ReadNumber(std::string_view text, Value& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (text.find_first_of(".eE") == std::string_view::npos) {
        if (text[0] == '-') {
            value.Type = ValueType::Signed;
            if (std::from_chars(first, last, value.Signed).ec == std::errc())
                return true;
        } else {
            value.Type = ValueType::Unsigned;
            if (std::from_chars(first, last, value.Unsigned).ec == std::errc())
                return true;
        }
    }
    value.Type = ValueType::Real;
    std::errc error = std::from_chars(first, last, value.Real).ec;
    if (error != std::errc::result_out_of_range)
        return error == std::errc();
    // Too small for a double reads as zero, as strtod reads it; too large is no number.
    value.Real = std::strtod(std::string(text).c_str(), nullptr);
    return std::isfinite(value.Real);
}

// The checks of single values; the first problem ends the reading.
struct ValueReader {
    std::u16string Problem;

    bool Fail(const std::string& place, const char* what) {
        Problem = Utf8ToUtf16(place + ": " + what);
        return false;
    }

    bool Number(const Value& value, const std::string& place, double& out) {
        if (!value.IsNumber())
            return Fail(place, "erwartet eine Zahl");
        out = value.Number();
        return true;
    }

    // Whether value is a whole number from low to high; it is stored in out if so.
    template <typename Int>
    static bool InRange(const Value& value, int64_t low, int64_t high, Int& out) {
        if (value.Type == ValueType::Unsigned && value.Unsigned <= uint64_t(high)) {
            out = Int(value.Unsigned);
            return true;
        }
        if (value.Type == ValueType::Signed && value.Signed >= low && value.Signed <= high) {
            out = Int(value.Signed);
            return true;
        }
        return false;
    }

    // Any whole number the field's type holds.
    template <typename Int> bool Whole(const Value& value, const std::string& place, Int& out) {
        constexpr int64_t low = std::numeric_limits<Int>::min();
        constexpr int64_t high = std::numeric_limits<Int>::max();
        if (InRange(value, low, high, out))
            return true;
        return Fail(place, ("erwartet eine ganze Zahl von " + std::to_string(low) + " bis " +
                            std::to_string(high))
                               .c_str());
    }

    bool Flag(const Value& value, const std::string& place, int32_t& out) {
        return InRange(value, 0, 1, out) || Fail(place, "erwartet 0 oder 1");
    }

    bool Text(const Value& value, const std::string& place, OptText& out) {
        if (value.Type == ValueType::Null) {
            out.reset();
            return true;
        }
        if (value.Type != ValueType::String)
            return Fail(place, "erwartet einen Text oder null");
        std::u16string text = Utf8ToUtf16(value.Text);
        for (char16_t c : text)
            if (!AllowedInFile(c))
                return Fail(place, "enthält ein Steuerzeichen, das eine Gruppendatei nicht "
                                   "aufnehmen kann");
        out = std::move(text);
        return true;
    }

    // A triple arrives as an array, number by number; anything else is no triple.
    bool Read(FieldKind, const Value&, const std::string& place, Vec3&) {
        return Fail(place, "erwartet [x, y, z]");
    }
    bool Read(FieldKind, const Value& v, const std::string& place, double& out) {
        return Number(v, place, out);
    }
    bool Read(FieldKind, const Value& v, const std::string& place, OptText& out) {
        return Text(v, place, out);
    }
    bool Read(FieldKind kind, const Value& v, const std::string& place, int32_t& out) {
        return kind == FieldKind::Flag ? Flag(v, place, out) : Whole(v, place, out);
    }
    bool Read(FieldKind, const Value& v, const std::string& place, int16_t& out) {
        return Whole(v, place, out);
    }
};

// The list being read and the field of its current entry whose value comes next.
template <typename Entry> struct EntryList {
    using Type = Entry;
    std::vector<std::unique_ptr<Entry>>* Entries = nullptr;
    const EntryField<Entry>* Field = nullptr;
};

enum class TopKey { Result, WriteUtf8, Header, Objects, IObjects, Fonts };

// Builds the document while the parser goes through the text (the parser's SAX interface), so
// no tree of the whole JSON is ever held. After the first problem the rest is only parsed:
// a syntax error anywhere, or nesting too deep, is what is reported then.
struct DocumentReader : ValueReader {
    JsonDocument& Result;
    std::vector<std::u16string> HeaderNames;
    int Depth = 0;
    int SkippedFrom = 0; // > 0: the levels from this one on belong to a value not read
    bool Stopped = false;
    bool TooDeep = false;
    const rapidjson::MemoryStream* Stream = nullptr;
    size_t NumberTooLargeEnd = 0; // > 0: where a number beyond every double ends

    TopKey Top = TopKey::Result;
    std::string ListName; // the key of the list being read
    std::string FieldKey; // the key in the current entry
    EntryList<ObjectEntry> Objects;
    EntryList<FontEntry> Fonts;
    Vec3 Triple;
    int TripleCount = 0;

    explicit DocumentReader(JsonDocument& result) : Result(result) {}

    bool Stop(bool ok) {
        if (!ok)
            Stopped = true;
        return true; // the parser goes on to find syntax errors and deep nesting
    }
    bool Reading() const { return !Stopped && !SkippedFrom; }

    template <typename Action> auto InList(Action action) {
        return Top == TopKey::Fonts ? action(Fonts) : action(Objects);
    }
    size_t ListSize() {
        return InList([](auto& list) { return list.Entries->size(); });
    }

    // Places are put together only for a message: "objects[3]", "objects[3].Position".
    std::string EntryPlace(size_t index) const {
        return ListName + "[" + std::to_string(index) + "]";
    }
    std::string FieldPlace() { return EntryPlace(ListSize() - 1) + "." + FieldKey; }

    bool Scalar(const Value& v) {
        if (!Reading())
            return true;
        switch (Depth) {
        case 0: return Stop(Fail("Dokument", "erwartet ein JSON-Objekt"));
        case 1: return Stop(TopValue(v));
        case 2: return Stop(Fail(EntryPlace(ListSize()), "erwartet ein Objekt"));
        case 3:
            return Stop(InList([&](auto& list) {
                auto& entry = *list.Entries->back();
                return std::visit(
                    [&](auto member) {
                        return Read(list.Field->Kind, v, FieldPlace(), entry.*member);
                    },
                    list.Field->Member);
            }));
        default:
            if (!v.IsNumber() || TripleCount == 3)
                return Stop(Fail(FieldPlace(), "erwartet [x, y, z]"));
            (TripleCount == 0 ? Triple.x : TripleCount == 1 ? Triple.y : Triple.z) = v.Number();
            ++TripleCount;
            return true;
        }
    }

    bool TopValue(const Value& v) {
        switch (Top) {
        case TopKey::Result: return true; // what the load of the original file said
        case TopKey::WriteUtf8: {
            int32_t flag = 1;
            bool ok = Flag(v, "writeUtf8", flag);
            Result.WriteUtf8 = flag;
            return ok;
        }
        case TopKey::Header: return Header(v);
        default: return Fail(ListName, "erwartet eine Liste");
        }
    }

    bool Header(const Value& v) {
        OptText shown;
        if (!Text(v, "header", shown))
            return false;
        HeaderNames.clear();
        if (!shown) {
            Result.Document.HeaderText.reset();
            return true;
        }
        std::u16string header;
        if (!HeaderFromShown(*shown, header, &HeaderNames))
            return Fail("header", "erwartet Attribute der Form name=\"Wert\"");
        Result.Document.HeaderText = std::move(header);
        return true;
    }

    bool Open(bool array) {
        if (Depth == MaxDepth) {
            TooDeep = true;
            return false;
        }
        bool ok = !Reading() || OpenLevel(array);
        ++Depth;
        return ok;
    }

    bool OpenLevel(bool array) {
        Value container;
        container.Type = ValueType::Container;
        switch (Depth) {
        case 0: return array ? Scalar(container) : true;
        case 1:
            if (Top == TopKey::Result) {
                SkippedFrom = Depth + 1;
                return true;
            }
            if (!array || Top == TopKey::WriteUtf8 || Top == TopKey::Header)
                return Scalar(container);
            OpenList();
            return true;
        case 2:
            if (array)
                return Scalar(container);
            // Entries start as the loader makes them, so a field left out keeps that value.
            if (Top == TopKey::Fonts)
                Fonts.Entries->push_back(std::make_unique<FontEntry>(NewLoadedFontEntry()));
            else
                Objects.Entries->push_back(std::make_unique<ObjectEntry>());
            return true;
        case 3:
            if (array && InList([](auto& list) { return list.Field->Kind == FieldKind::Triple; })) {
                TripleCount = 0;
                return true;
            }
            return Scalar(container);
        default: return Scalar(container);
        }
    }

    void OpenList() {
        if (Top == TopKey::Fonts) {
            Result.Document.Fonts.clear();
            Fonts.Entries = &Result.Document.Fonts;
        } else {
            ObjectList& list =
                Top == TopKey::Objects ? Result.Document.Objects : Result.Document.IObjects;
            list.clear();
            Objects.Entries = &list;
        }
    }

    bool Close() {
        --Depth;
        if (SkippedFrom > Depth)
            SkippedFrom = 0;
        else if (Reading() && Depth == 3)
            return Stop(InList([&](auto& list) {
                if (TripleCount != 3)
                    return Fail(FieldPlace(), "erwartet [x, y, z]");
                using Entry = typename std::remove_reference_t<decltype(list)>::Type;
                list.Entries->back().get()->*std::get<Vec3 Entry::*>(list.Field->Member) = Triple;
                return true;
            }));
        return true;
    }

    bool TakeKey(std::string_view key) {
        if (!Reading())
            return true;
        if (Depth == 1) {
            static const std::pair<const char*, TopKey> keys[] = {
                {"result", TopKey::Result},     {"writeUtf8", TopKey::WriteUtf8},
                {"header", TopKey::Header},     {"objects", TopKey::Objects},
                {"iobjects", TopKey::IObjects}, {"fonts", TopKey::Fonts},
            };
            for (const auto& [name, which] : keys) {
                if (key == name) {
                    Top = which;
                    ListName = std::string(key);
                    return true;
                }
            }
            return Stop(Fail(std::string(key), "unbekannter Schlüssel"));
        }
        // Keys are the names of the fields, in their exact letter case.
        FieldKey = std::string(key);
        return Stop(InList([&](auto& list) {
            using Entry = typename std::remove_reference_t<decltype(list)>::Type;
            for (const auto& field : FieldsOf<Entry>())
                if (key == field.Name) {
                    list.Field = &field;
                    return true;
                }
            return Fail(FieldPlace(), "unbekannter Schlüssel");
        }));
    }

    // The parser's SAX interface. Numbers arrive as their text and are read here as the
    // standard library reads them, exactly rounded.
    bool Null() { return Scalar(Value()); }
    bool Bool(bool) {
        Value v;
        v.Type = ValueType::Boolean;
        return Scalar(v);
    }
    bool Int(int) { return true; } // not called: numbers come as text
    bool Uint(unsigned) { return true; }
    bool Int64(int64_t) { return true; }
    bool Uint64(uint64_t) { return true; }
    bool Double(double) { return true; }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        Value v;
        if (!ReadNumber(std::string_view(text, length), v)) {
            NumberTooLargeEnd = Stream->Tell();
            return false;
        }
        return Scalar(v);
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        Value v;
        v.Type = ValueType::String;
        v.Text = std::string_view(text, length);
        return Scalar(v);
    }
    bool StartObject() { return Open(false); }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        return TakeKey(std::string_view(text, length));
    }
    bool EndObject(rapidjson::SizeType) { return Close(); }
    bool StartArray() { return Open(true); }
    bool EndArray(rapidjson::SizeType) { return Close(); }
};

bool IsNameCharacter(char16_t c) {
    return c > 0x20 && c != u'"' && c != u'=' && c != u'<' && c != u'&' && c != u'>' &&
           c != u'\'' && c != u'/';
}

// Length of `name="` at i, or 0.
size_t AttributeStartAt(const std::u16string& text, size_t i) {
    size_t k = i;
    while (k < text.size() && IsNameCharacter(text[k]))
        ++k;
    if (k == i || text.compare(k, 2, u"=\"") != 0)
        return 0;
    return k + 2 - i;
}

// The header's names as the loader reads them back: XML names, each once, and in ISO-8859-1
// with a byte for every character (else it is written as '?').
bool CheckHeaderNames(const std::vector<std::u16string>& names, bool utf8,
                      std::u16string& problem) {
    std::unordered_set<std::u16string> seen;
    for (const std::u16string& name : names) {
        const std::string quoted = "\"" + Utf16ToUtf8(name) + "\"";
        const char* what = nullptr;
        if (!utf8 && std::any_of(name.begin(), name.end(), [](char16_t c) { return c > 0xFF; }))
            what = " lässt sich in ISO-8859-1 nicht schreiben";
        else if (!IsReadableAttributeName(name))
            what = " ist kein gültiger XML-Name";
        else if (!seen.insert(name).second)
            what = " kommt mehrfach vor";
        if (what) {
            problem = Utf8ToUtf16("header: Attributname " + quoted + what);
            return false;
        }
    }
    return true;
}

} // namespace

// A value may itself hold `"` once unescaped; it ends at the first quote that closes the
// text or is followed by a blank and the next attribute.
bool HeaderFromShown(const std::u16string& shown, std::u16string& headerText,
                     std::vector<std::u16string>* names) {
    std::u16string out;
    size_t i = 0;
    while (i < shown.size()) {
        size_t start = AttributeStartAt(shown, i);
        if (!start)
            return false;
        size_t valueStart = i + start;
        size_t end = valueStart;
        for (;; ++end) {
            end = shown.find(u'"', end);
            if (end == std::u16string::npos)
                return false;
            if (end + 1 == shown.size())
                break;
            if (shown[end + 1] == u' ' &&
                (end + 2 == shown.size() || AttributeStartAt(shown, end + 2)))
                break;
        }
        out.append(shown, i, start);
        if (names)
            names->push_back(shown.substr(i, start - 2));
        out += EscapeAttributeValue(shown.substr(valueStart, end - valueStart));
        out += u'"';
        i = end + 1;
        if (i < shown.size()) {
            out += u' ';
            ++i;
        }
    }
    headerText = std::move(out);
    return true;
}

bool ReadJsonDocument(const std::string& text, JsonDocument& result, std::u16string& problem) {
    DocumentReader reader(result);
    rapidjson::MemoryStream stream(text.data(), text.size());
    reader.Stream = &stream;
    rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, ParserMemory> parser;
    constexpr unsigned flags = rapidjson::kParseValidateEncodingFlag |
                               rapidjson::kParseNumbersAsStringsFlag |
                               rapidjson::kParseStopWhenDoneFlag;
    rapidjson::ParseResult parse = parser.Parse<flags>(stream, reader);
    if (reader.TooDeep) {
        problem = Place(text, TooDeepAt(text),
                        ("mehr als " + std::to_string(MaxDepth) + " Ebenen verschachtelt").c_str());
        return false;
    }
    // The place of a syntax error: the byte the parser could not take, the start of a
    // character that is no UTF-8, the last digit of a number too large.
    size_t at = stream.Tell();
    if (parse.Code() == rapidjson::kParseErrorStringInvalidEncoding)
        at = parse.Offset();
    else if (reader.NumberTooLargeEnd)
        at = reader.NumberTooLargeEnd - 1;
    else if (parse.Code() == rapidjson::kParseErrorNumberTooBig && at > 0)
        --at;
    else if (!parse.IsError())
        // Only blanks may follow; the stream's own end reads as a NUL, so a NUL in the text
        // must not pass for it.
        at = text.find_first_not_of(" \t\n\r", at);
    if (at != std::string::npos) {
        problem = Place(text, at, "kein gültiges JSON");
        return false;
    }
    if (reader.Stopped) {
        problem = reader.Problem;
        return false;
    }
    return CheckHeaderNames(reader.HeaderNames, result.WriteUtf8 != 0, problem);
}
