#include "cli/json.h"

#include <array>
#include <charconv>
#include <cmath>

#include "document/entry_fields.h"
#include "document/writer.h"

namespace {

// Big enough that writing costs few system calls, small enough to stay in the cache.
constexpr size_t JsonBlockSize = 1 << 16;

const char* ResultName(LoadResult result) {
    switch (result) {
    case LoadOk: return "LoadOk";
    case LoadObjectFile: return "LoadObjectFile";
    case LoadXmlError: return "LoadXmlError";
    case LoadOpenFailed: return "LoadOpenFailed";
    case LoadNoMemory: return "LoadNoMemory";
    case LoadNotGroupFile: return "LoadNotGroupFile";
    }
    return "LoadNotGroupFile";
}

// Keys of one object at one depth: `{`, then each "key": value on its own line.
struct JsonFields {
    std::string& Out;
    const char* Indent; // of the object's own braces
    bool First = true;

    void Key(std::string_view key) {
        Out += First ? "\n" : ",\n";
        First = false;
        Out += Indent;
        Out += "  \"";
        Out += key;
        Out += "\": ";
    }
    void Number(std::string_view key, double value) {
        Key(key);
        AppendJsonNumber(Out, value);
    }
    void Int(std::string_view key, int64_t value) {
        Key(key);
        std::array<char, 24> digits;
        auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
        Out.append(digits.data(), end);
    }
    void Text(std::string_view key, const OptText& text) {
        Key(key);
        if (text)
            AppendJsonString(Out, *text);
        else
            Out += "null";
    }
    void Triple(std::string_view key, const Vec3& v) {
        Key(key);
        Out += '[';
        AppendJsonNumber(Out, v.x);
        Out += ", ";
        AppendJsonNumber(Out, v.y);
        Out += ", ";
        AppendJsonNumber(Out, v.z);
        Out += ']';
    }
    void Value(std::string_view key, const Vec3& v) { Triple(key, v); }
    void Value(std::string_view key, double v) { Number(key, v); }
    void Value(std::string_view key, const OptText& text) { Text(key, text); }
    void Value(std::string_view key, int32_t v) { Int(key, v); }
    void Value(std::string_view key, int16_t v) { Int(key, v); }
    void Close() {
        Out += '\n';
        Out += Indent;
        Out += '}';
    }
};

template <typename Entry> void EntryJson(std::string& out, const Entry& entry) {
    out += '{';
    JsonFields o{out, "    "};
    for (const auto& field : FieldsOf<Entry>())
        std::visit([&](auto member) { o.Value(field.Name, entry.*member); }, field.Member);
    o.Close();
}

template <typename List, typename Format>
void ArrayJson(JsonOutput& out, const List& list, Format format) {
    bool first = true;
    for (const auto& entry : list) {
        if (!entry)
            continue;
        out.Buffer += first ? "[\n    " : ",\n    ";
        first = false;
        format(out.Buffer, *entry);
        if (out.Buffer.size() >= JsonBlockSize)
            FlushJson(out);
    }
    out.Buffer += first ? "[]" : "\n  ]";
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

void AppendEscapedAscii(std::string& out, char16_t c) {
    switch (c) {
    case u'"': out += "\\\""; return;
    case u'\\': out += "\\\\"; return;
    case u'\b': out += "\\b"; return;
    case u'\f': out += "\\f"; return;
    case u'\n': out += "\\n"; return;
    case u'\r': out += "\\r"; return;
    case u'\t': out += "\\t"; return;
    }
    static const char hex[] = "0123456789abcdef";
    char escaped[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
    out.append(escaped, sizeof escaped);
}

} // namespace

void FlushJson(JsonOutput& out) {
    if (!out.File || out.Buffer.empty())
        return;
    fwrite(out.Buffer.data(), 1, out.Buffer.size(), out.File);
    out.Buffer.clear();
}

void AppendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    // "-0" would read back as the integer 0; the file's "-0.000" needs the sign.
    if (value == 0 && std::signbit(value)) {
        out += "-0.0";
        return;
    }
    std::array<char, 32> buffer;
    auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    out.append(buffer.data(), end);
}

// UTF-16 to UTF-8 and the escaping of RFC 8259 in one pass; a lone surrogate, which has no
// UTF-8 form, becomes U+FFFD as everywhere else in the program.
void AppendJsonString(std::string& out, const std::u16string& text) {
    out += '"';
    const size_t size = text.size();
    for (size_t i = 0; i < size; ++i) {
        char16_t c = text[i];
        if (c < 0x80) {
            if (c >= 0x20 && c != u'"' && c != u'\\')
                out += static_cast<char>(c);
            else
                AppendEscapedAscii(out, c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < size && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, c);
        }
    }
    out += '"';
}

std::string JsonNumber(double value) {
    std::string out;
    AppendJsonNumber(out, value);
    return out;
}

std::string JsonString(const std::u16string& text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

void WriteDocumentJson(JsonOutput& out, LoadResult result, int writeUtf8,
                       const GroupDocument& document) {
    out.Buffer += '{';
    JsonFields o{out.Buffer, ""};
    o.Key("result");
    out.Buffer += '"';
    out.Buffer += ResultName(result);
    out.Buffer += '"';
    o.Int("writeUtf8", writeUtf8 ? 1 : 0);
    o.Text("header",
           document.HeaderText ? OptText(UnescapeAttributeValue(*document.HeaderText)) : OptText());
    o.Key("objects");
    ArrayJson(out, document.Objects, EntryJson<ObjectEntry>);
    o.Key("iobjects");
    ArrayJson(out, document.IObjects, EntryJson<ObjectEntry>);
    o.Key("fonts");
    ArrayJson(out, document.Fonts, EntryJson<FontEntry>);
    o.Close();
    out.Buffer += '\n';
    FlushJson(out);
}
