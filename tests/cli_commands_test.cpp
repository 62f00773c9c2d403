// Commands of zellora-cli run one after another in one process: each works with its own
// options only and leaves the process-wide values of the editor as it found them.
#include <gtest/gtest.h>

#include "base/fill_text.h"
#include "cli/commands.h"
#include "document/messages.h"
#include "document/writer.h"
#include "paths/path_utils.h"
#include "tests/test_support.h"

namespace {

const std::string Utf8Head = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
const std::string Latin1Head = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n";

std::string Group(const std::string& head, const std::string& entries) {
    return head + "<GRUPPENOBJECT>\r\n<Props />" + entries + "\r\n</GRUPPENOBJECT>";
}

std::string Written(const char* element, const std::string& position, const std::string& name) {
    return std::string("\r\n<") + element + ">\r\n<Props Rotation=\"0.000;0.000;0.000\" " +
           "BlinkIntervall=\"0.000000\" ZoomFaktor=\"1.000000\" Position=\"" + position +
           "\" Name=\"" + name + "\" />\r\n</" + element + ">";
}

struct Globals {
    std::u16string Root, Folder, Current;
    int Utf8 = 0, Lost = 0;
    bool Resolve = false;

    static Globals Now() {
        return {SimulatorRoot, DocumentFolder, GetCurrentFolder(),
                WriteUtf8,     UnicodeLost,    ResolveAgainstFileFolder};
    }
    bool operator==(const Globals& o) const {
        return Root == o.Root && Folder == o.Folder && Current == o.Current && Utf8 == o.Utf8 &&
               Lost == o.Lost && Resolve == o.Resolve;
    }
};

void PrintTo(const Globals& g, std::ostream* os) {
    *os << "root " << U8(g.Root) << ", folder " << U8(g.Folder) << ", current " << U8(g.Current)
        << ", utf8 " << g.Utf8 << ", lost " << g.Lost << ", resolve " << g.Resolve;
}

struct CommandRun {
    int Status = 0;
    std::string Out, Err;
};

CommandRun RunCommand(const std::vector<std::string>& args) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    CommandRun run;
    run.Status = RunCli(args);
    run.Out = testing::internal::GetCapturedStdout();
    run.Err = testing::internal::GetCapturedStderr();
    return run;
}

TEST(CliCommands, EachRunsOnItsOwnOptionsAndLeavesTheGlobalsAlone) {
    ScratchFolder folder;
    const std::string top = "Gruppen\\top.fzlgrp";
    folder.Write(top,
                 Group(Latin1Head, "\r\n<Object>\r\n<Props Position=\"1;2;3\" ZoomFaktor=\"1\" "
                                   "Name=\"Haus.fzlobj\" />\r\n</Object>"
                                   "\r\n<IObject>\r\n<Props Position=\"10;0;0\" ZoomFaktor=\"1\" "
                                   "Name=\"\\Gruppen\\B.fzlgrp\" />\r\n</IObject>"));
    folder.Write("Gruppen\\B.fzlgrp",
                 Group(Utf8Head, "\r\n<Object>\r\n<Props Name=\"\\Objekte\\Baum.fzlobj\" "
                                 "ZoomFaktor=\"1\" />\r\n</Object>"));
    folder.Write("anders\\leer.txt", "");
    auto native = [&](const std::string& name) { return ToNativePath(folder.File(name)); };
    const std::string root = ToNativePath(folder.Path);
    const std::string haus = U8(folder.Path) + "Gruppen\\Haus.fzlobj";

    // Values no command of the command line may take over or change.
    const std::u16string previous = GetCurrentFolder();
    ASSERT_TRUE(SetCurrentFolder(folder.Path + u"anders"));
    SimulatorRoot = u"Y:\\Fremd\\";
    DocumentFolder = u"Fremd\\";
    WriteUtf8 = 1;
    UnicodeLost = 1;
    ResolveAgainstFileFolder = true;
    const Globals before = Globals::Now();

    const CommandRun missing = RunCommand({"info", native("fehlt.fzlgrp")});
    EXPECT_EQ(missing.Status, ExitFailed);
    EXPECT_EQ(Globals::Now(), before);

    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Output; // the file written, relative to the scratch folder
        std::string Bytes;
        std::string Told;
    } commands[] = {
        {{"resave", native(top), native("Gruppen\\utf8.fzlgrp"), "--root", root, "--encoding",
          "utf-8"},
         ExitOk,
         "Gruppen\\utf8.fzlgrp",
         Group(Utf8Head, Written("Object", "1.000;2.000;3.000", "Haus.fzlobj") +
                             Written("IObject", "10.000;0.000;0.000", "B.fzlgrp")),
         ""},
        {{"resave", native(top), native("anders\\latin1.fzlgrp")},
         ExitOk,
         "anders\\latin1.fzlgrp",
         Group(Latin1Head, Written("Object", "1.000;2.000;3.000", haus) +
                               Written("IObject", "10.000;0.000;0.000", "\\Gruppen\\B.fzlgrp")),
         ""},
        {{"export", native(top), native("Gruppen\\flat.fzlgrp"), "--root", root},
         ExitOk,
         "Gruppen\\flat.fzlgrp",
         Group(Utf8Head, Written("Object", "1.000;2.000;3.000", "Haus.fzlobj") +
                             Written("Object", "10.000;0.000;0.000", "\\Objekte\\Baum.fzlobj")),
         ""},
        // Without the simulator folder the group below it is not found, whatever the export
        // before was given.
        {{"export", native(top), native("anders\\flat.fzlgrp")},
         ExitFailed,
         "",
         "",
         U8(Texts::RootNotSet) + "\n" +
             U8(FillText(Texts::ExportNotFound, {u"\\Gruppen\\B.fzlgrp"})) + "\n"},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.Args[0] + " " + c.Args.back());
        const CommandRun run = RunCommand(c.Args);
        EXPECT_EQ(run.Status, c.Status);
        EXPECT_EQ(run.Err, c.Told);
        if (!c.Output.empty()) {
            EXPECT_EQ(folder.Read(c.Output), c.Bytes);
        }
        EXPECT_EQ(Globals::Now(), before);
        // A load of one command does not show in what the next one reports.
        const CommandRun again = RunCommand({"info", native("fehlt.fzlgrp")});
        EXPECT_EQ(again.Out, missing.Out);
        EXPECT_EQ(again.Err, missing.Err);
    }
    EXPECT_FALSE(folder.Exists("anders\\flat.fzlgrp"));

    SetCurrentFolder(previous);
    SimulatorRoot.clear();
    DocumentFolder.clear();
    UnicodeLost = 0;
    ResolveAgainstFileFolder = false;
}

} // namespace
