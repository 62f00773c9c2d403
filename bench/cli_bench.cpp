#include "bench/cli_bench.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/text.h"
#include "bench/generate.h"
#include "bench/heap_peak.h"
#include "cli/json.h"
#include "cli/json_document.h"
#include "document/entry_fields.h"
#include "document/loader.h"
#include "document/writer.h"
#include "paths/path_utils.h"
#include "platform/platform.h"

namespace {

std::string Label;

// The plainest writer of info's JSON: one string for the whole text, texts converted with
// the program's UTF-8 conversion and then escaped, numbers in their shortest form.
struct BareJson {
    std::string Text;

    void Number(double v) {
        char digits[32];
        if (v == 0 && std::signbit(v)) {
            Text += "-0.0";
            return;
        }
        Text.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
    }
    void String(const OptText& t) {
        if (!t) {
            Text += "null";
            return;
        }
        Text += '"';
        for (char c : Utf16ToUtf8(*t)) {
            unsigned char u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                Text += '\\';
                Text += c;
            } else if (u < 0x20) {
                char escaped[8];
                const char* named = c == '\n'   ? "\\n"
                                    : c == '\r' ? "\\r"
                                    : c == '\t' ? "\\t"
                                    : c == '\b' ? "\\b"
                                    : c == '\f' ? "\\f"
                                                : nullptr;
                if (!named)
                    snprintf(escaped, sizeof escaped, "\\u%04x", u);
                Text += named ? named : escaped;
            } else {
                Text += c;
            }
        }
        Text += '"';
    }
    void Key(std::string_view key, bool first) {
        Text += first ? "\n      \"" : ",\n      \"";
        Text += key;
        Text += "\": ";
    }
    void Value(const Vec3& v) {
        Text += '[';
        Number(v.x);
        Text += ", ";
        Number(v.y);
        Text += ", ";
        Number(v.z);
        Text += ']';
    }
    void Value(double v) { Number(v); }
    void Value(const OptText& t) { String(t); }
    void Value(int32_t v) { Text += std::to_string(v); }
    void Value(int16_t v) { Text += std::to_string(v); }
    template <typename Entry> void Fields(const Entry& e) {
        Text += '{';
        bool first = true;
        for (const auto& field : FieldsOf<Entry>()) {
            Key(field.Name, first);
            first = false;
            std::visit([&](auto member) { Value(e.*member); }, field.Member);
        }
        Text += "\n    }";
    }
    template <typename List, typename Each>
    void Array(const char* key, const List& list, Each each) {
        Text += ",\n  \"";
        Text += key;
        Text += "\": ";
        if (list.empty()) {
            Text += "[]";
            return;
        }
        for (size_t i = 0; i < list.size(); ++i) {
            Text += i ? ",\n    " : "[\n    ";
            (this->*each)(*list[i]);
        }
        Text += "\n  ]";
    }
    void Document(const GroupDocument& d, int writeUtf8) {
        Text += "{\n  \"result\": \"LoadOk\",\n  \"writeUtf8\": ";
        Text += writeUtf8 ? '1' : '0';
        Text += ",\n  \"header\": ";
        String(d.HeaderText ? OptText(UnescapeAttributeValue(*d.HeaderText)) : OptText());
        Array("objects", d.Objects, &BareJson::Fields<ObjectEntry>);
        Array("iobjects", d.IObjects, &BareJson::Fields<ObjectEntry>);
        Array("fonts", d.Fonts, &BareJson::Fields<FontEntry>);
        Text += "\n}\n";
    }
};

FILE* DevNull() {
    static FILE* file = fopen("/dev/null", "wb");
    return file;
}

bool Info(const std::u16string& path) {
    GroupDocument d;
    LoadResult result = LoadAsEditor(path, d);
    JsonOutput out;
    out.File = DevNull();
    WriteDocumentJson(out, result, WriteUtf8, d);
    return result == LoadOk;
}

bool LoadAndBareJson(const std::u16string& path) {
    GroupDocument d;
    LoadResult result = LoadAsEditor(path, d);
    BareJson bare;
    bare.Document(d, WriteUtf8);
    fwrite(bare.Text.data(), 1, bare.Text.size(), DevNull());
    return result == LoadOk;
}

