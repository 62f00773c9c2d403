// The JSON of info read back by import: every value returns exactly, the header's quotes
// find their attributes again, and bad input is refused with its place.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "cli/json.h"
#include "cli/json_document.h"
#include "document/loader.h"
#include "document/writer.h"
#include "tests/test_support.h"

namespace {

TEST(HeaderFromShownTest, ShownHeaderComesBackAsStored) {
    const char16_t* const stored[] = {
        u"FileInfo=\"Bahnhof/nBearbeitet mit Zellora\" ",
        u"FileInfo=\"Bearbeitet mit Zellora\"", // made with New: no trailing blank
        u"",
        u"FileInfo=\"sagt &#34;hallo&#34; laut\" Autor=\"X\" ",
        u"a=\"&#34;\" b=\"&#34; \" ",
        u"a=\"&#60;&#38;&#9;&#10;&#13;&#38;#34;\" ",
        u"File_nfo=\"x = &#34;y&#34;\" ",
    };
    for (const char16_t* text : stored) {
        SCOPED_TRACE(U8(text));
        std::u16string back;
        ASSERT_TRUE(HeaderFromShown(UnescapeAttributeValue(text), back));
        EXPECT_EQ(back, text);
    }
}

TEST(HeaderFromShownTest, TextThatIsNoAttributesIsRefused) {
    const char16_t* const shown[] = {u"FileInfo", u"=\"x\" ", u"a=\"x", u"a b=\"x\" "};
    for (const char16_t* text : shown) {
        std::u16string back;
        EXPECT_FALSE(HeaderFromShown(text, back)) << U8(text);
    }
}

TEST(JsonDocumentTest, EveryValueReadsBackExactly) {
    GroupDocument document;
    document.HeaderText = u"FileInfo=\"a&#34;b\" ";
    auto& o = *document.Objects.emplace_back(new ObjectEntry());
    o.Rotation = {-0.0, 0.1 + 0.2, DBL_MAX};
    o.Position = {DBL_TRUE_MIN, -1e-300, 18446744073709551616.0};
    o.BlinkIntervall = 1.0 / 3;
    o.ZoomFaktor = 123456789012.0;
    o.Name = u"Z:\\sim\\\U0001F682 \"Zug\".fzlobj";
    o.ShowOn = u"a\tb\\c/n";
    o.Brightness = INT32_MIN;
    o.ShowIfBrightness = o.GreaterAs = o.WeitSichtbar = o.FixedDynamicVisibility = 1;
    o.DynamicVisibility = u"";
    auto& f = *document.Fonts.emplace_back(new FontEntry());
    f.AlignHorz = INT16_MIN;
    f.AlignVert = INT16_MAX;
    f.Color = INT32_MAX;
    f.DefaultText = u"Gleis 1 \u2013 Süd";
    document.IObjects.emplace_back(new ObjectEntry());

    JsonOutput out;
    WriteDocumentJson(out, LoadOk, 0, document);
    JsonDocument read;
    std::u16string problem;
    ASSERT_TRUE(ReadJsonDocument(out.Buffer, read, problem)) << U8(problem);
    EXPECT_EQ(read.WriteUtf8, 0);
    OutputSink expected, actual;
    FormatGroupDocument(&document, expected);
    FormatGroupDocument(&read.Document, actual);
    EXPECT_EQ(actual.Buffer, expected.Buffer);
    const ObjectEntry& r = *read.Document.Objects[0];
    EXPECT_TRUE(std::signbit(r.Rotation.x));
    EXPECT_EQ(r.Rotation.y, o.Rotation.y);
    EXPECT_EQ(r.Rotation.z, o.Rotation.z);
    EXPECT_EQ(r.Position.x, o.Position.x);
    EXPECT_EQ(r.Position.z, o.Position.z);
    EXPECT_EQ(r.BlinkIntervall, o.BlinkIntervall);
    EXPECT_EQ(r.Name, o.Name);
    EXPECT_EQ(r.ShowOn, o.ShowOn);
    EXPECT_EQ(r.DynamicVisibility, o.DynamicVisibility);
    EXPECT_FALSE(r.HideOn.has_value());
    EXPECT_EQ(read.Document.Fonts[0]->AlignHorz, INT16_MIN);
    EXPECT_EQ(read.Document.Fonts[0]->Color, INT32_MAX);
    EXPECT_FALSE(read.Document.Fonts[0]->Name.has_value());
}

TEST(JsonDocumentTest, SyntaxErrorsNameLineAndColumn) {
    using namespace std::string_literals;
    const std::pair<std::string, const char*> cases[] = {
        {"", "Zeile 1, Spalte 1: kein gültiges JSON"},
        {"{\"objects\": [}", "Zeile 1, Spalte 14: kein gültiges JSON"},
        {"{\n  \"header\": \"ä\" x\n}", "Zeile 2, Spalte 17: kein gültiges JSON"},
        {"{}\n{}", "Zeile 2, Spalte 1: kein gültiges JSON"},
        {"{\"header\": \"\\ud800\"}", "Zeile 1, Spalte 19: kein gültiges JSON"},
        {"{}\0"s, "Zeile 1, Spalte 3: kein gültiges JSON"},
        {"{\"writeUtf8\": 1e400}", "Zeile 1, Spalte 19: kein gültiges JSON"},
        {"{\"writeUtf8\": 1e-400}", "writeUtf8: erwartet 0 oder 1"},
        {"{\"header\": \"\xff\"}", "Zeile 1, Spalte 13: kein gültiges JSON"},
        {"{\"objects\": [],}", "Zeile 1, Spalte 16: kein gültiges JSON"},
        {"{\"writeUtf8\": NaN}", "Zeile 1, Spalte 15: kein gültiges JSON"},
    };
    for (const auto& [text, message] : cases) {
        JsonDocument read;
        std::u16string problem;
        EXPECT_FALSE(ReadJsonDocument(text, read, problem)) << text;
        EXPECT_EQ(U8(problem), message) << text;
    }
}

TEST(JsonDocumentTest, NestingDeeperThanTheFormatIsRefusedWithItsPlace) {
    const std::string deepArray = "{\"result\": " + std::string(100000, '[');
    std::string deepObject;
    for (int i = 0; i < 100000; ++i)
        deepObject += "{\"a\":";
    const std::pair<std::string, const char*> cases[] = {
        {deepArray, "Zeile 1, Spalte 19: mehr als 8 Ebenen verschachtelt"},
        {deepObject, "Zeile 1, Spalte 41: mehr als 8 Ebenen verschachtelt"},
        {"{\"result\": [\"[\", {\"\\\"{\": [[[[[[]]]]]]}]}",
         "Zeile 1, Spalte 31: mehr als 8 Ebenen verschachtelt"},
    };
    for (const auto& [text, message] : cases) {
        JsonDocument read;
        std::u16string problem;
        EXPECT_FALSE(ReadJsonDocument(text, read, problem)) << text.substr(0, 40);
        EXPECT_EQ(U8(problem), message) << text.substr(0, 40);
    }
    // Eight levels are read; what the result holds is not looked at.
    JsonDocument read;
    std::u16string problem;
    EXPECT_TRUE(
        ReadJsonDocument("{\"result\": [[{\"x\": [[[[]]]]}]], \"objects\": []}", read, problem))
        << U8(problem);
}

// Whether the saved header of an imported document reads back as it was.
bool ReloadsAsItWas(const JsonDocument& imported) {
    GroupDocument document;
    document.HeaderText = imported.Document.HeaderText;
    OutputSink saved;
    saved.Settings.Utf8 = imported.WriteUtf8 != 0;
    FormatGroupDocument(&document, saved);
    GroupDocument reloaded;
    ToldMessages told;
    return LoadGroupDocumentFromBytes(saved.Buffer, u"Z:\\a.fzlgrp", &reloaded) == LoadOk &&
           reloaded.HeaderText == document.HeaderText;
}

TEST(JsonDocumentTest, OnlyHeaderNamesThatTheSavedFileCanHoldAreTaken) {
    struct Case {
        const char* header;
        int utf8;
        const char* message;
    };
    const Case cases[] = {
        {"1a=\"x\"", 1, "header: Attributname \"1a\" ist kein gültiger XML-Name"},
        {"FileInfo=\"x\" a;b=\"y\"", 1, "header: Attributname \"a;b\" ist kein gültiger XML-Name"},
        {"#=\"x\"", 1, "header: Attributname \"#\" ist kein gültiger XML-Name"},
        {"-a=\"x\"", 0, "header: Attributname \"-a\" ist kein gültiger XML-Name"},
        {"a\u00a0b=\"x\"", 1, "header: Attributname \"a\u00a0b\" ist kein gültiger XML-Name"},
        {"\u00b5=\"x\"", 1, "header: Attributname \"\u00b5\" ist kein gültiger XML-Name"},
        {"\U0001D49C=\"x\"", 1, "header: Attributname \"\U0001D49C\" ist kein gültiger XML-Name"},
        {"a=\"x\" b=\"y\" a=\"z\"", 1, "header: Attributname \"a\" kommt mehrfach vor"},
        {"Stra\u00dfe=\"x\" \u0101=\"y\"", 0,
         "header: Attributname \"\u0101\" lässt sich in ISO-8859-1 nicht schreiben"},
        // accepted, and read back as written
        {"\u00c4u\u00dferes=\"x\" _x=\"y\" a-b.c=\"z\" ns:x=\"w\" a\u00b7b=\"v\" ", 1, ""},
        {"Gr\u00f6\u00dfe=\"x\" _x=\"y\" a-b.c=\"z\" ns:x=\"w\" a\u00b7b=\"v\" ", 0, ""},
        {"\u0101\u4e2d=\"x\" ", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        JsonOutput json;
        GroupDocument document;
        document.HeaderText = U16(c.header);
        WriteDocumentJson(json, LoadOk, c.utf8, document);
        JsonDocument read;
        std::u16string problem;
        bool accepted = ReadJsonDocument(json.Buffer, read, problem);
        EXPECT_EQ(U8(problem), c.message);
        if (accepted) {
            EXPECT_TRUE(ReloadsAsItWas(read));
            continue;
        }
        // Written as it is, the refused header would make a file that does not load again, or
        // (a name beyond ISO-8859-1, which the writer makes '_') one with another name.
        std::u16string header;
        ASSERT_TRUE(HeaderFromShown(U16(c.header), header));
        JsonDocument unchecked;
        unchecked.WriteUtf8 = c.utf8;
        unchecked.Document.HeaderText = header;
        EXPECT_FALSE(ReloadsAsItWas(unchecked));
    }
}

} // namespace
