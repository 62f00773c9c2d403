// Reading group files: encodings, the element state machine, attributes, names and results.
#include <gtest/gtest.h>

#include "document/loader.h"
#include "document/utf16_surrogates.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

const std::string Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

struct Loaded {
    LoadResult Result;
    GroupDocument Document;
};

// Loads bytes written to a.fzlgrp in a scratch folder, names completed against that folder.
Loaded LoadText(const ScratchFolder& folder, const std::string& bytes,
                const std::string& name = "a.fzlgrp") {
    folder.Write(name, bytes);
    Loaded loaded;
    std::u16string path = folder.File(name);
    ResolveAgainstFileFolder = true;
    loaded.Result = LoadGroupDocument(path, &loaded.Document);
    ResolveAgainstFileFolder = false;
    return loaded;
}

std::string Group(const std::string& body) {
    return Declaration + "<GRUPPENOBJECT>\r\n<Props FileInfo=\"x\" />" + body + "</GRUPPENOBJECT>";
}

TEST(LoaderEncoding, Utf16ByteOrderMarksLoadAndSelectUtf8) {
    ScratchFolder folder;
    std::u16string text =
        u"<GRUPPENOBJECT><Object><Props Name=\"\\Ä.fzlobj\"/></Object></GRUPPENOBJECT>";
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (char16_t c : text) {
        little += char(c & 0xFF);
        little += char(c >> 8);
        big += char(c >> 8);
        big += char(c & 0xFF);
    }
    for (const std::string& bytes : {little, big}) {
        WriteUtf8 = 0;
        Loaded loaded = LoadText(folder, bytes);
        EXPECT_EQ(loaded.Result, LoadOk);
        EXPECT_EQ(WriteUtf8, 1);
        ASSERT_EQ(loaded.Document.Objects.size(), 1u);
        EXPECT_EQ(*loaded.Document.Objects[0]->Name, u"\\Ä.fzlobj");
    }
}

// Every expat build refuses the same UTF-16 files: an unpaired surrogate is found by the
// loader, at the line where it stands.
TEST(LoaderEncoding, UnpairedSurrogatesAreFoundWhereTheyStand) {
    auto le = [](std::u16string text) {
        std::string bytes;
        for (char16_t c : text)
            bytes += {char(c & 0xFF), char(c >> 8)};
        return bytes;
    };
    auto be = [](std::u16string text) {
        std::string bytes;
        for (char16_t c : text)
            bytes += {char(c >> 8), char(c & 0xFF)};
        return bytes;
    };
    struct Case {
        std::string Bytes;
        bool Found;
        size_t Offset;
        unsigned long Line;
    } cases[] = {
        {le(u"<a b=\"\U0001F682\"/>"), false, 0, 1},
        {le(u"<a\r\nb=\"\xD83D\x0001\"/>"), true, 14, 2},
        {be(u"<a\rb\nc=\"\xDE82\"/>"), true, 16, 3},
        {le(u"<a b=\"\xD800"), true, 12, 1},
        {"<a b=\"\xED\xA0\x80\"/>", false, 0, 1}, // not UTF-16
    };
    for (const Case& c : cases) {
        UnpairedSurrogate found = FindUnpairedSurrogate(c.Bytes, 0);
        EXPECT_EQ(found.Found, c.Found) << c.Bytes.size();
        if (c.Found) {
            EXPECT_EQ(found.Offset, c.Offset);
            EXPECT_EQ(found.Line, c.Line);
        }
    }
    ToldMessages told;
    std::string bytes = "\xFF\xFE" + le(u"<GRUPPENOBJECT>\r\n<Props A=\"\xDADA\x0030\"/>");
    GroupDocument document;
    EXPECT_EQ(LoadGroupDocumentFromBytes(bytes, u"Z:\\a.fzlgrp", &document), LoadXmlError);
    EXPECT_EQ(ToldMessages::All, u"not well-formed (invalid token) at line 2\n");
}

