// Export flattening: the output's bytes and order, the placing of nested entries, the loop
// check, failures that must leave no file behind, and chains of any depth.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>

#include "document/loader.h"
#include "document/writer.h"
#include "export/flatten.h"
#include "export/level_index.h"
#include "paths/path_utils.h"
#include "tests/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

const std::string Head = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                         "<GRUPPENOBJECT>\r\n<Props ";
const std::string Tail = "\r\n</GRUPPENOBJECT>";

std::string Group(const std::string& entries, const char* encoding = "UTF-8") {
    return std::string("<?xml version=\"1.0\" encoding=\"") + encoding +
           "\"?>\r\n<GRUPPENOBJECT>\r\n<Props />" + entries + "\r\n</GRUPPENOBJECT>";
}

std::string Entry(const char* element, const std::string& attributes) {
    return std::string("\r\n<") + element + ">\r\n<Props " + attributes + " />\r\n</" + element +
           ">";
}

std::string Obj(const std::string& position, const std::string& name,
                const std::string& more = "") {
    return Entry("Object",
                 "Position=\"" + position + "\" ZoomFaktor=\"1\" Name=\"" + name + "\" " + more);
}

std::string IObj(const std::string& position, const std::string& rotation, const std::string& name,
                 const std::string& more = "ZoomFaktor=\"1\"") {
    return Entry("IObject", "Position=\"" + position + "\" Rotation=\"" + rotation + "\" Name=\"" +
                                name + "\" " + more);
}

struct Reported {
    unsigned Message;
    std::u16string Name;
    int Depth;
    std::vector<std::u16string> Visited;
};

struct ExportRun {
    std::mutex Lock;
    std::vector<Reported> Reports;
    ExportCompletion Completion;
};

void Record(void* context, unsigned message, const char16_t* name) {
    ExportRun& run = *static_cast<ExportRun*>(context);
    {
        std::lock_guard<std::mutex> hold(run.Lock);
        run.Reports.push_back({message,
                               name ? name : u"",
                               ExportDepth,
                               {VisitedGroupFiles.begin(), VisitedGroupFiles.end()}});
    }
    if (message == UM_EXPORTDONE)
        run.Completion.Done = true; // the last touch of run: the test may end it now
}

struct Outcome {
    bool Started = false;
    bool InPlace = false;
    int Succeeded = 0; // as the worker left it
    std::vector<Reported> Reports;

    std::vector<unsigned> Messages() const {
        std::vector<unsigned> messages;
        for (const Reported& r : Reports)
            messages.push_back(r.Message);
        return messages;
    }
};

// Runs an export as the export dialog does and waits for its end. Called through Export,
// which passes the caller's line for every failure found here.
Outcome RunExport(const char* file, int line, GroupDocument& document, const std::u16string& output,
                  int keepRunning = 1) {
    testing::ScopedTrace trace(file, line, "export called here");
    WriteUtf8 = 1;
    SetDocumentFolder(output);
    ExportRun run;
    ExportJob job;
    job.OutputPath = output;
    job.Document = &document;
    job.ReportContext = &run;
    job.Report = Record;
    job.KeepRunning = keepRunning;
    // As the export dialog fills them.
    job.CurrentFolder = GetCurrentFolder();
    job.SimulatorRoot = SimulatorRoot;
    job.DocumentFolder = DocumentFolder;
    Outcome outcome;
    outcome.Started = StartExport(job);
    if (outcome.Started)
        WaitForExportDone(run.Completion);
    outcome.Succeeded = job.Succeeded;
    outcome.InPlace = FinishExportOutput(job);
    outcome.Reports = run.Reports;
    DocumentFolder.clear();
    // Whatever happened, the export leaves the process as it found it.
    EXPECT_EQ(ExportDepth, 0);
    EXPECT_TRUE(VisitedGroupFiles.empty());
    EXPECT_FALSE(ResolveAgainstFileFolder);
    EXPECT_EQ(WriteUtf8, 1);
    return outcome;
}

#define Export(...) RunExport(__FILE__, __LINE__, __VA_ARGS__)

GroupDocument Load(const std::u16string& path) {
    GroupDocument document;
    std::u16string working = path;
    ResolveAgainstFileFolder = true;
    EXPECT_EQ(LoadGroupDocument(working, &document), LoadOk) << U8(path);
    ResolveAgainstFileFolder = false;
    return document;
}

// The written file read back, names as they stand in it.
GroupDocument Reread(const std::string& bytes) {
    GroupDocument document;
    std::string copy = bytes;
    EXPECT_EQ(LoadGroupDocumentFromBytes(copy, u"", &document), LoadOk);
    WriteUtf8 = 1;
    return document;
}

void ExpectNear(const Vec3& actual, double x, double y, double z) {
    EXPECT_NEAR(actual.x, x, 1e-9);
    EXPECT_NEAR(actual.y, y, 1e-9);
    EXPECT_NEAR(actual.z, z, 1e-9);
}

struct FlattenTest : ::testing::Test {
    ScratchFolder Folder;
    std::u16string PreviousFolder = GetCurrentFolder();

    void SetUp() override {
        SimulatorRoot.clear();
        DocumentFolder.clear();
        WriteUtf8 = 1;
    }
    void TearDown() override {
        SetCurrentFolder(PreviousFolder);
        SimulatorRoot.clear();
        InjectedFaults = PlatformFaults();
        StartExportWorker = StartWorkerThread;
    }

    // Exports the group file top into flat.fzlgrp beside it; called through ExportFile.
    Outcome ExportFileAt(const char* file, int line, const std::string& top, int keepRunning = 1) {
        testing::ScopedTrace trace(file, line, "export called here");
        GroupDocument document = Load(Folder.File(top));
        return RunExport(file, line, document, Folder.File("flat.fzlgrp"), keepRunning);
    }
    GroupDocument Flat() { return Reread(Folder.Read("flat.fzlgrp")); }
};

#define ExportFile(...) ExportFileAt(__FILE__, __LINE__, __VA_ARGS__)

