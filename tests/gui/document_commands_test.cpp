// The document's life through New, Open, Save, Save as and closing, with the save prompt's
// answers and every message of a failed open or save.
#include "tests/gui/gui_harness.h"

#include "app/document_commands.h"
#include "app/shell_state.h"
#include "document/loader.h"
#include "paths/path_utils.h"
#include "platform/wide.h"
#include "resources/resource.h"

namespace {

template <size_t N> std::u16string Joined(const char16_t (&pairs)[N]) {
    return std::u16string(pairs, N - 1);
}

const std::string Utf8Head = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
const std::string LatinHead = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n";

std::string GroupFile(const std::string& head, const std::string& entries) {
    return head + "<GRUPPENOBJECT>\r\n<Props FileInfo=\"Test\" />" + entries +
           "\r\n</GRUPPENOBJECT>";
}

std::string ObjectBlock(const std::string& name) {
    return "\r\n<Object>\r\n<Props Name=\"" + name + "\" ZoomFaktor=\"1\" />\r\n</Object>";
}

class DocumentTest : public ShellTest {
  protected:
    // Called through ExpectMessage, which passes the caller's line.
    void ExpectMessageAt(const char* file, int line, size_t index, const std::u16string& text,
                         UINT flags, HWND owner, const char16_t* caption = u"Zellora") {
        testing::ScopedTrace trace(file, line, "ExpectMessage called here");
        ASSERT_GT(Script.Messages.size(), index);
        EXPECT_EQ(Script.Messages[index].Text, text);
        EXPECT_EQ(Script.Messages[index].Caption, caption);
        EXPECT_EQ(Script.Messages[index].Flags, flags);
        EXPECT_EQ(Script.Messages[index].Owner, owner);
    }
    void ExpectNoDocument() {
        EXPECT_FALSE(DocumentOpen);
        EXPECT_FALSE(Modified);
        EXPECT_EQ(CurrentPath, u"");
        EXPECT_EQ(CurrentTitle, u"");
        EXPECT_EQ(Caption(), u"Zellora - (unbenannt)");
        EXPECT_FALSE(Visible(EntryList));
        EXPECT_FALSE(Visible(AddButton));
        EXPECT_FALSE(Visible(RemoveButton));
    }
    void SelectLine(int line) {
        SendMessageW(EntryList, LB_SETCURSEL, WPARAM(line), 0);
        SendMessageW(Window, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(EntryList));
    }
    void Click(int id) const {
        SendMessageW(Window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(Window, id)));
    }
};

#define ExpectMessage(...) ExpectMessageAt(__FILE__, __LINE__, __VA_ARGS__)

const UINT Warning = MB_ICONEXCLAMATION;
const UINT Question = MB_YESNOCANCEL | MB_ICONQUESTION;

TEST_F(DocumentTest, NewStartsAChangedUntitledDocument) {
    Command(IDM_NEW);
    EXPECT_TRUE(DocumentOpen);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(CurrentPath, u"(unbenannt)");
    EXPECT_EQ(Caption(), u"Zellora - *(unbenannt)");
    EXPECT_EQ(CurrentDocument.HeaderText, std::u16string(u"FileInfo=\"Bearbeitet mit Zellora\""));
    EXPECT_TRUE(Visible(EntryList));
    EXPECT_TRUE(Visible(AddButton));
    ASSERT_NE(EntryPanel, nullptr);
    EXPECT_FALSE(Visible(EntryPanel));

    // Changed, so the next New asks first; Cancel keeps everything.
    HWND panel = EntryPanel;
    Script.MessageAnswers = {IDCANCEL};
    Command(IDM_NEW);
    ExpectMessage(0, u"Veränderungen in (unbenannt) speichern?", Question, Window);
    EXPECT_EQ(EntryPanel, panel);
    Script.MessageAnswers = {IDNO};
    Command(IDM_NEW);
    EXPECT_NE(EntryPanel, panel);
    EXPECT_FALSE(IsWindow(panel));
}

TEST_F(DocumentTest, ClosingAChangedDocumentFollowsThePromptsAnswer) {
    Command(IDM_NEW);
    Script.MessageAnswers = {IDCANCEL};
    SendMessageW(Window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(Window));

    // Yes on a new document goes to Save as; cancelling that counts as Cancel.
    Script.MessageAnswers = {IDYES};
    Script.DialogAnswers.push_back(Cancelled);
    Command(IDM_EXIT);
    EXPECT_TRUE(IsWindow(Window));
    EXPECT_TRUE(Modified);
    ASSERT_EQ(Script.Dialogs.size(), 1u);
    EXPECT_TRUE(Script.Dialogs[0].Save);

    Script.MessageAnswers = {IDNO};
    SendMessageW(Window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(Window));
    EXPECT_EQ(Script.Messages.size(), 3u);
}

