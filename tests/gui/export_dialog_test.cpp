// The export dialog: the proposed name, the snapshot, the simulator folder as the current
// directory, the worker's reports with their messages, cancelling, and opening the result.
#include "tests/gui/gui_harness.h"

#include <algorithm>

#include "app/shell_state.h"
#include "document/loader.h"
#include "app/export_dialog.h"
#include "app/plan_window.h"
#include "export/flatten.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "resources/resource.h"
#include "tests/gui/modal_dialog.h"

namespace {

const std::string Head = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                         "<GRUPPENOBJECT>\r\n<Props FileInfo=\"Test\" />";
const std::string Tail = "\r\n</GRUPPENOBJECT>";
// The export's head: the loader has added the editor's note to the file information.
const std::string ExportHead = Head.substr(0, Head.size() - 4) + "/nBearbeitet mit Zellora\" />";

std::string Entry(const char* kind, const std::u16string& name, const char* position) {
    return "\r\n<" + std::string(kind) + ">\r\n<Props Name=\"" + Narrow(name) + "\" Position=\"" +
           position + "\" ZoomFaktor=\"1\" />\r\n</" + kind + ">";
}

// Worker starts counted, and held back until the test lets them go.
int WorkerStarts = 0;
HANDLE WorkerGate = nullptr;

struct HeldWorker {
    void (*Fn)(void*);
    void* Argument;
};

DWORD WINAPI RunHeldWorker(void* parameter) {
    HeldWorker held = *static_cast<HeldWorker*>(parameter);
    delete static_cast<HeldWorker*>(parameter);
    WaitForSingleObject(WorkerGate, INFINITE);
    held.Fn(held.Argument);
    return 0;
}

bool CountedWorkerStart(void (*fn)(void*), void* argument) {
    ++WorkerStarts;
    HANDLE thread =
        CreateThread(nullptr, 0, RunHeldWorker, new HeldWorker{fn, argument}, 0, nullptr);
    if (thread == nullptr) {
        return false;
    }
    CloseHandle(thread);
    return true;
}

class ExportTest : public ShellTest {
  protected:
    void SetUp() override {
        Options = ProgramFolder + u"options.cfg";
        KeptOptions = ReadTestFile(Options);
        ExportFileName = u"(unbenannt)";
        WorkerStarts = 0;
        WorkerGate = CreateEventW(nullptr, TRUE, TRUE, nullptr);
        StartExportWorker = CountedWorkerStart;
        CreateDirectoryW(W(TestSimulatorFolder + u"Gruppen"), nullptr);
        Inner = TestSimulatorFolder + u"Gruppen\\Innen.fzlgrp";
        WriteFileAt(Inner, Head + Entry("Object", u"Haus.fzlobj", "1;2;3") + Tail);
        Output = TestFolder + u"Export.fzlgrp";
        DeleteTestFile(Output);
        ShellTest::SetUp();
    }
    void TearDown() override {
        ShellTest::TearDown();
        InjectedFaults = PlatformFaults();
        StartExportWorker = StartWorkerThread;
        CloseHandle(WorkerGate);
        WriteFileAt(Options, KeptOptions);
        SimulatorRoot = TestSimulatorFolder;
        DeleteTestFile(Output);
        DeleteTestFile(Inner);
    }
    static void WriteFileAt(const std::u16string& path, const std::string& bytes) {
        HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    // Opens a document whose Object lies at the origin and whose IObject names entry.
    void OpenScene(const std::u16string& group) {
        const std::u16string scene =
            WriteTestFile("scene.fzlgrp", Head + Entry("Object", u"Baum.fzlobj", "0;0;0") +
                                              Entry("IObject", group, "10;0;0") + Tail);
        Open(scene);
        ASSERT_TRUE(DocumentOpen);
        Before = NamesIn(TestFolder);
    }
    void Export(const FileDialogAnswer& answer) {
        Script.DialogAnswers.push_back(answer);
        Command(IDM_EXPORT);
    }
    static FileDialogAnswer Choose(const std::u16string& path, DWORD filter = 1) {
        return FileDialogAnswer{true, path, filter};
    }
    // Called through ExpectMessage, which passes the caller's line.
    void ExpectMessageAt(const char* file, int line, size_t index,
                         const std::u16string& text) const {
        testing::ScopedTrace trace(file, line, "ExpectMessage called here");
        ASSERT_GT(Script.Messages.size(), index);
        EXPECT_EQ(Script.Messages[index].Text, text);
        EXPECT_EQ(Script.Messages[index].Caption, u"Zellora");
        EXPECT_EQ(Script.Messages[index].Flags, UINT(MB_ICONEXCLAMATION));
        ASSERT_FALSE(Script.Dialogs.empty());
        EXPECT_EQ(Script.Messages[index].Owner, Script.Dialogs.back().Owner);
    }
    // What every export leaves behind, whatever became of it.
    void ExpectCleanedUp(bool exportRan = true) const {
        EXPECT_EQ(WriteUtf8, 1);
        if (exportRan) {
            EXPECT_EQ(CurrentDirectory() + u"\\", ProgramFolder);
        }
        EXPECT_EQ(DocumentFolder, u"");
        EXPECT_TRUE(ExportDocument.Objects.empty());
        EXPECT_TRUE(ExportDocument.IObjects.empty());
        EXPECT_FALSE(ExportDocument.HeaderText.has_value());
        EXPECT_EQ(OpenDialog(), nullptr);
    }

    // Nothing but the output itself may have come or gone beside it: no temporary file.
    void ExpectNoOtherFileBesideTheOutput() const {
        const std::u16string output = Output.substr(TestFolder.size());
        auto others = [&](std::vector<std::u16string> names) {
            names.erase(std::remove(names.begin(), names.end(), output), names.end());
            return names;
        };
        EXPECT_EQ(others(NamesIn(TestFolder)), others(Before));
    }

    std::vector<std::u16string> Before; // the test folder's entries when the scene was opened
    std::u16string Options;
    std::string KeptOptions;
    std::u16string Inner;
    std::u16string Output;
};

#define ExpectMessage(...) ExpectMessageAt(__FILE__, __LINE__, __VA_ARGS__)

TEST_F(ExportTest, WritesTheFlatFileAndOpensIt) {
    OpenScene(u"\\Gruppen\\Innen.fzlgrp"); // found through the simulator folder
    Modified = true;
    CurrentDocument.Objects[0]->Position.y = 5; // unsaved: exported as it stands
    Export(Choose(Output));

    ASSERT_EQ(Script.Dialogs.size(), 1u);
    const FileDialogCall& dialog = Script.Dialogs[0];
    EXPECT_TRUE(dialog.Save);
    EXPECT_EQ(dialog.Title, u"Exportieren");
    EXPECT_EQ(dialog.Proposed, u"(unbenannt)");
    const char16_t filter[] = u"Ferrolino Gruppenobjekte UTF-8 (*.fzlgrp)\0*.fzlgrp\0"
                              u"Projektdateien UTF-8 (*.efzlgrp)\0*.efzlgrp\0";
    EXPECT_EQ(dialog.Filter, std::u16string(filter, std::size(filter) - 1));
    EXPECT_EQ(dialog.Flags, DWORD(OFN_OVERWRITEPROMPT));
    EXPECT_NE(dialog.Owner, Window);
    EXPECT_EQ(GetParent(dialog.Owner), nullptr);
    EXPECT_TRUE(Script.Messages.empty());
    EXPECT_EQ(WorkerStarts, 1);

    const std::string bytes = ReadTestFile(Output);
    EXPECT_EQ(bytes.substr(0, ExportHead.size()), ExportHead);
    EXPECT_EQ(bytes.substr(bytes.size() - Tail.size()), Tail);
    EXPECT_EQ(bytes.find("IObject"), std::string::npos);
    GroupDocument exported;
    std::u16string path = Output;
    ASSERT_EQ(LoadGroupDocument(path, &exported), LoadOk);
    ASSERT_EQ(exported.Objects.size(), 2u);
    EXPECT_EQ(exported.Objects[0]->Position.y, 5);
    EXPECT_EQ(exported.Objects[1]->Position.x, 11);
    EXPECT_EQ(exported.Objects[1]->Position.y, 2);
    EXPECT_EQ(exported.Objects[1]->Position.z, 3);
    FreeGroupDocument(&exported);

    ASSERT_EQ(Script.ShellCalls.size(), 1u);
    EXPECT_EQ(Script.ShellCalls[0].Owner, dialog.Owner);
    EXPECT_EQ(Script.ShellCalls[0].Verb, u"open");
    EXPECT_EQ(Script.ShellCalls[0].File, Output);
    EXPECT_FALSE(Script.ShellCalls[0].HasParameters);
    EXPECT_FALSE(Script.ShellCalls[0].HasDirectory);
    EXPECT_EQ(Script.ShellCalls[0].Show, SW_SHOWMAXIMIZED);
    EXPECT_EQ(ExportFileName, Output);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(CurrentDocument.Objects[0]->Position.y, 5);
    ExpectCleanedUp();

    // The next export proposes this one's path without its extension.
    Export(Cancelled);
    ASSERT_EQ(Script.Dialogs.size(), 2u);
    EXPECT_EQ(Script.Dialogs[1].Proposed, TestFolder + u"Export");
}

// A save writes the names short but leaves the document's own names whole: an export and a
// Save as into another folder afterwards still find the group.
TEST_F(ExportTest, AfterASaveTheExportAndASaveElsewhereFindTheGroups) {
    Command(IDM_NEW);
    for (int i = 0; i < 2; ++i) {
        Script.DialogAnswers.push_back(Choose(Inner));
        SendMessageW(Window, WM_COMMAND, MAKEWPARAM(IDC_ADD_ENTRY, BN_CLICKED), 0);
    }
    const std::u16string saved = TestSimulatorFolder + u"Gruppen\\Szene.fzlgrp";
    Script.DialogAnswers.push_back(Choose(saved));
    ASSERT_EQ(Command(IDM_SAVE), 1);
    EXPECT_NE(ReadTestFile(saved).find("Name=\"Innen.fzlgrp\""), std::string::npos);

    Export(Choose(Output));
    EXPECT_TRUE(Script.Messages.empty());
    GroupDocument exported;
    std::u16string path = Output;
    ASSERT_EQ(LoadGroupDocument(path, &exported), LoadOk);
    EXPECT_EQ(exported.Objects.size(), 2u);
    FreeGroupDocument(&exported);

    const std::u16string copy = TestFolder + u"Kopie.fzlgrp";
    Script.DialogAnswers.push_back(Choose(copy));
    ASSERT_EQ(Command(IDM_SAVE_AS), 1);
    EXPECT_NE(ReadTestFile(copy).find("Name=\"\\Gruppen\\Innen.fzlgrp\""), std::string::npos);
    ASSERT_EQ(CurrentDocument.IObjects.size(), 2u);
    EXPECT_EQ(CurrentDocument.IObjects[1]->Name, Inner);
    DeleteTestFile(saved);
    DeleteTestFile(copy);
}

TEST_F(ExportTest, WithOpeningOffTheFileIsOnlyWritten) {
    OpenScene(Inner);
    Command(IDM_OPEN_AFTER_EXPORT);
    ASSERT_FALSE(OpenAfterExport);
    // A bare name gets the picked filter's extension.
    Export(Choose(TestFolder + u"Export", 2));
    const std::u16string project = TestFolder + u"Export.efzlgrp";
    EXPECT_EQ(ExportFileName, project);
    EXPECT_EQ(ReadTestFile(project).substr(0, ExportHead.size()), ExportHead);
    EXPECT_TRUE(Script.ShellCalls.empty());
    EXPECT_TRUE(Script.Messages.empty());
    ExpectCleanedUp();
    DeleteTestFile(project);
}

TEST_F(ExportTest, ChoosingNoFileEndsAtOnce) {
    OpenScene(Inner);
    Export(Cancelled);
    EXPECT_EQ(WriteUtf8, 1);
    EXPECT_EQ(WorkerStarts, 0);
    EXPECT_FALSE(FileExists(Output));
    EXPECT_TRUE(Script.Messages.empty());
    EXPECT_TRUE(Script.ShellCalls.empty());
    EXPECT_EQ(OpenDialog(), nullptr);
}

TEST_F(ExportTest, AMissingGroupIsNamedAndLeavesTheOldFile) {
    const std::u16string missing = TestFolder + u"Fehlt.fzlgrp";
    OpenScene(missing);
    WriteFileAt(Output, "alt");
    Export(Choose(Output));
    ExpectMessage(0, u"Fehler beim Exportieren: " + missing +
                         u" konnte nicht gefunden werden oder ist keine Gruppen- oder Objektdatei");
    EXPECT_EQ(Script.Messages.size(), 1u);
    EXPECT_EQ(ReadTestFile(Output), "alt");
    EXPECT_TRUE(Script.ShellCalls.empty());
    ExpectNoOtherFileBesideTheOutput();
    ExpectCleanedUp();
}

TEST_F(ExportTest, AGroupThatHoldsItselfIsALoopOfTheOutput) {
    const std::u16string loop = TestFolder + u"Schleife.fzlgrp";
    WriteFileAt(loop, Head + Entry("IObject", loop, "0;0;0") + Tail);
    OpenScene(loop);
    Export(Choose(Output));
    ExpectMessage(0, u"Fehler beim Exportieren zu " + Output + u": Endlosschleife");
    EXPECT_EQ(Script.Messages.size(), 1u);
    EXPECT_FALSE(FileExists(Output));
    EXPECT_TRUE(Script.ShellCalls.empty());
    ExpectNoOtherFileBesideTheOutput();
    ExpectCleanedUp();
    DeleteTestFile(loop);
}

TEST_F(ExportTest, AnOutputThatCannotBeCreatedStartsNoWorker) {
    OpenScene(Inner);
    InjectedFaults.RefuseCreate = true;
    Export(Choose(Output));
    ExpectMessage(0, Output + u" konnte nicht angelegt werden");
    EXPECT_EQ(Script.Messages.size(), 1u);
    EXPECT_EQ(WorkerStarts, 0);
    EXPECT_FALSE(FileExists(Output));
    EXPECT_TRUE(Script.ShellCalls.empty());
    ExpectNoOtherFileBesideTheOutput();
    ExpectCleanedUp();
}

TEST_F(ExportTest, AnOutputThatCannotBePutInPlaceIsNotOpened) {
    OpenScene(Inner);
    WriteFileAt(Output, "alt");
    InjectedFaults.RefuseReplace = true;
    Export(Choose(Output));
    ExpectMessage(0, Output + u" konnte nicht angelegt werden");
    EXPECT_EQ(ReadTestFile(Output), "alt");
    EXPECT_TRUE(Script.ShellCalls.empty());
    ExpectNoOtherFileBesideTheOutput();
    ExpectCleanedUp();
}

TEST_F(ExportTest, WithoutOptionsTheExportRunsAllTheSame) {
    OpenScene(Inner);
    DeleteTestFile(Options);
    Export(Choose(Output));
    ExpectMessage(0, u"Ferrolino Pfad konnte nicht gesetzt werden!");
    EXPECT_EQ(Script.Messages.size(), 1u);
    EXPECT_EQ(SimulatorRoot, u"");
    EXPECT_EQ(ReadTestFile(Output).substr(0, ExportHead.size()), ExportHead);
    EXPECT_EQ(Script.ShellCalls.size(), 1u);
    ExpectCleanedUp();
}

TEST_F(ExportTest, AnIncompleteSnapshotEndsBeforeAnyFileIsMade) {
    OpenScene(Inner);
    CurrentDocument.Objects.push_back(nullptr);
    Export(Choose(Output));
    CurrentDocument.Objects.pop_back();
    ExpectMessage(0, u"scene.fzlgrp konnte nicht eingelesen werden, da nicht genug Speicher "
                     u"frei ist");
    EXPECT_EQ(WorkerStarts, 0);
    EXPECT_FALSE(FileExists(Output));
    ExpectNoOtherFileBesideTheOutput();
    ExpectCleanedUp(false);
}

// The button, the Escape key and the close box all cancel. The worker is held back until
// the dialog has taken the cancel, so it is met in the middle of its work.
TEST_F(ExportTest, CancelWaitsForTheWorkerAndKeepsNothing) {
    OpenScene(Inner);
    WriteFileAt(Output, "alt");
    const std::function<void(HWND)> cancels[] = {
        [](HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); },
        [](HWND dialog) {
            MSG key{dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}};
            IsDialogMessageW(dialog, &key);
        },
        [](HWND dialog) { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    int round = 0;
    for (const auto& cancel : cancels) {
        ResetEvent(WorkerGate);
        Script.DialogAnswers.push_back(Choose(Output));
        WithModalDialog([&] { Command(IDM_EXPORT); },
                        [&](HWND dialog) {
                            EXPECT_EQ(WindowText(dialog), u"Exportieren");
                            HWND button = GetDlgItem(dialog, IDCANCEL);
                            EXPECT_EQ(WindowText(button), u"Abbrechen");
                            cancel(dialog);
                            for (int i = 0; i < 100 && IsWindowEnabled(button); ++i) {
                                Pump();
                            }
                            EXPECT_FALSE(IsWindowEnabled(button)) << round;
                            EXPECT_TRUE(IsWindow(dialog)) << round;
                            EXPECT_EQ(ExportDocument.Objects.size(), 1u);
                            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); // once is enough
                            SetEvent(WorkerGate);
                        });
        EXPECT_EQ(ReadTestFile(Output), "alt") << round;
        ++round;
    }
    EXPECT_EQ(WorkerStarts, 3);
    EXPECT_TRUE(Script.Messages.empty());
    EXPECT_TRUE(Script.ShellCalls.empty());
    ExpectNoOtherFileBesideTheOutput();
    ExpectCleanedUp();
}

// The plan window takes no input while an export runs, since its scene comes from the same
// engine, and takes it again afterwards.
TEST_F(ExportTest, PlanWindowWaitsForTheExport) {
    OpenScene(Inner);
    Command(IDM_PLAN);
    ASSERT_NE(PlanWindow, nullptr);
    ResetEvent(WorkerGate);
    Script.DialogAnswers.push_back(Choose(Output));
    WithModalDialog([&] { Command(IDM_EXPORT); },
                    [&](HWND) {
                        EXPECT_FALSE(IsWindowEnabled(PlanWindow));
                        SetEvent(WorkerGate);
                    });
    EXPECT_TRUE(IsWindowEnabled(PlanWindow));
    EXPECT_EQ(WorkerStarts, 1);
    Command(IDM_PLAN);
    EXPECT_EQ(PlanWindow, nullptr);
}

} // namespace