TEST_F(FlattenTest, DocumentWithoutGroupsIsWrittenAsSaved) {
    GroupDocument document;
    document.HeaderText = u"FileInfo=\"Zug &#34;1&#34; &#60;neu&#62;\" ";
    auto object = std::make_unique<ObjectEntry>();
    object->Position = {1, 2, 3};
    object->ZoomFaktor = 1;
    object->Name = Folder.Path + u"Haus.fzlobj";
    object->HideOn = u"Nacht";
    document.Objects.push_back(std::move(object));
    auto font = std::make_unique<FontEntry>();
    font->DefaultText = u"Gleis 1";
    document.Fonts.push_back(std::move(font));
    GroupDocument saved;
    CopyObjectEntry(document.Objects[0].get(), saved.Objects.emplace_back(new ObjectEntry()).get());
    CopyFontEntry(document.Fonts[0].get(), saved.Fonts.emplace_back(new FontEntry()).get());
    saved.HeaderText = document.HeaderText;

    Outcome outcome = Export(document, Folder.File("flat.fzlgrp"));
    ASSERT_TRUE(outcome.InPlace);
    EXPECT_EQ(outcome.Messages(), std::vector<unsigned>{UM_EXPORTDONE});
    std::string bytes = Folder.Read("flat.fzlgrp");
    const std::string head = Head + "FileInfo=\"Zug &#34;1&#34; &#60;neu&#62;\" />";
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_NE(bytes.find("\r\n<Object>\r\n<Props Rotation=\"0.000;0.000;0.000\" "
                         "BlinkIntervall=\"0.000000\" ZoomFaktor=\"1.000000\" "
                         "Position=\"1.000;2.000;3.000\" Name=\"Haus.fzlobj\" HideOn=\"Nacht\" "
                         "/>\r\n</Object>\r\n<Font>"),
              std::string::npos);
    // Written shortened as a save shortens them; the snapshot keeps its names whole.
    EXPECT_EQ(*document.Objects[0]->Name, Folder.Path + u"Haus.fzlobj");

    SetDocumentFolder(Folder.File("flat.fzlgrp"));
    ASSERT_TRUE(SaveGroupDocument(Folder.File("saved.fzlgrp"), &saved));
    DocumentFolder.clear();
    EXPECT_EQ(bytes, Folder.Read("saved.fzlgrp"));
    EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"flat.fzlgrp", "saved.fzlgrp"}));
}

TEST_F(FlattenTest, ShiftedGroupGivesExactBytesInOrder) {
    Folder.Write("top.fzlgrp",
                 Group(Obj("5;5;5", "erst.fzlobj") + IObj("10;0;0", "0;0;0", "B.fzlgrp") +
                       Entry("Font", "DefaultText=\"Schild\"")));
    Folder.Write("B.fzlgrp", Group(Obj("1;2;3", "o.fzlobj")));
    Outcome outcome = ExportFile("top.fzlgrp");
    ASSERT_TRUE(outcome.InPlace);
    EXPECT_EQ(outcome.Messages(), std::vector<unsigned>{UM_EXPORTDONE});
    std::string object =
        "\r\n<Object>\r\n<Props Rotation=\"0.000;0.000;0.000\" BlinkIntervall=\"0.000000\" "
        "ZoomFaktor=\"1.000000\" Position=\"%s\" Name=\"%s\" />\r\n</Object>";
    auto at = [&](const std::string& position, const std::string& name) {
        std::string s = object;
        s.replace(s.find("%s"), 2, position);
        s.replace(s.find("%s"), 2, name);
        return s;
    };
    std::string font = "\r\n<Font>\r\n<Props Rotation=\"0.000;0.000;0.000\" "
                       "Position=\"0.000;0.000;0.000\" NormTopLeft=\"-1.000;0.000;0.000\" "
                       "NormTopRight=\"-1.000;0.000;0.000\" NormBottomLeft=\"0.000;0.000;0.000\" "
                       "NormBottomRight=\"-1.000;0.000;0.000\" Leuchtend=\"FALSE\" "
                       "Fonthoehe=\"0.000\" Color=\"0\" AlignHorz=\"0\" AlignVert=\"0\" "
                       "BlinkIntervall=\"-1.000000\" Name=\"\" DefaultText=\"Schild\" "
                       "GroupProperty=\"\" />\r\n</Font>";
    // The top's Objects, then its Fonts, then each group expanded; no IObject remains.
    EXPECT_EQ(Folder.Read("flat.fzlgrp"), Head + "/>" + at("5.000;5.000;5.000", "erst.fzlobj") +
                                              font + at("11.000;2.000;3.000", "o.fzlobj") + Tail);
}

TEST_F(FlattenTest, TurnedGroupTurnsItsObjects) {
    Folder.Write("top.fzlgrp", Group(IObj("0;0;0", "90;0;0", "B.fzlgrp")));
    Folder.Write("B.fzlgrp", Group(Obj("1;0;0", "o.fzlobj")));
    ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
    GroupDocument flat = Flat();
    ASSERT_EQ(flat.Objects.size(), 1u);
    ExpectNear(flat.Objects[0]->Position, 0, 0, -1);
    ExpectNear(flat.Objects[0]->Rotation, 90, 0, 0);
}

TEST_F(FlattenTest, NestedGroupIsShiftedAndItsAnglesAddedNotTurned) {
    Folder.Write("top.fzlgrp", Group(IObj("0;0;0", "90;0;0", "A.fzlgrp")));
    Folder.Write("A.fzlgrp", Group(IObj("1;0;0", "0;0;0", "B.fzlgrp")));
    Folder.Write("B.fzlgrp", Group(Obj("0;0;0", "o.fzlobj")));
    ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
    GroupDocument flat = Flat();
    ASSERT_EQ(flat.Objects.size(), 1u);
    ExpectNear(flat.Objects[0]->Position, 1, 0, 0);
    ExpectNear(flat.Objects[0]->Rotation, 90, 0, 0);
    EXPECT_TRUE(flat.IObjects.empty());
}