TEST_F(DocumentTest, YesSavesBeforeTheWindowCloses) {
    const std::u16string path = WriteTestFile("schliessen.fzlgrp", GroupFile(Utf8Head, ""));
    Open(path);
    Modified = true;
    Script.MessageAnswers = {IDYES};
    SendMessageW(Window, WM_CLOSE, 0, 0);
    ExpectMessage(0, u"Veränderungen in schliessen.fzlgrp speichern?", Question, Window);
    EXPECT_FALSE(IsWindow(Window));
    EXPECT_NE(ReadTestFile(path).find("Bearbeitet mit Zellora"), std::string::npos);
}

TEST_F(DocumentTest, OpenRunsTheDialogAndShowsTheChosenFile) {
    const std::u16string path =
        WriteTestFile("bahnhof.fzlgrp", GroupFile(Utf8Head, ObjectBlock("C:\\S\\Lampe.fzlobj")));
    Script.DialogAnswers.push_back({true, path, 1});
    Command(IDM_OPEN);
    ASSERT_EQ(Script.Dialogs.size(), 1u);
    const FileDialogCall& call = Script.Dialogs[0];
    EXPECT_FALSE(call.Save);
    EXPECT_EQ(call.StructSize, sizeof(OPENFILENAMEW)); // 88 bytes in the 32-bit program
    EXPECT_EQ(call.Owner, Window);
    EXPECT_EQ(call.Flags, DWORD(OFN_CREATEPROMPT | OFN_HIDEREADONLY));
    EXPECT_EQ(call.DefaultExtension, u"txt");
    EXPECT_EQ(call.Filter, Joined(u"Alle Projektdateien (*.fzlgrp;*.efzlgrp)\0*.fzlgrp;*.efzlgrp\0"
                                  u"Ferrolino Gruppenobjekte (*.fzlgrp)\0*.fzlgrp\0"
                                  u"Projektdateien (*.efzlgrp)\0*.efzlgrp\0"
                                  u"Alle Dateien (*.*)\0*.*\0"));
    EXPECT_EQ(Caption(), u"Zellora - bahnhof.fzlgrp");
    EXPECT_EQ(CurrentPath, path);
    EXPECT_EQ(ListLines(), std::vector<std::u16string>{u"Lampe.fzlobj"});
    EXPECT_TRUE(DocumentOpen);
    EXPECT_FALSE(Modified);

    // The next Open proposes this file.
    Script.DialogAnswers.push_back(Cancelled);
    Command(IDM_OPEN);
    EXPECT_EQ(Script.Dialogs[1].Proposed, path);
}

// The document is given up only for a chosen file: a cancelled dialog keeps it, changed or
// not, whatever the save prompt was answered.
TEST_F(DocumentTest, CancelledOpenKeepsTheOpenDocument) {
    const std::u16string path =
        WriteTestFile("bahnhof.fzlgrp", GroupFile(Utf8Head, ObjectBlock("C:\\S\\Lampe.fzlobj")));
    const std::u16string added = WriteTestFile(
        "mast.fzlobj", Utf8Head + "<OBJEKT>\r\n<Point X=\"0\" Y=\"0\" Z=\"0\"/>\r\n</OBJEKT>");
    struct Case {
        bool Fresh; // a new document instead of the file
        bool Changed;
        int Answer; // to the save prompt, when asked
    };
    for (const Case c : {Case{false, false, 0}, Case{false, true, IDNO}, Case{true, true, IDNO}}) {
        if (c.Fresh) {
            Modified = false;
            Command(IDM_NEW);
        } else {
            Open(path);
            SelectLine(0);
            ASSERT_TRUE(Visible(EntryPanel));
        }
        Modified = c.Changed;
        const std::u16string caption = Caption();
        const std::u16string shownPath = CurrentPath;
        const std::vector<std::u16string> lines = ListLines();
        const int32_t selected = SelectedIndex;
        const bool panelShown = Visible(EntryPanel);
        if (c.Answer != 0) {
            Script.MessageAnswers = {c.Answer};
        }
        Script.DialogAnswers.push_back(Cancelled);
        Command(IDM_OPEN);
        EXPECT_TRUE(DocumentOpen) << c.Fresh;
        EXPECT_EQ(Modified, c.Changed) << c.Fresh;
        EXPECT_EQ(CurrentPath, shownPath);
        EXPECT_EQ(Caption(), caption);
        EXPECT_EQ(ListLines(), lines);
        EXPECT_EQ(EntryCount(CurrentDocument), lines.size());
        EXPECT_EQ(SelectedIndex, selected);
        EXPECT_EQ(Visible(EntryPanel), panelShown);
        // "Hinzufügen" still adds to it.
        Script.DialogAnswers.push_back({true, added, 1});
        Click(IDC_ADD_ENTRY);
        EXPECT_EQ(ListLines().size(), lines.size() + 1) << c.Fresh;
        Modified = false;
    }
}

