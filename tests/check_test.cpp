// Checking whole folders: the loop search, every kind of finding with its entry, and each
// file read once however many threads read.
#include <gtest/gtest.h>

#include "cli/check.h"
#include "cli/check_loops.h"
#include "tests/test_support.h"

namespace {

using Graph = std::vector<std::vector<size_t>>;

TEST(CheckLoops, NodesLeadingToACycleAndAFileOnIt) {
    const size_t N = NoCycle;
    struct Case {
        const char* What;
        Graph Successors;
        std::vector<size_t> Reached;
    } cases[] = {
        {"no edges", {{}, {}}, {N, N}},
        {"names itself", {{0}}, {0}},
        {"two in a ring, one leading in", {{1}, {0}, {0}}, {0, 1, 0}},
        {"a chain into a ring further down", {{1}, {2}, {3}, {2}}, {2, 2, 2, 3}},
        {"the same group twice side by side is no loop", {{1, 1}, {2}, {}}, {N, N, N}},
        {"diamond", {{1, 2}, {3}, {3}, {}}, {N, N, N, N}},
        {"first branch clean, second loops", {{1, 2}, {}, {2}}, {2, N, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(CyclesReached(c.Successors), c.Reached);
    }
}

TEST(CheckLoops, LongChainsNeedNoDeepStack) {
    const size_t length = 100000;
    Graph chain(length);
    for (size_t i = 0; i + 1 < length; ++i)
        chain[i].push_back(i + 1);
    EXPECT_EQ(CyclesReached(chain)[0], NoCycle);
    chain.back().push_back(length / 2);
    std::vector<size_t> reached = CyclesReached(chain);
    EXPECT_EQ(reached[0], length / 2);
    EXPECT_EQ(reached[length - 1], length - 1);
}

std::string Group(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<GRUPPENOBJECT>\r\n<Props/>\r\n" + body +
           "</GRUPPENOBJECT>\r\n";
}
std::string Object(const std::string& name) {
    return "<Object><Props Name=\"" + name + "\"/></Object>";
}
std::string IObject(const std::string& name) {
    return "<IObject><Props Name=\"" + name + "\"/></IObject>";
}

// Every kind of finding, the names in each form the loader completes, and files that are
// named several times and in several spellings.
void WriteSimulator(const ScratchFolder& sim) {
    sim.Write("Objekte\\Lampe.fzlobj", "<Objekt><Point/></Objekt>");
    sim.Write("Objekte\\Weder.fzlobj", "<Objekt/>");
    sim.Write("Objekte\\Kaputt.fzlobj", "<Objekt>");
    sim.Write("Schrift.txt", "x");
    sim.Write("gut.fzlgrp", Group(Object("\\Objekte\\Lampe.fzlobj") + Object("") +
                                  IObject("\\Gruppen\\fern.fzlgrp")));
    sim.Write("Gruppen\\fern.fzlgrp", Group(Object("..\\Objekte\\Lampe.fzlobj")));
    sim.Write(
        "verweise.fzlgrp",
        Group(Object("fehlt.fzlobj") + Object("gut.fzlgrp") + Object("OBJEKTE\\WEDER.FZLOBJ") +
              Object("\\Objekte\\Kaputt.fzlobj") + Object("\\Objekte\\Lampe.fzlobj") +
              IObject("Objekte\\Lampe.fzlobj") + IObject("gut.fzlgrp") + IObject("\\fehlt.fzlgrp") +
              "<Font><Props Name=\"Schrift.txt\"/></Font>" +
              "<Font><Props Name=\"weg.txt\"/></Font><Font><Props DefaultText=\"x\"/></Font>"));
    sim.Write("Ring\\A.FZLGRP", Group(IObject("B.efzlgrp") + IObject("B.efzlgrp")));
    sim.Write("Ring\\B.efzlgrp", Group(IObject("..\\Ring\\.\\a.fzlgrp")));
    sim.Write("davor.fzlgrp", Group(IObject("gut.fzlgrp") + IObject("Ring\\B.efzlgrp")));
    sim.Write("kaputt.fzlgrp", "<GRUPPENOBJECT>\n<Object>");
    sim.Write("objekt.fzlgrp", "<Objekt><Point/></Objekt>");
    sim.Write("anders.fzlgrp", "<Anders/>");
    sim.Write("liesmich.txt", "kein Gruppenobjekt");
}

struct Expected {
    std::string File;
    CheckProblem Problem;
    std::string Entry;
    std::u16string Name;
    std::u16string Detail;
};

TEST(CheckFolder, EveryKindOfFindingWithItsEntryAndEachFileReadOnce) {
    ScratchFolder sim;
    WriteSimulator(sim);
    const std::u16string& root = sim.Path;
    auto in = [&](const std::string& name) { return sim.File(name); };
    std::u16string ring = u"Endlosschleife beim Exportieren: ";
    std::u16string self = u" enthält sich über verschachtelte Gruppen selbst";
    Expected expected[] = {
        {"Ring\\A.FZLGRP", ProblemLoop, "iobjects[0]", in("Ring\\B.efzlgrp"),
         ring + in("Ring\\A.FZLGRP") + self},
        {"Ring\\B.efzlgrp", ProblemLoop, "iobjects[0]", in("Ring\\..\\Ring\\.\\a.fzlgrp"),
         ring + in("Ring\\B.efzlgrp") + self},
        {"anders.fzlgrp", ProblemNotAGroupFile, "", u"",
         u"weder eine Gruppen- noch eine Objektdatei"},
        {"davor.fzlgrp", ProblemLoop, "iobjects[1]", in("Ring\\B.efzlgrp"),
         ring + in("Ring\\B.efzlgrp") + self},
        {"kaputt.fzlgrp", ProblemXmlError, "", u"",
         u"fehlerhafte XML-Datei: no element found at line 2"},
        {"objekt.fzlgrp", ProblemObjectFile, "", u"",
         u"keine Gruppendatei, sondern eine Objektdatei"},
        {"verweise.fzlgrp", ProblemMissing, "objects[0]", in("fehlt.fzlobj"),
         u"Datei nicht gefunden"},
        {"verweise.fzlgrp", ProblemWrongKind, "objects[1]", in("gut.fzlgrp"),
         u"als Objekt eingetragen, ist aber eine Gruppendatei"},
        {"verweise.fzlgrp", ProblemBadReference, "objects[2]", in("OBJEKTE\\WEDER.FZLOBJ"),
         u"keine Gruppen- oder Objektdatei: weder eine Gruppen- noch eine Objektdatei"},
        {"verweise.fzlgrp", ProblemBadReference, "objects[3]", u"\\Objekte\\Kaputt.fzlobj",
         u"keine Gruppen- oder Objektdatei: fehlerhafte XML-Datei: no element found at line 1"},
        {"verweise.fzlgrp", ProblemWrongKind, "iobjects[0]", in("Objekte\\Lampe.fzlobj"),
         u"als Gruppe eingetragen, ist aber eine Objektdatei"},
        {"verweise.fzlgrp", ProblemMissing, "iobjects[2]", u"\\fehlt.fzlgrp",
         u"Datei nicht gefunden"},
        {"verweise.fzlgrp", ProblemMissing, "fonts[1]", in("weg.txt"), u"Datei nicht gefunden"},
    };
    // Gruppen\fern, Ring\A, Ring\B, anders, davor, gut, kaputt, objekt, verweise; Lampe,
    // Weder, Kaputt: each once, whatever the spelling; the label's file is only looked for.
    const size_t filesRead = 9 + 3;
    for (unsigned jobs : {1u, 2u, 5u}) {
        SCOPED_TRACE(jobs);
        CheckSettings settings;
        settings.RootFolder = root;
        settings.Jobs = jobs;
        std::vector<std::u16string> unreadable;
        std::vector<std::string> inexact;
        std::vector<std::u16string> files =
            FindGroupFiles({sim.Path, in("gut.fzlgrp")}, unreadable, inexact);
        CheckRun run = CheckGroupFiles(files, settings);
        EXPECT_TRUE(unreadable.empty());
        EXPECT_TRUE(inexact.empty());
        EXPECT_EQ(run.Loads, filesRead);
        ASSERT_EQ(run.Files.size(), 9u);
        EXPECT_EQ(run.Files[0], in("Gruppen\\fern.fzlgrp"));
        EXPECT_EQ(run.Files[8], in("verweise.fzlgrp"));
        ASSERT_EQ(run.Findings.size(), std::size(expected));
        for (size_t i = 0; i < run.Findings.size(); ++i) {
            const CheckFinding& got = run.Findings[i];
            const Expected& want = expected[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(run.Files[got.File], in(want.File));
            EXPECT_STREQ(ProblemName(got.Problem), ProblemName(want.Problem));
            EXPECT_EQ(got.Entry, want.Entry);
            EXPECT_EQ(got.Name.value_or(u""), want.Name);
            EXPECT_EQ(got.Detail, want.Detail);
        }
    }
}

TEST(CheckFolder, RootRelativeNamesWithoutARootAndFilesThatCannotBeRead) {
    ScratchFolder sim;
    WriteSimulator(sim);
    CheckSettings settings;
    settings.RootFolder = sim.Path + u"Ring"; // a folder where \Gruppen\fern.fzlgrp is not
    CheckRun run = CheckGroupFiles({sim.File("gut.fzlgrp"), sim.File("fehlt.fzlgrp")}, settings);
    ASSERT_EQ(run.Findings.size(), 3u);
    EXPECT_EQ(run.Findings[0].Problem, ProblemUnreadable);
    EXPECT_EQ(run.Files[run.Findings[0].File], sim.File("fehlt.fzlgrp"));
    EXPECT_EQ(run.Findings[0].Detail.rfind(u"konnte nicht geöffnet werden: ", 0), 0u);
    EXPECT_EQ(run.Findings[1].Entry, "objects[0]");
    EXPECT_EQ(run.Findings[2].Problem, ProblemMissing);
    EXPECT_EQ(run.Findings[2].Entry, "iobjects[0]");
}

} // namespace