TEST(LoaderEncoding, DeclarationDecidesTheSaveEncoding) {
    ScratchFolder folder;
    struct Case {
        std::string Declaration;
        int WriteUtf8;
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 1},
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?>", 1},
        {"<?xml version='1.0' encoding='Utf-8'?>", 1},
        {"<?xml version=\"1.0\"?>", 1},
        {"", 1},
        {"<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>", 0},
        {"<?xml version=\"1.0\" encoding = 'ISO-8859-1' ?>", 0},
        {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?>", 0},
    };
    for (const Case& c : cases) {
        WriteUtf8 = 1 - c.WriteUtf8;
        Loaded loaded = LoadText(folder, c.Declaration + "<GRUPPENOBJECT/>");
        EXPECT_EQ(loaded.Result, LoadOk) << c.Declaration;
        EXPECT_EQ(WriteUtf8, c.WriteUtf8) << c.Declaration;
    }
}

TEST(LoaderEncoding, Latin1FileReadsItsCharacters) {
    ScratchFolder folder;
    Loaded loaded =
        LoadText(folder, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>"
                         "<GRUPPENOBJECT><Font><Props DefaultText=\"Gr\xFC\xDF\"/></Font>"
                         "</GRUPPENOBJECT>");
    ASSERT_EQ(loaded.Result, LoadOk);
    EXPECT_EQ(*loaded.Document.Fonts[0]->DefaultText, u"Grüß");
}

TEST(LoaderStateMachine, EveryAttributeCarryingTagUnderAnEntryMakesAnEntry) {
    ScratchFolder folder;
    Loaded loaded =
        LoadText(folder, Group("<Object><Props/></Object>"
                               "<Object Name=\"a.fzlobj\"><Props Position=\"1;2;3\"/></Object>"
                               "<IObject><Props Name=\"\\g.fzlgrp\"/></IObject>"
                               "<iobject><Props Name=\"\\h.fzlgrp\"/></iobject>"
                               "<Object><Props Name=\"x\"/><Props Name=\"y\"/></Object>"));
    ASSERT_EQ(loaded.Result, LoadOk);
    const GroupDocument& d = loaded.Document;
    ASSERT_EQ(d.Objects.size(),
              3u); // the attribute-less Props made none; the second Props after an end tag neither
    EXPECT_EQ(*d.Objects[0]->Name, folder.Path + u"a.fzlobj");
    EXPECT_FALSE(d.Objects[1]->Name);
    EXPECT_EQ(d.Objects[1]->Position.z, 3);
    EXPECT_EQ(*d.Objects[2]->Name, folder.Path + u"x");
    ASSERT_EQ(d.IObjects.size(), 2u);
    EXPECT_EQ(*d.IObjects[1]->Name, u"\\h.fzlgrp");
}

TEST(LoaderHeader, MarkerIsAddedOnceAndEveryRootElementReplacesTheHeader) {
    ScratchFolder folder;
    Loaded first = LoadText(folder, Group(""));
    EXPECT_EQ(*first.Document.HeaderText, u"FileInfo=\"x/nBearbeitet mit Zellora\" ");

    Loaded marked =
        LoadText(folder, Declaration + "<GRUPPENOBJECT><Props FileInfo=\"Bahnhof/nBearbeitet "
                                       "mit Zellora\" /></GRUPPENOBJECT>");
    EXPECT_EQ(*marked.Document.HeaderText, u"FileInfo=\"Bahnhof/nBearbeitet mit Zellora\" ");

    Loaded later = LoadText(folder, "<GRUPPENOBJECT><Props fileinfo=\"a\" Note=\"/nBearbeitet mit "
                                    "Zellora\"/></GRUPPENOBJECT>");
    EXPECT_EQ(*later.Document.HeaderText, u"fileinfo=\"a\" Note=\"/nBearbeitet mit Zellora\" ");

    Loaded rootOnly = LoadText(folder, "<GRUPPENOBJECT Autor=\"B\"></GRUPPENOBJECT>");
    EXPECT_EQ(*rootOnly.Document.HeaderText, u"Autor=\"B\" ");

    Loaded bare = LoadText(folder, "<GRUPPENOBJECT Autor=\"B\"><Props/></GRUPPENOBJECT>");
    EXPECT_EQ(*bare.Document.HeaderText, u"");
}

TEST(LoaderHeader, ValuesThatWouldBreakTheFileAreHeldAsReferences) {
    ScratchFolder folder;
    Loaded loaded = LoadText(
        folder, "<GRUPPENOBJECT><Props A=\"x&amp;&quot;&lt;&#9;&#10;&#13;y\"/></GRUPPENOBJECT>");
    EXPECT_EQ(*loaded.Document.HeaderText, u"A=\"x&#38;&#34;&#60;&#9;&#10;&#13;y\" ");
}

