// Files from anywhere: whatever a file holds, the loader answers with a result, never a
// crash, a hang or a lost entry, and no file is ever read because a document asks for it.
#include <gtest/gtest.h>

#include <dirent.h>

#include "document/loader.h"
#include "platform/platform.h"
#include "tests/fuzz/round_trip.h"
#include "tests/test_support.h"

namespace {

LoadResult LoadBytes(const ScratchFolder& folder, const std::string& bytes,
                     GroupDocument& document) {
    folder.Write("h.fzlgrp", bytes);
    std::u16string path = folder.File("h.fzlgrp");
    return LoadGroupDocument(path, &document);
}

LoadResult LoadBytes(const ScratchFolder& folder, const std::string& bytes) {
    GroupDocument document;
    return LoadBytes(folder, bytes, document);
}

std::string Repeat(const std::string& text, size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

const std::string BillionLaughs =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n"
    " <!ENTITY lol \"lol\">\n"
    " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
    " <!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">\n"
    " <!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">\n"
    " <!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">\n"
    " <!ENTITY lol5 \"&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;\">\n"
    " <!ENTITY lol6 \"&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;\">\n"
    " <!ENTITY lol7 \"&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;\">\n"
    " <!ENTITY lol8 \"&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;\">\n"
    " <!ENTITY lol9 \"&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;\">\n"
    "]>\n<GRUPPENOBJECT><Props FileInfo=\"&lol9;\"/></GRUPPENOBJECT>";

TEST(HostileFiles, MalformedBytesAreXmlErrors) {
    ScratchFolder folder;
    ToldMessages told;
    const std::string cases[] = {
        "",
        "\xFF\xFE",
        "\xFF\xFE<\0G\0R\0",
        std::string("<GRUPPENOBJECT>\0</GRUPPENOBJECT>", 32),
        "<GRUPPENOBJECT><Props FileInfo=\"\xC3\x28\"/></GRUPPENOBJECT>",
        "<GRUPPENOBJECT><Props FileInfo=\"\xFF\xFF\"/></GRUPPENOBJECT>",
        "<GRUPPENOBJECT><Props A=\"1\" A=\"2\"/></GRUPPENOBJECT>",
        "<GRUPPENOBJECT><Props A=\"&#1;\"/></GRUPPENOBJECT>",
    };
    for (const std::string& bytes : cases)
        EXPECT_EQ(LoadBytes(folder, bytes), LoadXmlError) << bytes.size() << " bytes";
}

// A UTF-16 high surrogate not followed by a low one is refused: by expat since its
// security update, and so by the Windows build's expat too, which must be the same.
TEST(HostileFiles, UnpairedHighSurrogateIsRefused) {
    const char* examples = getenv("ZELLORA_EXAMPLES");
    ASSERT_TRUE(examples);
    std::string kept;
    ASSERT_EQ(ReadWholeFile(FromNativePath(std::string(examples) +
                                           "/../tests/fuzz/regressions/"
                                           "utf16_surrogate_before_control_character.fzlgrp"),
                            kept),
              ReadOk);
    ScratchFolder folder;
    ToldMessages told;
    const std::string cases[] = {
        kept,
        std::string("\xFF\xFE<\0G\0 \0A\0=\0\"\0\x00\xD8\x01\0\"\0/\0>\0", 24),
    };
    for (const std::string& bytes : cases)
        EXPECT_EQ(LoadBytes(folder, bytes), LoadXmlError) << bytes.size() << " bytes";
}

TEST(HostileFiles, BillionLaughsStopsAtTheAmplificationLimit) {
    ScratchFolder folder;
    ToldMessages told;
    GroupDocument document;
    EXPECT_EQ(LoadBytes(folder, BillionLaughs, document), LoadXmlError);
    EXPECT_EQ(ToldMessages::All,
              u"limit on input amplification factor (from DTD and entities) breached at line 14\n");
    EXPECT_TRUE(!document.HeaderText || document.HeaderText->empty());
}

TEST(HostileFiles, ExternalEntitiesAreNeverRead) {
    ScratchFolder folder;
    ToldMessages told;
    folder.Write("geheim.xml", "<Object><Props Name=\"GEHEIM\"/></Object>");
    std::string withEntity = "<?xml version=\"1.0\"?>\n<!DOCTYPE GRUPPENOBJECT [\n"
                             "<!ENTITY e SYSTEM \"" +
                             U8(folder.File("geheim.xml")) +
                             "\">\n<!ENTITY % p SYSTEM \"geheim.xml\"> %p;\n]>\n"
                             "<GRUPPENOBJECT><Props FileInfo=\"x\"/>&e;</GRUPPENOBJECT>";
    GroupDocument document;
    EXPECT_EQ(LoadBytes(folder, withEntity, document), LoadOk);
    EXPECT_TRUE(document.Objects.empty());
    std::string inAttribute = "<!DOCTYPE G [<!ENTITY e SYSTEM \"geheim.xml\">]>"
                              "<GRUPPENOBJECT><Props FileInfo=\"&e;\"/></GRUPPENOBJECT>";
    EXPECT_EQ(LoadBytes(folder, inAttribute), LoadXmlError);
}

TEST(HostileFiles, NotAFileIsOpenFailed) {
    ScratchFolder folder;
    GroupDocument document;
    std::u16string directory = folder.Path;
    EXPECT_EQ(LoadGroupDocument(directory, &document), LoadOpenFailed);
    folder.Write("h.fzlgrp", "<GRUPPENOBJECT/>");
    InjectedFaults.RefuseRead = true;
    std::u16string path = folder.File("h.fzlgrp");
    EXPECT_EQ(LoadGroupDocument(path, &document), LoadOpenFailed);
    InjectedFaults.RefuseRead = false;
    EXPECT_EQ(LoadGroupDocument(path, &document), LoadOk);
}

TEST(HostileFiles, LargeFilesLoadCompletely) {
    ScratchFolder folder;
    const std::string entry =
        "<Object><Props Position=\"1;2;3\" Name=\"\\a.fzlobj\"/></Object>\r\n";
    GroupDocument document;
    EXPECT_EQ(
        LoadBytes(folder, "<GRUPPENOBJECT>" + Repeat(entry, 100000) + "</GRUPPENOBJECT>", document),
        LoadOk);
    EXPECT_EQ(document.Objects.size(), 100000u);

    std::string huge(1 << 20, 'x');
    EXPECT_EQ(LoadBytes(folder,
                        "<GRUPPENOBJECT><Props " + huge + "=\"" + huge +
                            "\"/><Font><Props Name=\"\\" + huge + "\" DefaultText=\"" + huge +
                            "\"/></Font></GRUPPENOBJECT>",
                        document),
              LoadOk);
    ASSERT_EQ(document.Fonts.size(), 1u);
    EXPECT_EQ(document.Fonts[0]->Name->size(), huge.size() + 1);
    EXPECT_EQ(document.HeaderText->size(), 2 * huge.size() + 4);

    std::string nested = "<GRUPPENOBJECT>" + Repeat("<a>", 10000) +
                         "<Object><Props Name=\"\\tief\"/></Object>" + Repeat("</a>", 10000) +
                         "</GRUPPENOBJECT>";
    EXPECT_EQ(LoadBytes(folder, nested, document), LoadOk);
    EXPECT_EQ(document.Objects.size(), 1u);
}

// About 200 MB: the 32-bit Windows build may run out of address space, which must be
// reported as such; natively it loads.
TEST(HostileFiles, TwoHundredMegabytes) {
    ScratchFolder folder;
    const std::string entry = "<Object><Props Position=\"1;2;3\" ShowOn=\"" +
                              std::string(1000, 'v') + "\" Name=\"\\a.fzlobj\"/></Object>\r\n";
    const size_t count = 200u * 1000 * 1000 / entry.size();
    GroupDocument document;
    LoadResult result =
        LoadBytes(folder, "<GRUPPENOBJECT>" + Repeat(entry, count) + "</GRUPPENOBJECT>", document);
#ifdef _WIN32
    ASSERT_TRUE(result == LoadOk || result == LoadNoMemory) << result;
    if (result == LoadOk) {
        EXPECT_EQ(document.Objects.size(), count);
    }
#else
    ASSERT_EQ(result, LoadOk);
    EXPECT_EQ(document.Objects.size(), count);
#endif
}

TEST(HostileFiles, KeptFuzzInputsSurviveTheRoundTrip) {
    const char* examples = getenv("ZELLORA_EXAMPLES");
    ASSERT_TRUE(examples);
    std::string folder = std::string(examples) + "/../tests/fuzz/regressions";
    DIR* dir = opendir(folder.c_str());
    ASSERT_TRUE(dir) << folder;
    int checked = 0;
    ToldMessages told;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string bytes;
        ASSERT_EQ(ReadWholeFile(FromNativePath(folder + "/" + name), bytes), ReadOk) << name;
        EXPECT_EQ(CheckLoadSaveRoundTrip(bytes), "") << name;
        ++checked;
    }
    closedir(dir);
    EXPECT_GT(checked, 0);
}

} // namespace