TEST_F(FlattenTest, RulesMergeAlongTheChain) {
    Folder.Write("top.fzlgrp",
                 Group(IObj("0;0;0", "0;0;0", "A.fzlgrp",
                            "BlinkIntervall=\"0.5\" ZoomFaktor=\"2\" HideOn=\"Aussen\" "
                            "FixedDynamicVisibility=\"TRUE\" ShowIfBrightness=\"TRUE\" "
                            "Brightness=\"40\" GreaterAs=\"TRUE\" WeitSichtbar=\"TRUE\"") +
                       IObj("0;0;0", "0;0;0", "Z.fzlgrp", "")));
    Folder.Write("A.fzlgrp", Group(Obj("0;0;0", "a.fzlobj", "HideOn=\"A\"") +
                                   IObj("0;0;0", "0;0;0", "B.fzlgrp",
                                        "BlinkIntervall=\"0.25\" ZoomFaktor=\"3\" HideOn=\"B\" "
                                        "ShowOn=\"S\"")));
    Folder.Write("B.fzlgrp",
                 Group(Entry("Object", "ZoomFaktor=\"5\" BlinkIntervall=\"1\" Name=\"b.fzlobj\" "
                                       "HideOn=\"C\" ShowOn=\"eigen\" DynamicVisibility=\"D\"")));
    // Without a ZoomFaktor an entry reads 0, and 0 times anything is 0.
    Folder.Write("Z.fzlgrp", Group(Obj("0;0;0", "z.fzlobj")));
    ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
    GroupDocument flat = Flat();
    ASSERT_EQ(flat.Objects.size(), 3u);
    const ObjectEntry& a = *flat.Objects[0];
    EXPECT_EQ(a.BlinkIntervall, 0.5);
    EXPECT_EQ(a.ZoomFaktor, 2);
    EXPECT_EQ(*a.HideOn, u"Aussen");
    EXPECT_FALSE(a.ShowOn);
    EXPECT_EQ(a.FixedDynamicVisibility, 0); // only written along with a formula
    EXPECT_EQ(a.ShowIfBrightness, 1);
    EXPECT_EQ(a.Brightness, 40);
    EXPECT_EQ(a.GreaterAs, 1);
    EXPECT_EQ(a.WeitSichtbar, 1);
    const ObjectEntry& b = *flat.Objects[1];
    EXPECT_EQ(b.BlinkIntervall, 1.75);
    EXPECT_EQ(b.ZoomFaktor, 30);
    EXPECT_EQ(*b.HideOn, u"Aussen");
    EXPECT_EQ(*b.ShowOn, u"S");
    EXPECT_EQ(*b.DynamicVisibility, u"D");
    EXPECT_EQ(b.FixedDynamicVisibility, 1);
    EXPECT_EQ(b.ShowIfBrightness, 1);
    EXPECT_EQ(b.Brightness, 40);
    EXPECT_EQ(b.WeitSichtbar, 1);
    const ObjectEntry& z = *flat.Objects[2];
    EXPECT_EQ(z.ZoomFaktor, 0);
    EXPECT_EQ(z.ShowIfBrightness, 0);
    EXPECT_FALSE(z.HideOn);
}

TEST_F(FlattenTest, PlacingKeepsTextsTheGroupLacks) {
    GroupDocument nested;
    auto& e = *nested.Objects.emplace_back(new ObjectEntry());
    e.ShowOn = u"eigen";
    e.Brightness = 7;
    e.FixedDynamicVisibility = 1;
    auto& inner = *nested.IObjects.emplace_back(new ObjectEntry());
    inner.Rotation = {10, 20, 30};
    inner.Position = {1, 1, 1};
    ObjectEntry group;
    group.Rotation = {1, 2, 3};
    group.Position = {4, 5, 6};
    group.HideOn = u"";
    ASSERT_TRUE(PlaceNestedDocument(&nested, &group));
    EXPECT_EQ(*e.ShowOn, u"eigen");
    EXPECT_EQ(*e.HideOn, u""); // an empty text is a text
    EXPECT_EQ(e.Brightness, 7);
    EXPECT_EQ(e.FixedDynamicVisibility, 1);
    ExpectNear(inner.Rotation, 11, 22, 33);
    ExpectNear(inner.Position, 5, 6, 7);
}

TEST_F(FlattenTest, FontsInNestedGroupsAreTurnedAndMovedOnly) {
    Folder.Write("top.fzlgrp", Group(IObj("0;0;5", "90;0;0", "A.fzlgrp",
                                          "BlinkIntervall=\"0.5\" ZoomFaktor=\"2\" "
                                          "HideOn=\"x\" WeitSichtbar=\"TRUE\"")));
    Folder.Write("A.fzlgrp",
                 Group(Entry("Font", "Position=\"1;0;0\" Rotation=\"0;0;0\" BlinkIntervall=\"2\" "
                                     "NormTopLeft=\"1;2;3\" NormTopRight=\"4;5;6\" "
                                     "NormBottomLeft=\"7;8;9\" NormBottomRight=\"1;1;1\" "
                                     "Fonthoehe=\"1.5\" Color=\"255\" DefaultText=\"Gleis\" "
                                     "DynamicVisibility=\"Nebel\"")));
    ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
    GroupDocument flat = Flat();
    ASSERT_EQ(flat.Fonts.size(), 1u);
    const FontEntry& f = *flat.Fonts[0];
    ExpectNear(f.Position, 0, 0, 4);
    ExpectNear(f.Rotation, 90, 0, 0);
    EXPECT_EQ(f.BlinkIntervall, 2.5);
    ExpectNear(f.NormTopLeft, 1, 2, 3);
    ExpectNear(f.NormTopRight, 4, 5, 6);
    ExpectNear(f.NormBottomLeft, 7, 8, 9);
    ExpectNear(f.NormBottomRight, 1, 1, 1);
    EXPECT_EQ(f.Fonthoehe, 1.5);
    EXPECT_EQ(f.Color, 255);
    EXPECT_EQ(*f.DefaultText, u"Gleis");
    EXPECT_EQ(*f.DynamicVisibility, u"Nebel");
}

