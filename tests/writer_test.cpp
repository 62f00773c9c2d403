// Writing group files: exact bytes in both encodings, escaping, lost characters, safe saves
// and round trips.
#include <gtest/gtest.h>

#include <vector>

#include "document/loader.h"
#include "document/writer.h"
#include "paths/path_utils.h"
#include "tests/test_support.h"

namespace {

const std::string Bom = "\xEF\xBB\xBF";
const std::string Utf8Head =
    Bom + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<GRUPPENOBJECT>\r\n";
const std::string Latin1Head =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<GRUPPENOBJECT>\r\n";
const std::string Tail = "\r\n</GRUPPENOBJECT>";

struct WriterTest : ::testing::Test {
    SaveSettings Settings; // of the next Format, whose encoding it takes from its caller
    int Lost = 0;          // left by the last Format

    std::string Format(GroupDocument& document, int utf8) {
        OutputSink sink;
        sink.Settings = Settings;
        sink.Settings.Utf8 = utf8 != 0;
        FormatGroupDocument(&document, sink);
        Lost = sink.UnicodeLost ? 1 : 0;
        return sink.Buffer;
    }
    void SetUp() override {
        SimulatorRoot.clear();
        DocumentFolder.clear();
    }
    void TearDown() override {
        SimulatorRoot.clear();
        DocumentFolder.clear();
        WriteUtf8 = 1;
    }
};

ObjectEntry& AddObject(GroupDocument& d, ObjectList& list) {
    list.push_back(std::make_unique<ObjectEntry>());
    (void)d;
    return *list.back();
}

TEST_F(WriterTest, EmptyDocumentsInBothEncodings) {
    GroupDocument document;
    document.HeaderText = u"FileInfo=\"Zug\" ";
    EXPECT_EQ(Format(document, 1), Utf8Head + "<Props FileInfo=\"Zug\" />" + Tail);
    EXPECT_EQ(Lost, 0);
    EXPECT_EQ(Format(document, 0), Latin1Head + "<Props FileInfo=\"Zug\" />" + Tail);

    GroupDocument fresh;
    fresh.HeaderText = NewDocumentHeader;
    EXPECT_EQ(Format(fresh, 1), Utf8Head + "<Props FileInfo=\"Bearbeitet mit Zellora\"/>" + Tail);
    GroupDocument none;
    EXPECT_EQ(Format(none, 1), Utf8Head + "<Props />" + Tail);
}

TEST_F(WriterTest, ObjectBlockGroupOrderDiffersBetweenEncodings) {
    GroupDocument document;
    ObjectEntry& e = AddObject(document, document.Objects);
    e.Rotation = {0, 90, 0};
    e.ZoomFaktor = 1;
    e.Position = {10.5, 0, -3.25};
    e.Name = u"\\Objekte\\Lampe.fzlobj";
    e.ShowOn = u"Hp1 && !Vr2";
    e.HideOn = u"a<b";
    e.DynamicVisibility = u"x\ny/2";
    e.FixedDynamicVisibility = 1;
    e.ShowIfBrightness = 1;
    e.Brightness = 120;
    e.WeitSichtbar = 1;
    const std::string one =
        "\r\n<Object>\r\n<Props Rotation=\"0.000;90.000;0.000\" BlinkIntervall=\"0.000000\" "
        "ZoomFaktor=\"1.000000\" Position=\"10.500;0.000;-3.250\" "
        "Name=\"\\Objekte\\Lampe.fzlobj\" ShowOn=\"Hp1 &#38;&#38; !Vr2\" ";
    const std::string dynamic = "DynamicVisibility=\"x/ny&#47;2\" FixedDynamicVisibility=\"TRUE\" ";
    const std::string hide = "HideOn=\"a&#60;b\" ";
    const std::string rest = "Brightness=\"120\" GreaterAs=\"FALSE\" ShowIfBrightness=\"TRUE\" "
                             "WeitSichtbar=\"TRUE\" />\r\n</Object>";
    EXPECT_EQ(Format(document, 1), Utf8Head + "<Props />" + one + dynamic + hide + rest + Tail);
    EXPECT_EQ(Format(document, 0), Latin1Head + "<Props />" + one + hide + dynamic + rest + Tail);
}

TEST_F(WriterTest, OptionalGroupsAreLeftOutAndNullNamesAreEmpty) {
    GroupDocument document;
    ObjectEntry& e = AddObject(document, document.IObjects);
    e.Brightness = 50; // without ShowIfBrightness it is not written
    document.Fonts.push_back(std::make_unique<FontEntry>());
    FontEntry& f = *document.Fonts.back();
    f.AlignHorz = -25536;
    f.Color = -1;
    EXPECT_EQ(
        Format(document, 1),
        Utf8Head + "<Props />" +
            "\r\n<IObject>\r\n<Props Rotation=\"0.000;0.000;0.000\" BlinkIntervall=\"0.000000\" "
            "ZoomFaktor=\"0.000000\" Position=\"0.000;0.000;0.000\" Name=\"\" />\r\n</IObject>"
            "\r\n<Font>\r\n<Props Rotation=\"0.000;0.000;0.000\" Position=\"0.000;0.000;0.000\" "
            "NormTopLeft=\"0.000;0.000;0.000\" NormTopRight=\"0.000;0.000;0.000\" "
            "NormBottomLeft=\"0.000;0.000;0.000\" NormBottomRight=\"0.000;0.000;0.000\" "
            "Leuchtend=\"FALSE\" Fonthoehe=\"0.000\" Color=\"-1\" AlignHorz=\"-25536\" "
            "AlignVert=\"0\" BlinkIntervall=\"0.000000\" Name=\"\" DefaultText=\"\" "
            "GroupProperty=\"\" />\r\n</Font>" +
            Tail);
}

TEST_F(WriterTest, FontWithDynamicVisibilityAndVertikal) {
    GroupDocument document;
    document.Fonts.push_back(std::make_unique<FontEntry>());
    FontEntry& f = *document.Fonts.back();
    f.Leuchtend = 1;
    f.Vertikal = 1;
    f.Fonthoehe = 0.25;
    f.DynamicVisibility = u"Nebel || Regen";
    f.DefaultText = u"Gleis \"1\"";
    f.GroupProperty = u"Bahnsteig";
    std::string text = Format(document, 1);
    EXPECT_NE(text.find("Leuchtend=\"TRUE\" Vertikal=\"TRUE\" Fonthoehe=\"0.250\" "),
              std::string::npos);
    EXPECT_NE(
        text.find("DefaultText=\"Gleis &#34;1&#34;\" DynamicVisibility=\"Nebel || Regen\" "
                  "FixedDynamicVisibility=\"FALSE\" GroupProperty=\"Bahnsteig\" />\r\n</Font>"),
        std::string::npos);
}

TEST_F(WriterTest, Latin1ConvertsItselfAndReportsLossOnlyForEntries) {
    GroupDocument document;
    document.HeaderText = u"FileInfo=\"€\" ";
    EXPECT_EQ(Format(document, 0), Latin1Head + "<Props FileInfo=\"?\" />" + Tail);
    EXPECT_EQ(Lost, 0);

    document.Fonts.push_back(std::make_unique<FontEntry>());
    document.Fonts.back()->DefaultText = u"Grüße \U0001F682 Ж";
    std::string text = Format(document, 0);
    EXPECT_NE(text.find("DefaultText=\"Gr\xFC\xDF"
                        "e ? ?\""),
              std::string::npos);
    EXPECT_EQ(Lost, 1);
    Format(document, 1);
    EXPECT_EQ(Lost, 0);
}

TEST_F(WriterTest, Latin1HeaderNamesStayNamesAndStayDistinct) {
    struct Case {
        const char16_t* Header;
        const char* Written;
    } cases[] = {
        {u"Autor\u0151=\"\u20AC\" ", "Autor_=\"?\" "},
        {u"Autor\u0151=\"a\" Autor_=\"b\" Autor\u0171=\"c\" ",
         "Autor__=\"a\" Autor_=\"b\" Autor___=\"c\" "},
        {u"Gr\u00F6\u00DFe=\"1\" \u4E2D=\"2\" ", "Gr\xF6\xDF"
                                                 "e=\"1\" _=\"2\" "},
    };
    for (const Case& c : cases) {
        GroupDocument document;
        document.HeaderText = c.Header;
        const std::string saved = Format(document, 0);
        EXPECT_EQ(saved, Latin1Head + "<Props " + c.Written + "/>" + Tail);
        std::string bytes = saved;
        GroupDocument reloaded;
        EXPECT_EQ(LoadGroupDocumentFromBytes(bytes, u"Z:\\a.fzlgrp", &reloaded), LoadOk);
    }
}

TEST_F(WriterTest, NumbersAreRoundedLikeCAndNeverLocalised) {
    GroupDocument document;
    ObjectEntry& e = AddObject(document, document.Objects);
    e.Position = {-0.0004, 1.0005, 123456789.125};
    e.BlinkIntervall = 0.0000015;
    std::string text = Format(document, 1);
    EXPECT_NE(text.find("BlinkIntervall=\"0.000002\""), std::string::npos) << text;
    EXPECT_NE(text.find("Position=\"-0.000;1.000;123456789.125\""), std::string::npos) << text;
}

// The file stores the short forms; the document keeps its complete names, so that a save
// into another folder afterwards writes names that resolve from there.
TEST_F(WriterTest, NamesAreShortenedInTheFileOnly) {
    GroupDocument document;
    const std::u16string names[] = {u"c:\\sim\\Objekte\\Bahnhof\\Lampe.fzlobj",
                                    u"C:\\Sim\\Objekte\\Signale\\Hp.fzlobj",
                                    u"D:\\Eigene\\Baum.fzlobj"};
    for (const std::u16string& name : names)
        AddObject(document, document.Objects).Name = name;
    AddObject(document, document.IObjects).Name = u"C:\\Sim\\Objekte\\Bahnhof\\Halle.fzlgrp";
    document.Fonts.push_back(std::make_unique<FontEntry>());
    document.Fonts.back()->Name = u"C:\\Sim\\Objekte\\Bahnhof\\Schild.fzlfnt";
    const struct {
        const char16_t* Target;
        std::vector<std::string> Written;
    } cases[] = {
        {u"C:\\Sim\\Objekte\\Bahnhof\\Gruppe.fzlgrp",
         {"Lampe.fzlobj", "\\Objekte\\Signale\\Hp.fzlobj", "D:\\Eigene\\Baum.fzlobj",
          "Halle.fzlgrp", "Schild.fzlfnt"}},
        {u"C:\\Sim\\Objekte\\Signale\\Gruppe.fzlgrp",
         {"\\Objekte\\Bahnhof\\Lampe.fzlobj", "Hp.fzlobj", "D:\\Eigene\\Baum.fzlobj",
          "\\Objekte\\Bahnhof\\Halle.fzlgrp", "\\Objekte\\Bahnhof\\Schild.fzlfnt"}},
    };
    for (const auto& c : cases) {
        Settings = SaveSettingsFor(c.Target, true, u"C:\\Sim\\");
        for (int utf8 : {1, 0}) {
            const std::string bytes = Format(document, utf8);
            size_t at = 0;
            for (const std::string& name : c.Written) {
                at = bytes.find("Name=\"" + name + "\"", at);
                EXPECT_NE(at, std::string::npos) << name << " in\n" << bytes;
            }
        }
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(*document.Objects[i]->Name, names[i]);
        EXPECT_EQ(*document.IObjects[0]->Name, u"C:\\Sim\\Objekte\\Bahnhof\\Halle.fzlgrp");
        EXPECT_EQ(*document.Fonts[0]->Name, u"C:\\Sim\\Objekte\\Bahnhof\\Schild.fzlfnt");
    }
}

TEST_F(WriterTest, SpecialCharactersInNamesSurviveTheRoundTrip) {
    ScratchFolder folder;
    GroupDocument document;
    document.HeaderText = u"FileInfo=\"a&#38;b&#10;c\" ";
    AddObject(document, document.Objects).Name = u"\\a\"b<c&d\te\nf\rg.fzlobj";
    document.Fonts.push_back(std::make_unique<FontEntry>());
    document.Fonts.back()->DefaultText = u"1 < 2 & \"3\"";
    WriteUtf8 = 1;
    ASSERT_EQ(SaveGroupDocument(folder.File("a.fzlgrp"), &document), 1);
    EXPECT_NE(
        folder.Read("a.fzlgrp").find("Name=\"\\a&#34;b&#60;c&#38;d&#9;e&#10;f&#13;g.fzlobj\""),
        std::string::npos);
    GroupDocument reloaded;
    std::u16string path = folder.File("a.fzlgrp");
    ASSERT_EQ(LoadGroupDocument(path, &reloaded), LoadOk);
    EXPECT_EQ(*reloaded.Objects[0]->Name, u"\\a\"b<c&d\te\nf\rg.fzlobj");
    EXPECT_EQ(*reloaded.Fonts[0]->DefaultText, u"1 < 2 & \"3\"");
    EXPECT_EQ(*reloaded.HeaderText, u"FileInfo=\"a&#38;b&#10;c/nBearbeitet mit Zellora\" ");
}

// XML cannot hold these characters in any form, yet a lenient parser may hand them over from a
// broken UTF-16 file and a user may paste them: the save must still load.
TEST_F(WriterTest, CharactersXmlCannotHoldAreReplacedAndTheSaveLoads) {
    const std::string Replacement = "\xEF\xBF\xBD";
    struct Case {
        Text text;
        std::string utf8, latin1;
    } cases[] = {
        {{u'a', 0x01, u'b'}, "a" + Replacement + "b", "a?b"},
        {{0x1F, 0xFFFE, 0xFFFF}, Replacement + Replacement + Replacement, "???"},
        // A high surrogate whose partner is a control character.
        {{u'L', 0xDADA, 0x01}, "L" + Replacement + Replacement, "L??"},
        {{u'\t', u'x'}, "&#9;x", "&#9;x"},
    };
    for (const Case& c : cases) {
        for (int utf8 : {1, 0}) {
            SCOPED_TRACE(testing::Message() << c.utf8 << (utf8 ? " in UTF-8" : " in ISO-8859-1"));
            GroupDocument document;
            document.HeaderText = u"FileInfo=\"" + c.text + u"\" ";
            ObjectEntry& e = AddObject(document, document.Objects);
            e.Name = c.text;
            e.ShowOn = c.text;
            std::string bytes = Format(document, utf8);
            const std::string& expected = utf8 ? c.utf8 : c.latin1;
            EXPECT_NE(bytes.find("Name=\"" + expected + "\""), std::string::npos) << bytes;
            EXPECT_EQ(Lost, utf8 || expected == c.utf8 ? 0 : 1);

            GroupDocument reloaded;
            ASSERT_EQ(LoadGroupDocumentFromBytes(bytes, u"C:\\a.fzlgrp", &reloaded), LoadOk);
            EXPECT_EQ(reloaded.Objects.size(), 1u);
        }
    }
}

TEST_F(WriterTest, RoundTripGivesTheSameDocumentAndTheSameBytes) {
    ScratchFolder folder;
    for (int utf8 : {1, 0}) {
        GroupDocument document;
        document.HeaderText = u"FileInfo=\"Bahnhof\" ";
        ObjectEntry& e = AddObject(document, document.Objects);
        e.Name = u"\\Objekte\\Lampe.fzlobj";
        e.Position = {1.5, -2.25, 3};
        e.ShowOn = u"Hp1 && 'x'";
        e.ShowIfBrightness = 1;
        e.GreaterAs = 1;
        e.Brightness = -7;
        AddObject(document, document.IObjects).Name = u"\\Gruppen\\Signal.fzlgrp";
        document.Fonts.push_back(std::make_unique<FontEntry>(NewLoadedFontEntry()));
        document.Fonts.back()->DefaultText = u"Grüß";
        WriteUtf8 = utf8;
        ASSERT_EQ(SaveGroupDocument(folder.File("a.fzlgrp"), &document), 1);
        std::string first = folder.Read("a.fzlgrp");

        GroupDocument reloaded;
        std::u16string path = folder.File("a.fzlgrp");
        ASSERT_EQ(LoadGroupDocument(path, &reloaded), LoadOk);
        EXPECT_EQ(WriteUtf8, utf8);
        EXPECT_EQ(*reloaded.Objects[0]->ShowOn, u"Hp1 && 'x'");
        EXPECT_EQ(reloaded.Objects[0]->Brightness, -7);
        EXPECT_EQ(*reloaded.Fonts[0]->DefaultText, u"Grüß");
        ASSERT_EQ(SaveGroupDocument(folder.File("b.fzlgrp"), &reloaded), 1);
        std::string second = folder.Read("b.fzlgrp");
        // The first reload adds the edit marker; from then on the bytes stay the same.
        GroupDocument again;
        path = folder.File("b.fzlgrp");
        ASSERT_EQ(LoadGroupDocument(path, &again), LoadOk);
        ASSERT_EQ(SaveGroupDocument(folder.File("c.fzlgrp"), &again), 1);
        EXPECT_EQ(folder.Read("c.fzlgrp"), second);
        EXPECT_NE(first, second);
    }
}

TEST_F(WriterTest, FailedSavesKeepTheOldFileAndReportFailure) {
    ScratchFolder folder;
    folder.Write("a.fzlgrp", "old bytes");
    GroupDocument document;
    document.HeaderText = u"FileInfo=\"x\" ";
    for (int i = 0; i < 3; ++i)
        AddObject(document, document.Objects).Name = u"\\o.fzlobj";
    WriteUtf8 = 1;
    OutputSink expected;
    FormatGroupDocument(&document, expected);
    int64_t limit = 0;
    for (;; ++limit) {
        InjectedFaults.WriteLimit = limit;
        int saved = SaveGroupDocument(folder.File("a.fzlgrp"), &document);
        InjectedFaults.WriteLimit = -1;
        if (saved)
            break;
        ASSERT_EQ(folder.Read("a.fzlgrp"), "old bytes") << "limit " << limit;
        ASSERT_EQ(folder.Names(), std::vector<std::string>{"a.fzlgrp"}) << "limit " << limit;
    }
    EXPECT_EQ(size_t(limit), expected.Buffer.size());
    EXPECT_EQ(folder.Read("a.fzlgrp"), expected.Buffer);

    for (bool* fault : {&InjectedFaults.RefuseCreate, &InjectedFaults.RefuseReplace}) {
        folder.Write("b.fzlgrp", "old");
        *fault = true;
        EXPECT_EQ(SaveGroupDocument(folder.File("b.fzlgrp"), &document), 0);
        *fault = false;
        EXPECT_EQ(folder.Read("b.fzlgrp"), "old");
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.fzlgrp", "b.fzlgrp"}));
    }
    EXPECT_EQ(SaveGroupDocument(folder.File("kein\\Ordner.fzlgrp"), &document), 0);
}

// The save of the command line: what failed, and the system's text read when it happened.
TEST_F(WriterTest, SaveWithSettingsReportsWhatFailed) {
    ScratchFolder folder;
    GroupDocument document;
    AddObject(document, document.Objects).Name = u"\\o.fzlobj";
    const struct {
        void (*Inject)();
        SaveFailure Failure;
    } cases[] = {
        {[] { InjectedFaults.RefuseCreate = true; }, SaveFailure::CannotCreate},
        {[] { InjectedFaults.WriteLimit = 10; }, SaveFailure::CannotWrite},
        {[] { InjectedFaults.RefuseReplace = true; }, SaveFailure::CannotReplace},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.Failure));
        folder.Write("a.fzlgrp", "alt");
        c.Inject();
        SaveReport report;
        EXPECT_FALSE(SaveGroupDocumentWith(folder.File("a.fzlgrp"), document, Settings, report));
        InjectedFaults = PlatformFaults();
        EXPECT_EQ(report.Failure, c.Failure);
        EXPECT_NE(report.SystemError, u"");
        EXPECT_EQ(folder.Read("a.fzlgrp"), "alt");
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.fzlgrp"});
    }
}

TEST(FormulaEscaping, EveryCharacterOfTheTable) {
    EXPECT_EQ(EscapeFormulaText(u"a<b && c/2"), u"a&#60;b &#38;&#38; c&#47;2");
    EXPECT_EQ(EscapeFormulaText(u"x\r\ny\"'>"), u"x/ny&#34;&#39;&#62;");
    EXPECT_EQ(UnescapeAttributeValue(EscapeAttributeValue(u"&#34;\"<&\t\n\r")), u"&#34;\"<&\t\n\r");
}

} // namespace
