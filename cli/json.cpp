#include "cli/json.h"

#include <array>
#include <cstdio>
#include <charconv>
#include <cmath>

#include "document/text.h"
#include "document/writer.h"

namespace {

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

// Fields are written as "key": value pairs, separated by commas, in the order added.
struct JsonObject {
    std::string Text = "{";
    bool First = true;
    std::string Indent;

    void Key(const char* key) {
        Text += First ? "\n" : ",\n";
        First = false;
        Text += Indent + "  \"" + key + "\": ";
    }
    void Raw(const char* key, const std::string& value) {
        Key(key);
        Text += value;
    }
    std::string Close() { return Text + "\n" + Indent + "}"; }
};

std::string OptString(const OptText& text) {
    return text ? JsonString(*text) : "null";
}

std::string Triple(const Vec3& v) {
    return "[" + JsonNumber(v.x) + ", " + JsonNumber(v.y) + ", " + JsonNumber(v.z) + "]";
}

std::string Int(int64_t value) {
    return std::to_string(value);
}

std::string ObjectJson(const ObjectEntry& e, const std::string& indent) {
    JsonObject o;
    o.Indent = indent;
    o.Raw("Rotation", Triple(e.Rotation));
    o.Raw("BlinkIntervall", JsonNumber(e.BlinkIntervall));
    o.Raw("ZoomFaktor", JsonNumber(e.ZoomFaktor));
    o.Raw("Name", OptString(e.Name));
    o.Raw("Position", Triple(e.Position));
    o.Raw("ShowOn", OptString(e.ShowOn));
    o.Raw("HideOn", OptString(e.HideOn));
    o.Raw("ShowIfBrightness", Int(e.ShowIfBrightness));
    o.Raw("Brightness", Int(e.Brightness));
    o.Raw("GreaterAs", Int(e.GreaterAs));
    o.Raw("WeitSichtbar", Int(e.WeitSichtbar));
    o.Raw("DynamicVisibility", OptString(e.DynamicVisibility));
    o.Raw("FixedDynamicVisibility", Int(e.FixedDynamicVisibility));
    return o.Close();
}

std::string FontJson(const FontEntry& f, const std::string& indent) {
    JsonObject o;
    o.Indent = indent;
    o.Raw("Name", OptString(f.Name));
    o.Raw("Position", Triple(f.Position));
    o.Raw("Rotation", Triple(f.Rotation));
    o.Raw("NormBottomLeft", Triple(f.NormBottomLeft));
    o.Raw("NormTopLeft", Triple(f.NormTopLeft));
    o.Raw("NormBottomRight", Triple(f.NormBottomRight));
    o.Raw("NormTopRight", Triple(f.NormTopRight));
    o.Raw("BlinkIntervall", JsonNumber(f.BlinkIntervall));
    o.Raw("Leuchtend", Int(f.Leuchtend));
    o.Raw("AlignHorz", Int(f.AlignHorz));
    o.Raw("AlignVert", Int(f.AlignVert));
    o.Raw("Fonthoehe", JsonNumber(f.Fonthoehe));
    o.Raw("Color", Int(f.Color));
    o.Raw("DefaultText", OptString(f.DefaultText));
    o.Raw("GroupProperty", OptString(f.GroupProperty));
    o.Raw("Vertikal", Int(f.Vertikal));
    o.Raw("DynamicVisibility", OptString(f.DynamicVisibility));
    o.Raw("FixedDynamicVisibility", Int(f.FixedDynamicVisibility));
    return o.Close();
}

template <typename List, typename Format> std::string Array(const List& list, Format format) {
    if (list.empty())
        return "[]";
    std::string text = "[";
    bool first = true;
    for (const auto& entry : list) {
        if (!entry)
            continue;
        text += first ? "\n    " : ",\n    ";
        first = false;
        text += format(*entry, "    ");
    }
    return text + "\n  ]";
}

} // namespace

std::string JsonNumber(double value) {
    if (!std::isfinite(value))
        return "null";
    std::array<char, 64> buffer;
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string JsonString(const std::u16string& text) {
    std::string utf8 = Utf16ToUtf8(text);
    std::string out = "\"";
    for (char ch : utf8) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string DocumentJson(LoadResult result, int writeUtf8, const GroupDocument& document) {
    JsonObject o;
    o.Raw("result", std::string("\"") + ResultName(result) + "\"");
    o.Raw("writeUtf8", writeUtf8 ? "1" : "0");
    o.Raw("header",
          document.HeaderText ? JsonString(UnescapeAttributeValue(*document.HeaderText)) : "null");
    o.Raw("objects", Array(document.Objects, ObjectJson));
    o.Raw("iobjects", Array(document.IObjects, ObjectJson));
    o.Raw("fonts", Array(document.Fonts, FontJson));
    return o.Close() + "\n";
}