TEST_F(FlattenTest, SameFileSideBySideIsNoLoop) {
    Folder.Write("top.fzlgrp",
                 Group(IObj("0;0;0", "0;0;0", "B.fzlgrp") + IObj("1;0;0", "0;0;0", "b.FZLGRP") +
                       IObj("2;0;0", "0;0;0", "S.fzlgrp") + IObj("3;0;0", "0;0;0", "S.fzlgrp")));
    Folder.Write("S.fzlgrp", Group(IObj("0;10;0", "0;0;0", "B.fzlgrp")));
    Folder.Write("B.fzlgrp", Group(Obj("0;0;0", "o.fzlobj")));
    Outcome outcome = ExportFile("top.fzlgrp");
    ASSERT_TRUE(outcome.InPlace);
    EXPECT_EQ(outcome.Messages(), std::vector<unsigned>{UM_EXPORTDONE});
    GroupDocument flat = Flat();
    ASSERT_EQ(flat.Objects.size(), 4u);
    ExpectNear(flat.Objects[0]->Position, 0, 0, 0);
    ExpectNear(flat.Objects[1]->Position, 1, 0, 0);
    ExpectNear(flat.Objects[2]->Position, 2, 10, 0);
    ExpectNear(flat.Objects[3]->Position, 3, 10, 0);
}

struct LoopCase {
    const char* What;
    std::vector<std::pair<std::string, std::string>> Files; // name, IObject names in it
    size_t VisitedAtLoop;
};

TEST_F(FlattenTest, GroupsContainingThemselvesAreLoops) {
    const LoopCase cases[] = {
        {"self", {{"A.fzlgrp", "A.fzlgrp"}}, 1},
        {"A to B to A", {{"A.fzlgrp", "B.fzlgrp"}, {"B.fzlgrp", "A.fzlgrp"}}, 2},
        {"letter case", {{"A.fzlgrp", "B.fzlgrp"}, {"B.fzlgrp", "a.FZLGRP"}}, 2},
        // Relative names grow with every round; their folders are the same all the same.
        {"through ..",
         {{"x\\A.fzlgrp", "..\\y\\B.fzlgrp"}, {"y\\B.fzlgrp", "..\\x\\.\\A.fzlgrp"}},
         2},
        // "/" separates folders as "\\" does.
        {"through / and ..", {{"A.fzlgrp", "sub/..\\A.fzlgrp"}}, 1},
        {"with /", {{"x\\A.fzlgrp", "../y/B.fzlgrp"}, {"y\\B.fzlgrp", "..\\x/./A.fzlgrp"}}, 2},
        {"deeper",
         {{"A.fzlgrp", "B.fzlgrp"}, {"B.fzlgrp", "C.fzlgrp"}, {"C.fzlgrp", "B.fzlgrp"}},
         3},
    };
    for (const LoopCase& c : cases) {
        SCOPED_TRACE(c.What);
        ScratchFolder folder;
        for (const auto& [name, named] : c.Files)
            folder.Write(name, Group(Obj("0;0;0", "o.fzlobj") + IObj("0;0;0", "0;0;0", named)));
        folder.Write("top.fzlgrp", Group(IObj("0;0;0", "0;0;0", c.Files[0].first)));
        folder.Write("flat.fzlgrp", "alt");
        GroupDocument document = Load(folder.File("top.fzlgrp"));
        Outcome outcome = Export(document, folder.File("flat.fzlgrp"));
        EXPECT_FALSE(outcome.InPlace);
        ASSERT_EQ(outcome.Messages(), (std::vector<unsigned>{UM_EXPORTLOOP, UM_EXPORTDONE}));
        EXPECT_EQ(outcome.Reports[0].Visited.size(), c.VisitedAtLoop);
        EXPECT_EQ(folder.Read("flat.fzlgrp"), "alt");
        std::set<std::string> left{"top.fzlgrp", "flat.fzlgrp"};
        for (const auto& file : c.Files)
            left.insert(file.first.substr(0, file.first.find('\\')));
        EXPECT_EQ(folder.Names(), std::vector<std::string>(left.begin(), left.end()));
    }
}

TEST_F(FlattenTest, SameFileWrittenTwoWaysIsALoopAtOnce) {
    // The top names A by its full path, A names itself relative to the simulator folder: the
    // names differ, the file is the same, so the first repetition is the loop.
    ASSERT_TRUE(SetCurrentFolder(Folder.Path));
    Folder.Write("top.fzlgrp", Group(IObj("0;0;0", "0;0;0", "A.fzlgrp")));
    Folder.Write("A.fzlgrp", Group(IObj("0;0;0", "0;0;0", "\\A.fzlgrp")));
    Outcome outcome = ExportFile("top.fzlgrp");
    ASSERT_EQ(outcome.Messages(), (std::vector<unsigned>{UM_EXPORTLOOP, UM_EXPORTDONE}));
    EXPECT_EQ(outcome.Reports[0].Visited, (std::vector<std::u16string>{Folder.File("A.fzlgrp")}));
    EXPECT_EQ(outcome.Reports[0].Depth, 2);
}