// The header is written back name for name: each name must be one that UTF-8 accepts, and
// every name must stay different from the others.
TEST(LoaderHeader, NamesOnlySomeEncodingsAcceptAreMadeWritable) {
    struct Case {
        const char* attributes;
        std::u16string header;
    } cases[] = {
        {"F\xAA\xB5\xBA=\"\xBA\"", u"F___=\"º\" "},
        {"a\xAA=\"1\" a_=\"2\" a__=\"3\"", u"a___=\"1\" a_=\"2\" a__=\"3\" "},
        {"a_=\"1\" a\xAA=\"2\" a\xB5=\"3\"", u"a_=\"1\" a__=\"2\" a___=\"3\" "},
        {"a\xBA=\"1\" a__=\"2\"", u"a_=\"1\" a__=\"2\" "},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        Loaded loaded =
            LoadText(folder, std::string("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>"
                                         "<GRUPPENOBJECT><Props ") +
                                 c.attributes + "/></GRUPPENOBJECT>");
        ASSERT_EQ(loaded.Result, LoadOk);
        EXPECT_EQ(*loaded.Document.HeaderText, c.header);
    }
}

TEST(LoaderAttributes, ObjectFieldsFollowTheirRules) {
    ScratchFolder folder;
    Loaded loaded = LoadText(
        folder,
        Group("<Object><Props ROTATION=\"1;2\" BlinkIntervall=\" 0.5\" ZoomFaktor=\"1e\" "
              "Position=\"1,5;2;3\" ShowOn=\"a/nb\" HideOn=\"&#47;x\" DynamicVisibility=\"d\" "
              "FixedDynamicVisibility=\"True\" Brightness=\"12.7\" GreaterAs=\"yes\" "
              "ShowIfBrightness=\"TRUE\" WeitSichtbar=\"true\" Leuchtend=\"TRUE\"/></Object>"));
    ASSERT_EQ(loaded.Result, LoadOk);
    const ObjectEntry& e = *loaded.Document.Objects[0];
    EXPECT_EQ(e.Rotation.x, 1);
    EXPECT_EQ(e.Rotation.y, 2);
    EXPECT_EQ(e.Rotation.z, 0);
    EXPECT_EQ(e.BlinkIntervall, 0.5);
    EXPECT_EQ(e.ZoomFaktor, 1);
    EXPECT_EQ(e.Position.x, 1);
    EXPECT_EQ(e.Position.y, 0);
    EXPECT_EQ(*e.ShowOn, u"a/nb");
    EXPECT_EQ(*e.HideOn, u"/x");
    EXPECT_EQ(*e.DynamicVisibility, u"d");
    EXPECT_EQ(e.FixedDynamicVisibility, 1);
    EXPECT_EQ(e.Brightness, 12);
    EXPECT_EQ(e.GreaterAs, 0);
    EXPECT_EQ(e.ShowIfBrightness, 1);
    EXPECT_EQ(e.WeitSichtbar, 1);
    EXPECT_FALSE(e.Name);
}

TEST(LoaderAttributes, FontFieldsAndDefaults) {
    ScratchFolder folder;
    Loaded loaded =
        LoadText(folder, Group("<Font><Props Color=\"16711680.9\" AlignHorz=\"-1.7\" "
                               "AlignVert=\"40000\" ShowOn=\"ignored\" Vertikal=\"TRUE\" "
                               "GroupProperty=\"g\"/></Font>"
                               "<Font><Props Color=\"1e12\" NormTopLeft=\"1;2;3\"/></Font>"));
    ASSERT_EQ(loaded.Document.Fonts.size(), 2u);
    const FontEntry& f = *loaded.Document.Fonts[0];
    EXPECT_EQ(f.Color, 16711680);
    EXPECT_EQ(f.AlignHorz, -1);
    EXPECT_EQ(f.AlignVert, -25536);
    EXPECT_EQ(f.Vertikal, 1);
    EXPECT_EQ(*f.GroupProperty, u"g");
    EXPECT_EQ(f.NormTopLeft.x, -1.0);
    EXPECT_EQ(f.NormTopRight.x, -1.0);
    EXPECT_EQ(f.NormBottomRight.x, -1.0);
    EXPECT_EQ(f.NormBottomLeft.x, 0.0);
    EXPECT_EQ(f.BlinkIntervall, -1.0);
    const FontEntry& g = *loaded.Document.Fonts[1];
    EXPECT_EQ(g.Color, INT32_MIN);
    EXPECT_EQ(g.NormTopLeft.z, 3);
}