TEST_F(DocumentTest, QuotedNamesFromTheCommandLineLoseTheirOuterQuotes) {
    const std::u16string path = WriteTestFile("zitat.fzlgrp", GroupFile(Utf8Head, ""));
    Open(u"\"" + path + u"\"");
    EXPECT_EQ(CurrentPath, path);
    EXPECT_EQ(Caption(), u"Zellora - zitat.fzlgrp");
    Open(path + u"\"");
    EXPECT_EQ(CurrentPath, path);
    EXPECT_TRUE(Script.Messages.empty());

    // A quote inside the name stays: no such file.
    Open(u"\"" + TestFolder + u"zi\"tat.fzlgrp\"");
    ExpectMessage(0,
                  u"zi\"tat.fzlgrp konnte nicht geöffnet werden: " + SystemText(ERROR_INVALID_NAME),
                  Warning, Window);
}

TEST_F(DocumentTest, RelativeNamesBelongToTheFilesOwnFolder) {
    const std::u16string path =
        WriteTestFile("relativ.fzlgrp", GroupFile(Utf8Head, ObjectBlock("Objekte\\Lampe.fzlobj") +
                                                                ObjectBlock("\\Wurzel.fzlobj")));
    SetCurrentDirectoryW(W(TestSimulatorFolder));
    Open(path);
    ASSERT_EQ(CurrentDocument.Objects.size(), 2u);
    EXPECT_EQ(CurrentDocument.Objects[0]->Name, TestFolder + u"Objekte\\Lampe.fzlobj");
    EXPECT_EQ(CurrentDocument.Objects[1]->Name, std::u16string(u"\\Wurzel.fzlobj"));
    EXPECT_FALSE(ResolveAgainstFileFolder);
}

struct FailedOpen {
    const char* FileName;
    std::string Bytes;
    const char16_t* Text;
    bool Owned;
};

TEST_F(DocumentTest, AFailedOpenSaysWhyAndLeavesNoDocument) {
    const FailedOpen cases[] = {
        {"lampe.fzlobj", "<?xml version=\"1.0\"?>\r\n<OBJECT><Point/><Point/></OBJECT>",
         u"lampe.fzlobj ist eine Objektdatei", true},
        {"fremd.fzlgrp", "<?xml version=\"1.0\"?>\r\n<Irgendwas/>",
         u"fremd.fzlgrp ist weder eine Gruppen- noch ein Objektdatei", false},
    };
    for (const FailedOpen& c : cases) {
        Command(IDM_NEW);
        Modified = false;
        Script.Messages.clear();
        Open(WriteTestFile(c.FileName, c.Bytes));
        ASSERT_EQ(Script.Messages.size(), 1u) << c.FileName;
        ExpectMessage(0, c.Text, Warning, c.Owned ? Window : nullptr);
        ExpectNoDocument();
        EXPECT_EQ(EntryPanel, nullptr);
    }
    EXPECT_EQ(EntryCount(CurrentDocument), 0u);
}

TEST_F(DocumentTest, BrokenXmlIsReportedByLineThenByName) {
    Open(WriteTestFile("kaputt.fzlgrp", "<GRUPPENOBJECT>\r\n<Props FileInfo=\"x\" />\r\n<Object"));
    ASSERT_EQ(Script.Messages.size(), 2u);
    EXPECT_NE(Script.Messages[0].Text.find(u"line 3"), std::u16string::npos)
        << Narrow(Script.Messages[0].Text);
    EXPECT_EQ(Script.Messages[0].Caption, u"Zellora");
    EXPECT_EQ(Script.Messages[0].Owner, nullptr);
    ExpectMessage(1, u"kaputt.fzlgrp ist eine fehlerhafte XML-Datei!", Warning, Window);
    ExpectNoDocument();
}

TEST_F(DocumentTest, AMissingFileShowsTheSystemsReason) {
    Open(TestFolder + u"fehlt.fzlgrp");
    ASSERT_EQ(Script.Messages.size(), 1u);
    ExpectMessage(0,
                  u"fehlt.fzlgrp konnte nicht geöffnet werden: " + SystemText(ERROR_FILE_NOT_FOUND),
                  Warning, Window);
    ExpectNoDocument();
}