TEST_F(FlattenTest, GroupsThatCannotBeReadStopTheExport) {
    Folder.Write("obj.fzlobj", "<?xml version=\"1.0\"?><OBJECT><Point /></OBJECT>");
    Folder.Write("broken.fzlgrp", "<?xml version=\"1.0\"?><GRUPPENOBJECT><Props>");
    Folder.Write("other.fzlgrp", "<?xml version=\"1.0\"?><ANDERES />");
    std::vector<std::u16string> names = {Folder.File("fehlt.fzlgrp"), Folder.File("obj.fzlobj"),
                                         Folder.File("broken.fzlgrp"), Folder.File("other.fzlgrp"),
                                         u"\\fehlt\\woanders.fzlgrp"};
#ifndef _WIN32
    // A pipe would keep the export waiting for a writer that never comes.
    ASSERT_EQ(mkfifo((Folder.Native + "/pipe.fzlgrp").c_str(), 0644), 0);
    names.push_back(Folder.File("pipe.fzlgrp"));
#endif
    for (const std::u16string& name : names) {
        SCOPED_TRACE(U8(name));
        ToldMessages told;
        GroupDocument document;
        document.IObjects.emplace_back(new ObjectEntry())->Name = name;
        document.IObjects.emplace_back(new ObjectEntry())->Name = Folder.File("nie.fzlgrp");
        Folder.Write("flat.fzlgrp", "alt");
        Outcome outcome = Export(document, Folder.File("flat.fzlgrp"));
        EXPECT_FALSE(outcome.InPlace);
        ASSERT_EQ(outcome.Messages(), (std::vector<unsigned>{UM_EXPORTNOTFOUND, UM_EXPORTDONE}));
        // The name as the entry holds it, not the loader's working copy.
        EXPECT_EQ(outcome.Reports[0].Name, name);
        EXPECT_EQ(*document.IObjects[0]->Name, name);
        EXPECT_EQ(Folder.Read("flat.fzlgrp"), "alt");
        EXPECT_EQ(Folder.Names().size(), names.size() == 5 ? 4u : 5u);
    }
}

// A group file that disappears while the export runs (deleted, a stick pulled out) is
// reported like any other group that cannot be read.
std::u16string VanishingFile;

bool DeleteThenStart(void (*fn)(void*), void* argument) {
    DeleteFileAt(VanishingFile);
    return StartWorkerThread(fn, argument);
}

TEST_F(FlattenTest, GroupDeletedAfterTheExportStartedIsNotFound) {
    Folder.Write("a.fzlgrp", Group(Obj("1;0;0", "\\a.fzlobj")));
    Folder.Write("b.fzlgrp", Group(Obj("2;0;0", "\\b.fzlobj")));
    VanishingFile = Folder.File("b.fzlgrp");
    StartExportWorker = DeleteThenStart;
    GroupDocument document;
    document.IObjects.emplace_back(new ObjectEntry())->Name = Folder.File("a.fzlgrp");
    document.IObjects.emplace_back(new ObjectEntry())->Name = VanishingFile;
    Outcome outcome = Export(document, Folder.File("flat.fzlgrp"));
    EXPECT_TRUE(outcome.Started);
    EXPECT_FALSE(outcome.InPlace);
    ASSERT_EQ(outcome.Messages(), (std::vector<unsigned>{UM_EXPORTNOTFOUND, UM_EXPORTDONE}));
    EXPECT_EQ(outcome.Reports[0].Name, VanishingFile);
    EXPECT_FALSE(Folder.Exists("flat.fzlgrp"));
    EXPECT_EQ(Folder.Names(), std::vector<std::string>{"a.fzlgrp"});
}

TEST_F(FlattenTest, GroupWithoutNameIsNotFound) {
    GroupDocument document;
    document.IObjects.emplace_back(new ObjectEntry());
    Outcome outcome = Export(document, Folder.File("flat.fzlgrp"));
    EXPECT_FALSE(outcome.InPlace);
    ASSERT_EQ(outcome.Messages(), (std::vector<unsigned>{UM_EXPORTNOTFOUND, UM_EXPORTDONE}));
    EXPECT_EQ(outcome.Reports[0].Name, u"");
    EXPECT_TRUE(Folder.Names().empty());
}

TEST_F(FlattenTest, NestedIsoFileIsReadAndOutputStaysUtf8) {
    Folder.Write("top.fzlgrp",
                 Group(IObj("0;0;0", "0;0;0", "B.fzlgrp") + IObj("0;0;0", "0;0;0", "C.fzlgrp")));
    Folder.Write("B.fzlgrp",
                 Group(Obj("0;0;0", "Bank\xe4.fzlobj", "ShowOn=\"Gr\xfcn\""), "iso-8859-1"));
    Folder.Write("C.fzlgrp", Group(Obj("0;0;0", "\xe2\x82\xac.fzlobj")));
    ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
    std::string bytes = Folder.Read("flat.fzlgrp");
    EXPECT_NE(bytes.find("Name=\"Bank\xc3\xa4.fzlobj\" ShowOn=\"Gr\xc3\xbcn\" />"),
              std::string::npos);
    EXPECT_NE(bytes.find("Name=\"\xe2\x82\xac.fzlobj\""), std::string::npos);
    EXPECT_EQ(bytes.compare(0, Head.size(), Head), 0);
}

TEST_F(FlattenTest, NamesAreFoundAndShortenedForTheOutputsFolder) {
    SimulatorRoot = Folder.Path;
    ASSERT_TRUE(SetCurrentFolder(Folder.Path));
    Folder.Write("out\\top.fzlgrp", Group(Obj("0;0;0", "hier.fzlobj") +
                                          IObj("0;0;0", "0;0;0", "\\Gruppen\\A.fzlgrp")));
    Folder.Write("Gruppen\\A.fzlgrp",
                 Group(Obj("0;0;0", "Haus.fzlobj") + Obj("0;0;0", "..\\out\\neben.fzlobj") +
                       IObj("0;0;0", "0;0;0", "Sub\\B.fzlgrp")));
    Folder.Write("Gruppen\\Sub\\B.fzlgrp", Group(Obj("0;0;0", "\\Objekte\\Baum.fzlobj")));
    GroupDocument document = Load(Folder.File("out\\top.fzlgrp"));
    Outcome outcome = Export(document, Folder.File("out\\flat.fzlgrp"));
    ASSERT_TRUE(outcome.InPlace);
    GroupDocument flat = Reread(Folder.Read("out\\flat.fzlgrp"));
    ASSERT_EQ(flat.Objects.size(), 4u);
    EXPECT_EQ(*flat.Objects[0]->Name, u"hier.fzlobj");
    EXPECT_EQ(*flat.Objects[1]->Name, u"\\Gruppen\\Haus.fzlobj");
    EXPECT_EQ(*flat.Objects[2]->Name, u"\\Gruppen\\..\\out\\neben.fzlobj");
    EXPECT_EQ(*flat.Objects[3]->Name, u"\\Objekte\\Baum.fzlobj");
}