bool Resave(const std::u16string& path, const std::u16string& target) {
    GroupDocument d;
    if (LoadAsEditor(path, d) != LoadOk)
        return false;
    SetDocumentFolder(target);
    int saved = SaveGroupDocument(target, &d);
    DocumentFolder.clear();
    return saved;
}

bool Import(const std::u16string& json, const std::u16string& target) {
    std::string text;
    if (ReadWholeFile(json, text) != ReadOk)
        return false;
    JsonDocument read;
    std::u16string problem;
    if (!ReadJsonDocument(text, read, problem))
        return false;
    WriteUtf8 = read.WriteUtf8;
    SetDocumentFolder(target);
    int saved = SaveGroupDocument(target, &read.Document);
    DocumentFolder.clear();
    return saved;
}

size_t FileSize(const std::u16string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes.size();
}

size_t Bytes = 0;
size_t JsonBytes = 0;
double ImportPeakPerByte = 0;

// The most heap one import holds at once, per byte of its JSON: text, parser and document.
double MeasureImportPeak(const std::u16string& json, const std::u16string& target) {
    ResetHeapPeak();
    if (!Import(json, target))
        abort();
    return double(HeapPeakSinceReset()) / double(JsonBytes);
}

} // namespace

void RegisterCliBenchmarks(const std::u16string& path, const std::u16string& scratch) {
    auto file = std::make_shared<std::u16string>(path);
    auto json = std::make_shared<std::u16string>(scratch + u"info.json");
    auto target = std::make_shared<std::u16string>(scratch + u"ziel-cli.fzlgrp");
    Bytes = FileSize(path);

    // Both writers must give info's bytes, or the comparison means nothing.
    GroupDocument d;
    LoadAsEditor(path, d);
    JsonOutput streamed;
    WriteDocumentJson(streamed, LoadOk, WriteUtf8, d);
    BareJson bare;
    bare.Document(d, WriteUtf8);
    if (streamed.Buffer != bare.Text) {
        fputs("the bare JSON writer differs from info's\n", stderr);
        abort();
    }
    FILE* out = fopen(ToNativePath(*json).c_str(), "wb");
    fwrite(streamed.Buffer.data(), 1, streamed.Buffer.size(), out);
    fclose(out);
    JsonBytes = streamed.Buffer.size();
    ImportPeakPerByte = MeasureImportPeak(*json, *target);

    benchmark::RegisterBenchmark("info", [file](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(Info(*file));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("load+bare-json", [file](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(LoadAndBareJson(*file));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("import", [json, target](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(Import(*json, *target));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("resave", [file, target](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(Resave(*file, *target));
    })->Unit(benchmark::kMillisecond);
}

void PrintCliTable(double (*seconds)(const std::string& benchmark),
                   double (*cpu)(const std::string& benchmark)) {
    double info = seconds("info");
    double bare = seconds("load+bare-json");
    printf("\nzellora-cli on a %.1f MB group file:\n", double(Bytes) / 1e6);
    printf("| %-44s | %8.3fx | <= 1.10x | %s |\n", "info / (load + bare JSON writer)", info / bare,
           info / bare <= 1.1 ? "met" : "MISSED");
    double import = cpu("import") / cpu("resave");
    printf("| %-44s | %8.3fx | | |\n", "import / resave, real time",
           seconds("import") / seconds("resave"));
    printf("| %-44s | %8.3fx | <= 1.20x | %s |\n", "import / resave, CPU time", import,
           import <= 1.2 ? "met" : "MISSED");
    printf("| %-44s | %8.2f  | <= 2.00  | %s |\n", "import, peak heap per byte of JSON",
           ImportPeakPerByte, ImportPeakPerByte <= 2.0 ? "met" : "MISSED");
    printf("info %.0f ms, load + bare JSON writer %.0f ms, import %.0f ms, resave %.0f ms; "
           "JSON %.1f MB\n",
           info * 1e3, bare * 1e3, seconds("import") * 1e3, seconds("resave") * 1e3,
           double(JsonBytes) / 1e6);
}