TEST_F(DocumentTest, NamesTooLongForTheSystemAreRefused) {
    const std::u16string name = TestFolder + std::u16string(260, u'x') + u".fzlgrp";
    Open(name);
    ExpectMessage(0, u"Der Dateiname " + name + u" ist zu lang", Warning, Window);
    EXPECT_FALSE(DocumentOpen);
    EXPECT_EQ(CurrentPath, u"");
    EXPECT_EQ(Caption(), u"Zellora");

    // A chosen name that its extension would make too long is not saved either.
    Command(IDM_NEW);
    const std::u16string chosen = TestFolder + std::u16string(259 - TestFolder.size() - 3, u'y');
    Script.DialogAnswers.push_back({true, chosen, 2});
    EXPECT_EQ(Command(IDM_SAVE_AS), 0);
    ExpectMessage(1, u"Der Dateiname " + chosen + u".fzlgrp ist zu lang", Warning, Window);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(CurrentPath, u"(unbenannt)");
}

TEST_F(DocumentTest, SaveAsProposesThePathCutAtItsLastFullStop) {
    struct Proposal {
        const char16_t* Path;
        const char16_t* Proposed;
    };
    const Proposal cases[] = {
        {u"C:\\Sim\\a.b.fzlgrp", u"C:\\Sim\\a.b"},
        {u"C:\\Sim.alt\\bahnhof", u"C:\\Sim"},
        {u".fzlgrp", u".fzlgrp"},
        {u"(unbenannt)", u"(unbenannt)"},
    };
    Command(IDM_NEW);
    for (const Proposal& c : cases) {
        CurrentPath = c.Path;
        Script.DialogAnswers.push_back(Cancelled);
        EXPECT_EQ(Command(IDM_SAVE_AS), 0);
        EXPECT_EQ(Script.Dialogs.back().Proposed, c.Proposed);
        EXPECT_EQ(CurrentPath, c.Path);
    }
    const FileDialogCall& call = Script.Dialogs.back();
    EXPECT_TRUE(call.Save);
    EXPECT_EQ(call.Flags, DWORD(OFN_OVERWRITEPROMPT));
    // The system gives a bare name the picked filter's extension, never "txt".
    EXPECT_EQ(call.DefaultExtension, u"efzlgrp");
    EXPECT_EQ(call.Filter, Joined(u"Projektdateien UTF-8 (*.efzlgrp)\0*.efzlgrp\0"
                                  u"Ferrolino Gruppenobjekte UTF-8 (*.fzlgrp)\0*.fzlgrp\0"));
    EXPECT_EQ(CurrentTitle, u"(unbenannt)");
}

TEST_F(DocumentTest, SaveAsGivesABareNameThePickedFiltersExtension) {
    const std::u16string base = TestFolder + u"neu";
    for (const char16_t* extension : {u".efzlgrp", u".fzlgrp"}) {
        DeleteTestFile(base + extension);
    }
    Command(IDM_NEW);
    Script.DialogAnswers.push_back({true, base, 2});
    EXPECT_EQ(Command(IDM_SAVE_AS), 1);
    EXPECT_EQ(CurrentPath, base + u".fzlgrp");
    EXPECT_EQ(Caption(), u"Zellora - neu.fzlgrp");
    EXPECT_FALSE(Modified);
    EXPECT_TRUE(DocumentUtf8);
    EXPECT_EQ(ReadTestFile(base + u".fzlgrp"),
              Utf8Head + "<GRUPPENOBJECT>\r\n<Props FileInfo=\"Bearbeitet mit Zellora\"/>\r\n"
                         "</GRUPPENOBJECT>");

    Script.DialogAnswers.push_back({true, base, 1});
    EXPECT_EQ(Command(IDM_SAVE_AS), 1);
    EXPECT_EQ(CurrentPath, base + u".efzlgrp");
    EXPECT_TRUE(Script.Messages.empty());
}