TEST_F(FlattenTest, FailedWritesLeaveTheOldFile) {
    Folder.Write("top.fzlgrp",
                 Group(Obj("0;0;0", "a.fzlobj") + IObj("1;0;0", "0;0;0", "B.fzlgrp")));
    Folder.Write("B.fzlgrp", Group(Obj("0;0;0", "b.fzlobj")));
    ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
    const std::string complete = Folder.Read("flat.fzlgrp");
    const int64_t head = int64_t(Head.size() + 2);
    Folder.Write("flat.fzlgrp", "alt");
    for (int64_t limit :
         {int64_t(0), int64_t(1), head - 1, head, head + 1, int64_t(complete.size()) - 1}) {
        SCOPED_TRACE(limit);
        InjectedFaults.WriteLimit = limit;
        Outcome outcome = ExportFile("top.fzlgrp");
        InjectedFaults = PlatformFaults();
        EXPECT_FALSE(outcome.InPlace);
        // The head goes to the disk at once, the entries once the worker has them all.
        if (limit < head)
            EXPECT_EQ(outcome.Messages(), std::vector<unsigned>{UM_EXPORTCANNOTCREATE});
        else
            EXPECT_EQ(outcome.Messages(),
                      (std::vector<unsigned>{UM_EXPORTNOTFOUND, UM_EXPORTDONE}));
        EXPECT_EQ(Folder.Read("flat.fzlgrp"), "alt");
        EXPECT_EQ(Folder.Names().size(), 3u);
    }
    InjectedFaults.WriteLimit = int64_t(complete.size());
    ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
    EXPECT_EQ(Folder.Read("flat.fzlgrp"), complete);
}

TEST_F(FlattenTest, WriteFailureWhileEntriesAreWrittenStopsAtOnce) {
    // More than the writer keeps in memory, so that the disk refuses in the middle.
    std::string objects;
    for (int i = 0; i < 12000; ++i)
        objects += Obj("0;0;0", "o" + std::to_string(i) + ".fzlobj");
    Folder.Write("B.fzlgrp", Group(objects));
    Folder.Write("top.fzlgrp", Group(IObj("0;0;0", "0;0;0", "B.fzlgrp") +
                                     IObj("0;0;0", "0;0;0", "fehlt.fzlgrp")));
    InjectedFaults.WriteLimit = 100000;
    Outcome outcome = ExportFile("top.fzlgrp");
    ASSERT_EQ(outcome.Messages(), (std::vector<unsigned>{UM_EXPORTNOTFOUND, UM_EXPORTDONE}));
    EXPECT_EQ(outcome.Reports[0].Name, u""); // not the missing group that follows
    EXPECT_FALSE(Folder.Exists("flat.fzlgrp"));
    EXPECT_EQ(Folder.Names().size(), 2u);
    EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"B.fzlgrp", "top.fzlgrp"}));
}

TEST_F(FlattenTest, OutputThatCannotBeCreated) {
    GroupDocument document;
    Outcome outcome = Export(document, Folder.File("fehlt\\flat.fzlgrp"));
    EXPECT_FALSE(outcome.Started);
    EXPECT_FALSE(outcome.InPlace);
    EXPECT_EQ(outcome.Messages(), std::vector<unsigned>{UM_EXPORTCANNOTCREATE});
}

TEST_F(FlattenTest, WorkerThatCannotStartIsAFailedExport) {
    StartExportWorker = [](void (*)(void*), void*) { return false; };
    Folder.Write("flat.fzlgrp", "alt");
    GroupDocument document;
    Outcome outcome = Export(document, Folder.File("flat.fzlgrp"));
    EXPECT_FALSE(outcome.Started);
    EXPECT_FALSE(outcome.InPlace);
    EXPECT_EQ(outcome.Messages(), std::vector<unsigned>{UM_EXPORTCANNOTCREATE});
    EXPECT_EQ(Folder.Read("flat.fzlgrp"), "alt");
    EXPECT_EQ(Folder.Names(), std::vector<std::string>{"flat.fzlgrp"});
}

TEST_F(FlattenTest, CancelledExportLeavesNothing) {
    Folder.Write("top.fzlgrp",
                 Group(Obj("0;0;0", "a.fzlobj") + IObj("1;0;0", "0;0;0", "B.fzlgrp")));
    Folder.Write("B.fzlgrp", Group(Obj("0;0;0", "b.fzlobj")));
    Folder.Write("flat.fzlgrp", "alt");
    Outcome outcome = ExportFile("top.fzlgrp", 0);
    EXPECT_FALSE(outcome.InPlace);
    EXPECT_EQ(outcome.Messages(), std::vector<unsigned>{UM_EXPORTDONE});
    EXPECT_EQ(Folder.Read("flat.fzlgrp"), "alt");
    // A cancel after the last group, too.
    Outcome late = ExportFile("B.fzlgrp", 0);
    EXPECT_EQ(late.Succeeded, 0);
    EXPECT_FALSE(late.InPlace);
    EXPECT_EQ(Folder.Read("flat.fzlgrp"), "alt");
    EXPECT_EQ(Folder.Names().size(), 3u);
    EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"B.fzlgrp", "flat.fzlgrp", "top.fzlgrp"}));
}

TEST_F(FlattenTest, LongNamesAndHeadersHaveNoLimit) {
    GroupDocument document;
    document.HeaderText = u"FileInfo=\"" + std::u16string(10000, u'k') + u"\" ";
    std::u16string longName = Folder.Path + std::u16string(3000, u'n') + u".fzlgrp";
    document.IObjects.emplace_back(new ObjectEntry())->Name = longName;
    Outcome outcome = Export(document, Folder.File("flat.fzlgrp"));
    ASSERT_EQ(outcome.Messages(), (std::vector<unsigned>{UM_EXPORTNOTFOUND, UM_EXPORTDONE}));
    EXPECT_EQ(outcome.Reports[0].Name, longName);

    document.IObjects.clear();
    ASSERT_TRUE(Export(document, Folder.File("flat.fzlgrp")).InPlace);
    EXPECT_EQ(Folder.Read("flat.fzlgrp"), Head + U8(*document.HeaderText) + "/>" + Tail);
}

