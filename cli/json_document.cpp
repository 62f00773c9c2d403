#include "cli/json_document.h"

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>

#include "base/text.h"
#include "document/entry_fields.h"
#include "document/writer.h"

namespace {

// Keys kept in a vector, in their order: fewer allocations than a tree per entry.
using json = nlohmann::ordered_json;

// The library's tree builder, told not to throw; the place of a syntax error is kept.
struct SyntaxErrorCatcher : nlohmann::detail::json_sax_dom_parser<json> {
    explicit SyntaxErrorCatcher(json& root) : json_sax_dom_parser(root, false) {}
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
        Failed = true;
        Position = position;
        return false;
    }
    bool Failed = false;
    size_t Position = 0;
};

std::u16string SyntaxErrorPlace(const std::string& text, size_t position) {
    // position counts the bytes read, the offending one included.
    size_t at = position > 0 ? std::min(position - 1, text.size()) : 0;
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
                       ": kein gültiges JSON");
}

// A character that an XML file cannot hold makes the saved file unreadable.
bool AllowedInFile(char16_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c != 0xFFFE && c != 0xFFFF);
}

struct Reader {
    std::u16string Problem;

    bool Fail(const std::string& place, const char* what) {
        Problem = Utf8ToUtf16(place + ": " + what);
        return false;
    }

    bool Number(const json& value, const std::string& place, double& out) {
        if (!value.is_number())
            return Fail(place, "erwartet eine Zahl");
        out = value.get<double>();
        return true;
    }

    // Whether value is a whole number from low to high; it is stored in out if so.
    template <typename Int>
    static bool InRange(const json& value, int64_t low, int64_t high, Int& out) {
        if (value.is_number_unsigned() && value.get<uint64_t>() <= uint64_t(high)) {
            out = Int(value.get<uint64_t>());
            return true;
        }
        if (value.is_number_integer() && !value.is_number_unsigned() &&
            value.get<int64_t>() >= low && value.get<int64_t>() <= high) {
            out = Int(value.get<int64_t>());
            return true;
        }
        return false;
    }

    // Any whole number the field's type holds.
    template <typename Int> bool Whole(const json& value, const std::string& place, Int& out) {
        constexpr int64_t low = std::numeric_limits<Int>::min();
        constexpr int64_t high = std::numeric_limits<Int>::max();
        if (InRange(value, low, high, out))
            return true;
        return Fail(place, ("erwartet eine ganze Zahl von " + std::to_string(low) + " bis " +
                            std::to_string(high))
                               .c_str());
    }

    bool Flag(const json& value, const std::string& place, int32_t& out) {
        return InRange(value, 0, 1, out) || Fail(place, "erwartet 0 oder 1");
    }

    bool Triple(const json& value, const std::string& place, Vec3& out) {
        if (!value.is_array() || value.size() != 3 || !value[0].is_number() ||
            !value[1].is_number() || !value[2].is_number())
            return Fail(place, "erwartet [x, y, z]");
        out = {value[0].get<double>(), value[1].get<double>(), value[2].get<double>()};
        return true;
    }

    bool String(const json& value, const std::string& place, std::u16string& out) {
        if (!value.is_string())
            return Fail(place, "erwartet einen Text");
        out = Utf8ToUtf16(value.get_ref<const std::string&>());
        for (char16_t c : out)
            if (!AllowedInFile(c))
                return Fail(place, "enthält ein Steuerzeichen, das eine Gruppendatei nicht "
                                   "aufnehmen kann");
        return true;
    }

    bool Text(const json& value, const std::string& place, OptText& out) {
        if (value.is_null()) {
            out.reset();
            return true;
        }
        std::u16string text;
        if (!value.is_string())
            return Fail(place, "erwartet einen Text oder null");
        if (!String(value, place, text))
            return false;
        out = std::move(text);
        return true;
    }

    bool Read(FieldKind, const json& v, const std::string& place, Vec3& out) {
        return Triple(v, place, out);
    }
    bool Read(FieldKind, const json& v, const std::string& place, double& out) {
        return Number(v, place, out);
    }
    bool Read(FieldKind, const json& v, const std::string& place, OptText& out) {
        return Text(v, place, out);
    }
    bool Read(FieldKind kind, const json& v, const std::string& place, int32_t& out) {
        return kind == FieldKind::Flag ? Flag(v, place, out) : Whole(v, place, out);
    }
    bool Read(FieldKind, const json& v, const std::string& place, int16_t& out) {
        return Whole(v, place, out);
    }

    // Keys are the names of the fields, in their exact letter case.
    template <typename Entry>
    bool Field(const std::string& key, const json& v, const std::string& place, Entry& entry) {
        for (const auto& field : FieldsOf<Entry>())
            if (key == field.Name)
                return std::visit(
                    [&](auto member) { return Read(field.Kind, v, place, entry.*member); },
                    field.Member);
        return Fail(place, "unbekannter Schlüssel");
    }

    // Entries start as the loader makes them, so a field left out keeps that value.
    template <typename Entry, typename Make>
    bool Entries(const json& list, const std::string& name,
                 std::vector<std::unique_ptr<Entry>>& out, Make make) {
        if (!list.is_array())
            return Fail(name, "erwartet eine Liste");
        for (size_t i = 0; i < list.size(); ++i) {
            std::string place = name + "[" + std::to_string(i) + "]";
            const json& item = list[i];
            if (!item.is_object())
                return Fail(place, "erwartet ein Objekt");
            auto entry = std::make_unique<Entry>(make());
            for (const auto& [key, value] : item.items())
                if (!Field(key, value, place + "." + key, *entry))
                    return false;
            out.push_back(std::move(entry));
        }
        return true;
    }

    bool Document(const json& root, JsonDocument& result) {
        if (!root.is_object())
            return Fail("Dokument", "erwartet ein JSON-Objekt");
        for (const auto& [key, value] : root.items()) {
            bool ok = true;
            if (key == "result") {
                // what the load of the original file said; nothing to restore
            } else if (key == "writeUtf8") {
                int32_t flag = 1;
                ok = Flag(value, key, flag);
                result.WriteUtf8 = flag;
            } else if (key == "header") {
                ok = Header(value, result.Document.HeaderText);
            } else if (key == "objects") {
                ok = Entries(value, key, result.Document.Objects, [] { return ObjectEntry(); });
            } else if (key == "iobjects") {
                ok = Entries(value, key, result.Document.IObjects, [] { return ObjectEntry(); });
            } else if (key == "fonts") {
                ok = Entries(value, key, result.Document.Fonts, NewLoadedFontEntry);
            } else {
                ok = Fail(key, "unbekannter Schlüssel");
            }
            if (!ok)
                return false;
        }
        return true;
    }

    bool Header(const json& value, OptText& out) {
        OptText shown;
        if (!Text(value, "header", shown))
            return false;
        if (!shown) {
            out.reset();
            return true;
        }
        std::u16string header;
        if (!HeaderFromShown(*shown, header))
            return Fail("header", "erwartet Attribute der Form name=\"Wert\"");
        out = std::move(header);
        return true;
    }
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

} // namespace

// A value may itself hold `"` once unescaped; it ends at the first quote that closes the
// text or is followed by a blank and the next attribute.
bool HeaderFromShown(const std::u16string& shown, std::u16string& headerText) {
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
    json root;
    SyntaxErrorCatcher catcher(root);
    json::sax_parse(text, &catcher);
    if (catcher.Failed) {
        problem = SyntaxErrorPlace(text, catcher.Position);
        return false;
    }
    Reader reader;
    if (!reader.Document(root, result)) {
        problem = reader.Problem;
        return false;
    }
    return true;
}