// The dialog proposes the current file's type and its extension; a new document is proposed
// as a project file, as always.
TEST_F(DocumentTest, SaveAsProposesTheTypeOfTheCurrentFile) {
    struct Case {
        const char* File; // none: a new document
        DWORD FilterIndex;
        const char16_t* Extension;
    } cases[] = {{"gruppe.fzlgrp", 2, u"fzlgrp"},
                 {"GRUPPE2.FZLGRP", 2, u"fzlgrp"},
                 {"projekt.efzlgrp", 1, u"efzlgrp"},
                 {nullptr, 1, u"efzlgrp"}};
    for (const Case& c : cases) {
        Script = UiScript{};
        if (c.File != nullptr) {
            Open(WriteTestFile(c.File, GroupFile(Utf8Head, "")));
        } else {
            Command(IDM_NEW);
        }
        Modified = false;
        Script.DialogAnswers.push_back(Cancelled);
        EXPECT_EQ(Command(IDM_SAVE_AS), 0);
        ASSERT_EQ(Script.Dialogs.size(), 1u);
        EXPECT_EQ(Script.Dialogs[0].FilterIndex, c.FilterIndex)
            << (c.File != nullptr ? c.File : "neu");
        EXPECT_EQ(Script.Dialogs[0].DefaultExtension, c.Extension)
            << (c.File != nullptr ? c.File : "neu");
        EXPECT_EQ(Script.Dialogs[0].Title, u"") << (c.File != nullptr ? c.File : "neu");
    }
}

TEST_F(DocumentTest, ALatinDocumentIsSavedInLatinUntilSavedAs) {
    const std::u16string path =
        WriteTestFile("latin.fzlgrp", GroupFile(LatinHead, ObjectBlock("C:\\S\\Stra\xDF"
                                                                       "e.fzlobj")));
    Open(path);
    EXPECT_FALSE(DocumentUtf8);
    Modified = true;
    EXPECT_EQ(Command(IDM_SAVE), 1);
    EXPECT_FALSE(Modified);
    std::string bytes = ReadTestFile(path);
    EXPECT_EQ(bytes.compare(0, LatinHead.size(), LatinHead), 0);
    EXPECT_NE(bytes.find("Stra\xDF"
                         "e.fzlobj"),
              std::string::npos);

    const std::u16string copy = TestFolder + u"latin-kopie.efzlgrp";
    DeleteTestFile(copy);
    Script.DialogAnswers.push_back({true, copy, 1});
    EXPECT_EQ(Command(IDM_SAVE_AS), 1);
    EXPECT_EQ(Script.Dialogs[0].Proposed, TestFolder + u"latin");
    bytes = ReadTestFile(copy);
    EXPECT_EQ(bytes.compare(0, Utf8Head.size(), Utf8Head), 0);
    EXPECT_NE(bytes.find("Stra\xC3\x9F"
                         "e.fzlobj"),
              std::string::npos);

    // Later saves keep UTF-8.
    EXPECT_EQ(Command(IDM_SAVE), 1);
    EXPECT_EQ(ReadTestFile(copy).compare(0, Utf8Head.size(), Utf8Head), 0);
    EXPECT_TRUE(Script.Messages.empty());
}

TEST_F(DocumentTest, LostCharactersAreReportedAfterTheFileIsWritten) {
    const std::u16string path =
        WriteTestFile("euro.fzlgrp", GroupFile(LatinHead, ObjectBlock("C:\\S\\&#8364;.fzlobj")));
    Open(path);
    EXPECT_EQ(Command(IDM_SAVE), 1);
    ExpectMessage(0, u"Beim Speichern gingen Unicode Informationen verloren!", Warning, EntryPanel);
    EXPECT_NE(ReadTestFile(path).find("C:\\S\\?.fzlobj"), std::string::npos);
}

TEST_F(DocumentTest, AFailedSaveShowsTheSystemErrorAndKeepsTheChanges) {
    Command(IDM_NEW);
    const std::u16string target = TestFolder + u"gibtsnicht\\neu.fzlgrp";
    Script.DialogAnswers.push_back({true, target, 2});
    // The scripted dialog made a missing folder current; the system's dialog could not.
    EXPECT_EQ(Command(IDM_SAVE_AS), 0);
    ASSERT_EQ(Script.Messages.size(), 1u);
    EXPECT_EQ(Script.Messages[0].Caption, u"GetLastError");
    EXPECT_EQ(Script.Messages[0].Flags, UINT(MB_ICONINFORMATION));
    EXPECT_EQ(Script.Messages[0].Owner, nullptr);
    EXPECT_EQ(Script.Messages[0].Text, SystemText(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(Modified);
    EXPECT_EQ(CurrentPath, target);
    EXPECT_EQ(Caption(), u"Zellora - *(unbenannt)");
    EXPECT_TRUE(DocumentFolder.empty());
}

TEST_F(DocumentTest, OutOfMemoryHasItsOwnMessage) {
    CurrentTitle = u"gross.fzlgrp";
    ShowLoadFailure(LoadNoMemory);
    ExpectMessage(0,
                  u"gross.fzlgrp konnte nicht eingelesen werden, da nicht genug Speicher frei ist",
                  Warning, Window);
}

} // namespace