// The chain's files in folders of a hundred: Wine's look-up of a new name in a folder costs
// in proportion to the folder's size.
std::string ChainFile(int i) {
    return "d" + std::to_string(i / 100) + "\\g" + std::to_string(i) + ".fzlgrp";
}

void WriteChainFile(const ScratchFolder& folder, int i, const std::string& bytes) {
    if (i % 100 == 0) {
        folder.Write(ChainFile(i), bytes); // creates the folder
        return;
    }
    std::string native = folder.Native + "/" + ChainFile(i);
#ifdef _WIN32
    for (char& c : native)
        if (c == '/')
            c = '\\';
    std::ofstream out(reinterpret_cast<const wchar_t*>(U16(native).c_str()), std::ios::binary);
#else
    for (char& c : native)
        if (c == '\\')
            c = '/';
    std::ofstream out(native, std::ios::binary);
#endif
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

TEST_F(FlattenTest, DeepChainExportsCompletely) {
    const int depth = 10000;
    for (int i = 0; i < depth; ++i) {
        std::string next =
            i + 1 < depth ? IObj("1;0;0", "0;0;0", U8(Folder.Path) + ChainFile(i + 1)) : "";
        WriteChainFile(Folder, i, Group(Obj("0;0;0", "o.fzlobj") + next));
    }
    Folder.Write("top.fzlgrp", Group(IObj("0;0;0", "0;0;0", ChainFile(0))));
    auto start = std::chrono::steady_clock::now();
    Outcome outcome = ExportFile("top.fzlgrp");
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printf("%d nested groups exported in %.2f s\n", depth, seconds);
    ASSERT_TRUE(outcome.InPlace);
    EXPECT_EQ(outcome.Messages(), std::vector<unsigned>{UM_EXPORTDONE});
    GroupDocument flat = Flat();
    ASSERT_EQ(flat.Objects.size(), size_t(depth));
    for (int i = 0; i < depth; i += 997)
        EXPECT_EQ(flat.Objects[i]->Position.x, i);
    EXPECT_EQ(flat.Objects[depth - 1]->Position.x, depth - 1);
    // One by one is many times quicker under Wine than removing the whole tree.
    for (int i = 0; i < depth; ++i)
        DeleteFileAt(Folder.File(ChainFile(i)));
}

// How the export's time grows with the output is measured in bench/, not here.
TEST_F(FlattenTest, LargeExportFlattensEveryEntry) {
    std::string objects;
    for (int i = 0; i < 100; ++i)
        objects += Obj(std::to_string(i) + ";0;0", "o.fzlobj");
    Folder.Write("B.fzlgrp", Group(objects));
    for (int count : {100, 1000}) {
        std::string groups;
        for (int i = 0; i < count; ++i)
            groups += IObj("0;0;" + std::to_string(i), "0;0;0", "B.fzlgrp");
        Folder.Write("top.fzlgrp", Group(groups));
        ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
        EXPECT_EQ(Flat().Objects.size(), size_t(count) * 100);
    }
}

TEST(LexicallyNormalisedTest, ResolvesDotsAndDoubledSeparatorsOnly) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"C:\\a\\.\\b\\\\c\\..\\d.fzlgrp", u"C:\\a\\b\\d.fzlgrp"},
        {u"C:\\..\\a.fzlgrp", u"C:\\a.fzlgrp"},
        {u"\\Gruppen\\..\\..\\A.fzlgrp", u"\\A.fzlgrp"},
        {u"..\\x\\..\\..\\A.fzlgrp", u"..\\..\\A.fzlgrp"},
        {u"x\\..\\A.fzlgrp", u"A.fzlgrp"},
        {u"C:x\\..\\A.fzlgrp", u"C:A.fzlgrp"},
        {u"\\\\server\\share\\.\\A.fzlgrp", u"\\\\server\\share\\A.fzlgrp"},
        {u"Z:\\Sim\\A.FZLGRP", u"Z:\\Sim\\A.FZLGRP"},
        {u"a/../b.fzlgrp", u"b.fzlgrp"},
        {u"C:/Sim//x/.\\A.fzlgrp", u"C:\\Sim\\x\\A.fzlgrp"},
        {u"//server/share/A.fzlgrp", u"\\\\server\\share\\A.fzlgrp"},
        {u"", u""},
    };
    for (const auto& [name, normalised] : cases)
        EXPECT_EQ(LexicallyNormalised(name), normalised) << U8(name);
}

// Hashes that share a slot and run past the table's end, through two growths, and removal of
// the last level each time: what is left must be found, and only that.
TEST(LevelIndexTest, FindsExactlyTheLevelsStillOpenWhateverTheirHashes) {
    const size_t hashes[] = {15, 31, 15, 0, 47, 15, 7, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13};
    const size_t count = sizeof hashes / sizeof *hashes;
    LevelIndex index;
    std::vector<size_t> open;
    auto found = [&](size_t level) {
        return ContainsLevel(index, hashes[level - 1], [&](size_t l) { return l == level; });
    };
    for (size_t level = 1; level <= count; ++level) {
        AddLevel(index, hashes[level - 1], level);
        open.push_back(level);
        if (level % 4 == 0) {
            RemoveLastLevel(index);
            open.pop_back();
        }
        for (size_t l = 1; l <= count; ++l)
            EXPECT_EQ(found(l), std::count(open.begin(), open.end(), l) == 1) << level << " " << l;
    }
    EXPECT_EQ(index.Slots.size(), 32u);
    while (!open.empty()) {
        RemoveLastLevel(index);
        open.pop_back();
    }
    EXPECT_EQ(std::count(index.Slots.begin(), index.Slots.end(), 0u), 32);
}

} // namespace