TEST(LoaderNames, CompletionAgainstTheFileFolderOrTheCurrentFolder) {
    ScratchFolder folder;
    std::string body = Group("<Object><Props Name=\"Lampe.fzlobj\"/></Object>"
                             "<Object><Props Name=\"\\Objekte\\Hp.fzlobj\"/></Object>"
                             "<Object><Props Name=\"C:\\Sim\\Baum.fzlobj\"/></Object>"
                             "<Font><Props Name=\"\"/></Font>");
    Loaded resolved = LoadText(folder, body, "Gruppen\\a.fzlgrp");
    EXPECT_EQ(*resolved.Document.Objects[0]->Name, folder.Path + u"Gruppen\\Lampe.fzlobj");
    EXPECT_EQ(*resolved.Document.Objects[1]->Name, u"\\Objekte\\Hp.fzlobj");
    EXPECT_EQ(*resolved.Document.Objects[2]->Name, u"C:\\Sim\\Baum.fzlobj");
    EXPECT_EQ(*resolved.Document.Fonts[0]->Name, u""); // a label without a file keeps none

    std::u16string previous = GetCurrentFolder();
    ASSERT_TRUE(SetCurrentFolder(folder.Path));
    GroupDocument document;
    std::u16string path = folder.File("Gruppen\\a.fzlgrp");
    EXPECT_EQ(LoadGroupDocument(path, &document), LoadOk);
    EXPECT_EQ(*document.Objects[0]->Name, GetCurrentFolder() + u"\\Lampe.fzlobj");
    SetCurrentFolder(previous);
}

TEST(LoaderNames, RootRelativePathOpensAgainstTheCurrentFolderAndLosesItsBackslash) {
    ScratchFolder folder;
    folder.Write("Gruppen\\a.fzlgrp", Group(""));
    std::u16string previous = GetCurrentFolder();
    ASSERT_TRUE(SetCurrentFolder(folder.Path));
    std::u16string path = u"\\Gruppen\\a.fzlgrp";
    GroupDocument document;
    EXPECT_EQ(LoadGroupDocument(path, &document), LoadOk);
    EXPECT_EQ(path, u"Gruppen\\a.fzlgrp");
    std::u16string network = u"\\\\server\\a.fzlgrp";
    LoadGroupDocument(network, &document);
    EXPECT_EQ(network, u"\\\\server\\a.fzlgrp");
    SetCurrentFolder(previous);
}

TEST(LoaderResults, FileKindsAndFailures) {
    ScratchFolder folder;
    struct Case {
        std::string Text;
        LoadResult Result;
    } cases[] = {
        {"<GRUPPENOBJECT/>", LoadOk},
        {"<GRUPPENOBJECT><Point/><Point/><Point/></GRUPPENOBJECT>", LoadNotGroupFile},
        {"<Objekt><Point/><Point/><Point/></Objekt>", LoadObjectFile},
        {"<Anderes/>", LoadNotGroupFile},
        {"<A><GRUPPENOBJECT/><GRUPPENOBJECT/></A>", LoadNotGroupFile},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadText(folder, c.Text).Result, c.Result) << c.Text;

    std::string manyPoints = "<Objekt>";
    for (int i = 0; i < 40000; ++i)
        manyPoints += "<Point/>";
    EXPECT_EQ(LoadText(folder, manyPoints + "</Objekt>").Result, LoadObjectFile);

    GroupDocument document;
    std::u16string missing = folder.File("fehlt.fzlgrp");
    EXPECT_EQ(LoadGroupDocument(missing, &document), LoadOpenFailed);
    std::u16string directory = folder.Path;
    EXPECT_EQ(LoadGroupDocument(directory, &document), LoadOpenFailed);
}