// What a receiver of FlattenInMemory is handed: each level's entries written as the export
// writes them, and the group file they came from.
struct Received {
    OutputSink Body;
    std::vector<std::u16string> Groups;
};

void Receive(void* receiver, GroupDocument& level, const std::u16string& groupFile) {
    Received& r = *static_cast<Received*>(receiver);
    r.Groups.push_back(groupFile);
    for (auto& e : level.Objects)
        WriteObjectEntry(r.Body, e.get(), "Object");
    for (auto& f : level.Fonts)
        WriteFontEntry(r.Body, f.get());
}

TEST_F(FlattenTest, FlatteningInMemoryHandsOnWhatTheExportWrites) {
    Folder.Write("top.fzlgrp", Group(Obj("5;0;0", "t.fzlobj") +
                                     IObj("0;0;0", "90;0;0", "S.fzlgrp", "HideOn=\"Nacht\"") +
                                     IObj("1;0;0", "0;0;0", "b.FZLGRP") +
                                     Entry("Font", "Position=\"1;2;3\" DefaultText=\"Gleis\"")));
    Folder.Write("S.fzlgrp", Group(Obj("1;0;0", "s.fzlobj") + IObj("0;10;0", "0;0;0", "B.fzlgrp")));
    Folder.Write("B.fzlgrp", Group(Obj("0;0;1", "o.fzlobj") + Entry("Font", "Position=\"0;0;2\"")));
    ASSERT_TRUE(ExportFile("top.fzlgrp").InPlace);
    std::string exported = Folder.Read("flat.fzlgrp");

    GroupDocument document = Load(Folder.File("top.fzlgrp"));
    Received received;
    received.Body.Settings = SaveSettingsFor(Folder.File("flat.fzlgrp"), true, u"");
    WriteDocumentHead(received.Body, document);
    ExportJob job;
    job.Document = &document;
    job.TakeEntries = Receive;
    job.EntryReceiver = &received;
    EXPECT_TRUE(FlattenInMemory(job));
    WriteDocumentTail(received.Body);
    EXPECT_EQ(received.Body.Buffer, exported);
    EXPECT_EQ(received.Groups,
              (std::vector<std::u16string>{u"", Folder.File("S.fzlgrp"), Folder.File("B.fzlgrp"),
                                           Folder.File("b.FZLGRP")}));
    EXPECT_EQ(Folder.Names(),
              (std::vector<std::string>{"B.fzlgrp", "S.fzlgrp", "flat.fzlgrp", "top.fzlgrp"}));
    EXPECT_EQ(ExportDepth, 0);
    EXPECT_FALSE(ResolveAgainstFileFolder);
}

TEST_F(FlattenTest, FlatteningInMemoryReportsLoopsAndMissingGroups) {
    Folder.Write("A.fzlgrp", Group(IObj("0;0;0", "0;0;0", "A.fzlgrp")));
    const std::pair<const char*, unsigned> cases[] = {{"A.fzlgrp", UM_EXPORTLOOP},
                                                      {"fehlt.fzlgrp", UM_EXPORTNOTFOUND}};
    for (const auto& [name, message] : cases) {
        SCOPED_TRACE(name);
        GroupDocument document;
        document.IObjects.emplace_back(new ObjectEntry())->Name = Folder.File(name);
        ExportRun run;
        Received received;
        ExportJob job;
        job.Document = &document;
        job.ReportContext = &run;
        job.Report = Record;
        job.TakeEntries = Receive;
        job.EntryReceiver = &received;
        EXPECT_FALSE(FlattenInMemory(job));
        EXPECT_EQ(job.Succeeded, 0);
        ASSERT_EQ(run.Reports.size(), 1u);
        EXPECT_EQ(run.Reports[0].Message, message);
        EXPECT_EQ(ExportDepth, 0);
        EXPECT_TRUE(VisitedGroupFiles.empty());
        EXPECT_FALSE(ResolveAgainstFileFolder);
        EXPECT_EQ(Folder.Names(), std::vector<std::string>{"A.fzlgrp"});
    }
}

// A worker that runs only when the test calls it.
void (*HeldWorker)(void*) = nullptr;
void* HeldArgument = nullptr;

bool HoldWorker(void (*fn)(void*), void* argument) {
    HeldWorker = fn;
    HeldArgument = argument;
    return true;
}

// The engine's globals serve one expansion: until an export's worker has ended, flattening in
// memory (the plan's) and a second export are refused without touching them.
TEST_F(FlattenTest, OneExpansionRunsAtATime) {
    Folder.Write("B.fzlgrp", Group(Obj("0;0;1", "o.fzlobj")));
    GroupDocument document;
    document.IObjects.emplace_back(new ObjectEntry())->Name = Folder.File("B.fzlgrp");
    StartExportWorker = HoldWorker;
    ExportRun run, refused;
    ExportJob running, second;
    for (ExportJob* job : {&running, &second}) {
        job->Document = &document;
        job->Report = Record;
    }
    running.OutputPath = Folder.File("flat.fzlgrp");
    running.ReportContext = &run;
    second.OutputPath = Folder.File("zweite.fzlgrp");
    second.ReportContext = &refused;
    ASSERT_TRUE(StartExport(running));
    Received received;
    ExportJob inMemory;
    inMemory.Document = &document;
    inMemory.TakeEntries = Receive;
    inMemory.EntryReceiver = &received;
    EXPECT_FALSE(FlattenInMemory(inMemory));
    EXPECT_TRUE(received.Groups.empty());
    EXPECT_FALSE(StartExport(second));
    ASSERT_EQ(refused.Reports.size(), 1u);
    EXPECT_EQ(refused.Reports[0].Message, UM_EXPORTCANNOTCREATE);

    HeldWorker(HeldArgument);
    EXPECT_TRUE(FinishExportOutput(running));
    inMemory.Succeeded = 1;
    EXPECT_TRUE(FlattenInMemory(inMemory));
    EXPECT_EQ(received.Groups, (std::vector<std::u16string>{u"", Folder.File("B.fzlgrp")}));
    EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"B.fzlgrp", "flat.fzlgrp"}));
}