TEST(LoaderResults, BrokenXmlTellsTheParserMessageAndKeepsWhatWasRead) {
    ScratchFolder folder;
    ToldMessages told;
    Loaded loaded =
        LoadText(folder, "<GRUPPENOBJECT>\n<Object><Props Name=\"\\a\"/></Object>\n<Object>");
    EXPECT_EQ(loaded.Result, LoadXmlError);
    EXPECT_EQ(ToldMessages::All, u"no element found at line 3\n");
    EXPECT_EQ(loaded.Document.Objects.size(), 1u);

    ToldMessages::All.clear();
    EXPECT_EQ(LoadText(folder, "").Result, LoadXmlError);
    EXPECT_EQ(ToldMessages::All, u"no element found at line 1\n");

    ToldMessages::All.clear();
    EXPECT_EQ(LoadText(folder, "<a><b></a>").Result, LoadXmlError);
    EXPECT_EQ(ToldMessages::All, u"mismatched tag at line 1\n");
}

TEST(LoaderResults, UnreadableFileIsOpenFailed) {
    ScratchFolder folder;
    folder.Write("a.fzlgrp", Group(""));
    InjectedFaults.RefuseRead = true;
    GroupDocument document;
    std::u16string path = folder.File("a.fzlgrp");
    EXPECT_EQ(LoadGroupDocument(path, &document), LoadOpenFailed);
    InjectedFaults.RefuseRead = false;
}

TEST(LoaderVolume, ManyEntriesAreAllKept) {
    ScratchFolder folder;
    std::string body;
    for (int i = 0; i < 40000; ++i)
        body += "<Object><Props Position=\"" + std::to_string(i) + ";0;0\"/></Object>";
    Loaded loaded = LoadText(folder, Group(body));
    ASSERT_EQ(loaded.Result, LoadOk);
    ASSERT_EQ(loaded.Document.Objects.size(), 40000u);
    EXPECT_EQ(loaded.Document.Objects[39999]->Position.x, 39999);
}

// The load for parallel work reads and sets no process-wide value, and gives the same
// document as LoadGroupDocument.
TEST(LoaderWithSettings, SameDocumentWithoutProcessWideState) {
    ScratchFolder folder;
    folder.Write("Gruppen\\a.fzlgrp",
                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><GRUPPENOBJECT><Props/>"
                 "<Object><Props Name=\"Lampe.fzlobj\"/></Object></GRUPPENOBJECT>");
    folder.Write("kaputt.fzlgrp", "<GRUPPENOBJECT>\n<Object>");
    std::u16string base = folder.Path.substr(0, folder.Path.size() - 1);
    struct Case {
        std::u16string Path;
        bool ResolveAgainstFileFolder;
        LoadResult Result;
        int WriteUtf8;
        std::u16string Name; // of the first Object
        std::u16string ParseError;
    } cases[] = {
        {folder.File("Gruppen\\a.fzlgrp"), true, LoadOk, 0, folder.File("Gruppen\\Lampe.fzlobj"),
         u""},
        {folder.File("Gruppen\\a.fzlgrp"), false, LoadOk, 0, folder.Path + u"Lampe.fzlobj", u""},
        {u"\\Gruppen\\a.fzlgrp", true, LoadOk, 0, u"\\Gruppen\\Lampe.fzlobj", u""},
        {u"Gruppen\\a.fzlgrp", true, LoadOk, 0, u"Gruppen\\Lampe.fzlobj", u""},
        {folder.File("kaputt.fzlgrp"), true, LoadXmlError, 1, u"", u"no element found at line 2"},
        {folder.File("fehlt.fzlgrp"), true, LoadOpenFailed, -1, u"", u""},
    };
    ToldMessages told;
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(c.Path));
        WriteUtf8 = 7;
        ResolveAgainstFileFolder = !c.ResolveAgainstFileFolder;
        LoadSettings settings;
        settings.ResolveAgainstFileFolder = c.ResolveAgainstFileFolder;
        settings.CurrentFolder = base;
        LoadReport report;
        GroupDocument document;
        std::u16string path = c.Path;
        EXPECT_EQ(LoadGroupDocumentWith(path, &document, settings, report), c.Result);
        EXPECT_EQ(path, c.Path);
        EXPECT_EQ(report.WriteUtf8, c.WriteUtf8);
        EXPECT_EQ(report.ParseError, c.ParseError);
        EXPECT_EQ(document.Objects.empty() ? u"" : *document.Objects[0]->Name, c.Name);
        EXPECT_EQ(WriteUtf8, 7);
        EXPECT_EQ(ResolveAgainstFileFolder, !c.ResolveAgainstFileFolder);
    }
    ResolveAgainstFileFolder = false;
    WriteUtf8 = 1;
    EXPECT_EQ(ToldMessages::All, u"");
}

} // namespace
