// Adding, removing, copying and pasting entries of the open document, the state of the Edit
// menu, and where Ctrl+C and Ctrl+V go.
#include "tests/gui/entry_fixture.h"

#include "app/entry_panel.h"

namespace {

template <size_t N> std::u16string Joined(const char16_t (&pairs)[N]) {
    return std::u16string(pairs, N - 1);
}

using EntryCommandsTest = EntryTest;

TEST_F(EntryCommandsTest, AddPutsObjectFilesAfterTheObjectsAndGroupFilesAfterTheGroups) {
    OpenMixed();
    const std::u16string object = WriteTestFile("neu.fzlobj", ObjectFileBytes);
    Script.DialogAnswers.push_back({true, object, 1});
    Click(IDC_ADD_ENTRY);
    EXPECT_EQ(ListLines(), (std::vector<std::u16string>{u"haus.fzlgrp", u"lampe.fzlobj",
                                                        u"neu.fzlobj", u"Halt"}));
    ASSERT_EQ(CurrentDocument.Objects.size(), 2u);
    const ObjectEntry& added = Object(1);
    EXPECT_EQ(added.Name, object);
    EXPECT_EQ(added.ZoomFaktor, 1.0);
    EXPECT_EQ(added.Position.x, 0);
    EXPECT_EQ(added.WeitSichtbar, 0);
    EXPECT_FALSE(added.ShowOn.has_value());
    EXPECT_FALSE(added.DynamicVisibility.has_value());
    EXPECT_TRUE(Modified);
    EXPECT_EQ(SelectedIndex, -1);
    EXPECT_FALSE(Visible(EntryPanel));

    const FileDialogCall& call = Script.Dialogs[0];
    EXPECT_FALSE(call.Save);
    EXPECT_EQ(call.Owner, EntryPanel);
    EXPECT_EQ(call.Title, u"Hinzufügen");
    EXPECT_EQ(call.Flags, DWORD(OFN_CREATEPROMPT | OFN_HIDEREADONLY));
    EXPECT_EQ(call.Filter, Joined(u"Ferrolinodateien (*.fzlobj;*.fzlgrp;*.efzlgrp)\0"
                                  u"*.fzlobj;*.fzlgrp;*.efzlgrp\0"
                                  u"Objektdateien (*.fzlobj)\0*.fzlobj\0"
                                  u"Gruppendateien (*.fzlgrp)\0*.fzlgrp\0"
                                  u"Projektdateien (*.efzlgrp)\0*.xml\0"
                                  u"Alle Dateien (*.*)\0*.*\0"));

    // A group file goes before the first object; the dialog proposes the last added file.
    const std::u16string group = WriteTestFile("neu.fzlgrp", GroupFile(""));
    Script.DialogAnswers.push_back({true, group, 1});
    Click(IDC_ADD_ENTRY);
    EXPECT_EQ(Script.Dialogs[1].Proposed, object);
    EXPECT_EQ(ListLines(), (std::vector<std::u16string>{u"haus.fzlgrp", u"neu.fzlgrp",
                                                        u"lampe.fzlobj", u"neu.fzlobj", u"Halt"}));
    ASSERT_EQ(CurrentDocument.IObjects.size(), 2u);
    EXPECT_EQ(IObject(1).Name, group);
    EXPECT_TRUE(Script.Messages.empty());
}

TEST_F(EntryCommandsTest, ACancelledAddChangesNothing) {
    OpenMixed();
    Script.DialogAnswers.push_back(Cancelled);
    Click(IDC_ADD_ENTRY);
    EXPECT_FALSE(Modified);
    EXPECT_EQ(ListLines().size(), 3u);
    EXPECT_TRUE(Script.Messages.empty());
}

TEST_F(EntryCommandsTest, WithoutADocumentTheButtonsDoNothing) {
    Click(IDC_ADD_ENTRY);
    Click(IDC_REMOVE_ENTRY);
    EXPECT_TRUE(Script.Dialogs.empty());
    EXPECT_FALSE(Modified);
    EXPECT_EQ(SelectedIndex, -1);
}

struct UnusableFile {
    const char* FileName;
    std::string Bytes; // empty: no such file
    const char16_t* Text;
};

TEST_F(EntryCommandsTest, AFileThatCannotBeAddedIsReportedAndChangesNothing) {
    const UnusableFile cases[] = {
        {"kaputt.fzlgrp", "<GRUPPENOBJECT>\r\n<Object",
         u"kaputt.fzlgrp ist eine fehlerhafte XML-Datei!"},
        {"fremd.fzlgrp", "<?xml version=\"1.0\"?>\r\n<Irgendwas/>",
         u"fremd.fzlgrp ist weder eine Gruppen- noch ein Objektdatei"},
        {"fehlt.fzlobj", "", nullptr},
    };
    OpenMixed();
    for (const UnusableFile& c : cases) {
        Modified = false;
        Script.Messages.clear();
        const std::u16string path =
            c.Bytes.empty() ? TestFolder + Wide(c.FileName) : WriteTestFile(c.FileName, c.Bytes);
        Script.DialogAnswers.push_back({true, path, 1});
        Click(IDC_ADD_ENTRY);
        EXPECT_FALSE(Modified) << c.FileName;
        EXPECT_EQ(EntryCount(CurrentDocument), 3u) << c.FileName;
        EXPECT_EQ(ListLines().size(), 3u);
        if (c.Text == nullptr) {
            ASSERT_EQ(Script.Messages.size(), 1u);
            ExpectMessage(0, SystemText(ERROR_FILE_NOT_FOUND), MB_ICONINFORMATION, nullptr,
                          u"GetLastError");
        } else if (std::string(c.FileName) == "kaputt.fzlgrp") {
            // The loader's line message comes first.
            ASSERT_EQ(Script.Messages.size(), 2u);
            EXPECT_NE(Script.Messages[0].Text.find(u" at line 2"), std::u16string::npos);
            ExpectMessage(1, c.Text, Warning, Window);
        } else {
            ASSERT_EQ(Script.Messages.size(), 1u);
            ExpectMessage(0, c.Text, Warning, Window);
        }
    }
}

TEST_F(EntryCommandsTest, RemovingTheLastObjectHidesThePanelThoughLabelsRemain) {
    OpenMixed();
    SelectLine(1);
    ASSERT_TRUE(Visible(EntryPanel));
    Modified = false;
    Click(IDC_REMOVE_ENTRY);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(ListLines(), (std::vector<std::u16string>{u"haus.fzlgrp", u"Halt"}));
    EXPECT_EQ(CurrentDocument.Objects.capacity(), 0u);
    // Line 0 is selected again and shown.
    EXPECT_EQ(SelectedIndex, 0);
    EXPECT_EQ(SendMessageW(EntryList, LB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(Visible(EntryPanel));
    EXPECT_EQ(FieldText(IDC_FILE_NAME), u"C:\\Sim\\haus.fzlgrp");

    Click(IDC_REMOVE_ENTRY);
    EXPECT_EQ(ListLines(), std::vector<std::u16string>{u"Halt"});
    EXPECT_EQ(SelectedIndex, 0);
    EXPECT_EQ(SendMessageW(EntryList, LB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(Visible(EntryPanel));
    SelectLine(0);
    EXPECT_FALSE(Visible(EntryPanel));

    Click(IDC_REMOVE_ENTRY);
    EXPECT_TRUE(ListLines().empty());
    EXPECT_EQ(EntryCount(CurrentDocument), 0u);
    EXPECT_EQ(SelectedIndex, 0);
}

TEST_F(EntryCommandsTest, RemovingTheLastLabelLeavesThePanelToTheNextLine) {
    OpenMixed();
    SelectLine(2);
    EXPECT_FALSE(Visible(EntryPanel));
    Click(IDC_REMOVE_ENTRY);
    EXPECT_TRUE(CurrentDocument.Fonts.empty());
    EXPECT_EQ(SelectedIndex, 0);
    EXPECT_TRUE(Visible(EntryPanel));
}

// Nothing the user chose: nothing removed, nothing selected, so a second press removes
// nothing either.
TEST_F(EntryCommandsTest, RemoveWithoutASelectionDoesNothing) {
    OpenMixed();
    for (int press = 0; press < 2; ++press) {
        Click(IDC_REMOVE_ENTRY);
        EXPECT_FALSE(Modified);
        EXPECT_EQ(EntryCount(CurrentDocument), 3u);
        EXPECT_EQ(SelectedIndex, -1);
        EXPECT_EQ(SendMessageW(EntryList, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_FALSE(Visible(EntryPanel));
    }
}

TEST_F(EntryCommandsTest, APastedObjectIsASeparateCopyAndAChange) {
    OpenMixed();
    SelectLine(1);
    Modified = false;
    Command(IDM_COPY);
    EXPECT_FALSE(Modified);
    EXPECT_EQ(ClipboardKind, CopiedKind::Object);
    EXPECT_EQ(SelectedIndex, 1);
    EXPECT_EQ(EntryCount(CurrentDocument), 3u);

    Command(IDM_PASTE);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(ListLines(),
              (std::vector<std::u16string>{u"haus.fzlgrp", u"lampe.fzlobj (1.5; 2.0; 3.0)",
                                           u"lampe.fzlobj (1.5; 2.0; 3.0)", u"Halt"}));
    EXPECT_EQ(SelectedIndex, 2);
    EXPECT_EQ(SendMessageW(EntryList, LB_GETCURSEL, 0, 0), 2);
    ASSERT_EQ(CurrentDocument.Objects.size(), 2u);
    EXPECT_EQ(Object(1).ShowOn, std::u16string(u"Hp1"));
    EXPECT_EQ(Object(1).Position.x, 1.5);
    EXPECT_EQ(Object(1).WeitSichtbar, 1);

    // Editing the pasted entry leaves the original and the slot alone.
    TypeAndLeave(IDC_SHOW_ON, u"Hp2");
    EXPECT_EQ(Object(1).ShowOn, std::u16string(u"Hp2"));
    EXPECT_EQ(Object(0).ShowOn, std::u16string(u"Hp1"));
    EXPECT_EQ(ClipboardEntry->ShowOn, std::u16string(u"Hp1"));

    // The slot keeps its copy.
    Command(IDM_PASTE);
    EXPECT_EQ(CurrentDocument.Objects.size(), 3u);
    EXPECT_EQ(SelectedIndex, 3);
}

TEST_F(EntryCommandsTest, TheTwoSlotsAreIndependentAndTheKindNamesTheLastCopy) {
    OpenMixed();
    SelectLine(0);
    Command(IDM_COPY);
    EXPECT_EQ(ClipboardKind, CopiedKind::IObject);
    SelectLine(2);
    Command(IDM_COPY);
    EXPECT_EQ(ClipboardKind, CopiedKind::Font);
    ASSERT_NE(ClipboardEntry, nullptr);
    EXPECT_EQ(ClipboardEntry->Name, std::u16string(u"C:\\Sim\\haus.fzlgrp"));

    // A pasted label is a change too, though the panel never shows it.
    Modified = false;
    Command(IDM_PASTE);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(ListLines(),
              (std::vector<std::u16string>{u"haus.fzlgrp", u"lampe.fzlobj", u"Halt (0.0; 0.0; 0.0)",
                                           u"Halt (0.0; 0.0; 0.0)"}));
    EXPECT_EQ(SelectedIndex, 3);
    EXPECT_EQ(CurrentDocument.Fonts[1]->DefaultText, std::u16string(u"Halt"));
    EXPECT_NE(CurrentDocument.Fonts[1].get(), ClipboardFont.get());
    EXPECT_FALSE(Visible(EntryPanel));
}

TEST_F(EntryCommandsTest, AGroupCopiedFromOneDocumentIsPastedIntoTheNext) {
    OpenMixed();
    SelectLine(0);
    Command(IDM_COPY);
    Open(WriteTestFile("andere.fzlgrp",
                       GroupFile(Entry("IObject", "Name=\"C:\\Sim\\hof.fzlgrp\"") +
                                 Entry("Object", "Name=\"C:\\Sim\\bank.fzlobj\""))));
    Modified = false;
    Command(IDM_PASTE);
    EXPECT_EQ(ListLines(),
              (std::vector<std::u16string>{u"hof.fzlgrp", u"haus.fzlgrp", u"bank.fzlobj"}));
    EXPECT_EQ(SelectedIndex, 1);
    EXPECT_TRUE(Visible(EntryPanel));
    EXPECT_EQ(FieldText(IDC_FILE_NAME), u"C:\\Sim\\haus.fzlgrp");
    EXPECT_TRUE(Modified);
}

class KeyTest : public EntryTest {
  protected:
    UINT EditMenuState(UINT id) const {
        HMENU edit = GetSubMenu(GetMenu(Window), 1);
        SendMessageW(Window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
        return GetMenuState(edit, id, MF_BYCOMMAND) & MF_GRAYED;
    }
};

TEST_F(KeyTest, CopyAndPasteFollowTheirMenuItems) {
    OpenMixed();
    EXPECT_EQ(EditMenuState(IDM_COPY), UINT(MF_GRAYED));
    EXPECT_EQ(EditMenuState(IDM_PASTE), UINT(MF_GRAYED));
    PressCtrl(EntryList, 'C');
    PressCtrl(EntryList, 'V');
    EXPECT_EQ(ClipboardEntry, nullptr);
    EXPECT_EQ(ClipboardKind, CopiedKind::None);
    EXPECT_EQ(EntryCount(CurrentDocument), 3u);

    SelectLine(1);
    EXPECT_EQ(EditMenuState(IDM_COPY), 0u);
    PressCtrl(EntryList, 'C');
    EXPECT_EQ(ClipboardKind, CopiedKind::Object);
    EXPECT_EQ(EditMenuState(IDM_PASTE), 0u);
    PressCtrl(EntryList, 'V');
    EXPECT_EQ(CurrentDocument.Objects.size(), 2u);
    EXPECT_EQ(SelectedIndex, 2);

    // Without a document there is nowhere to paste: a file that cannot be opened leaves none.
    Script.MessageAnswers = {IDNO};
    Script.DialogAnswers.push_back({true, TestFolder + u"fehlt.fzlgrp", 1});
    Command(IDM_OPEN);
    EXPECT_FALSE(DocumentOpen);
    EXPECT_EQ(EditMenuState(IDM_PASTE), UINT(MF_GRAYED));
    PressCtrl(Window, 'V');
    EXPECT_EQ(EntryCount(CurrentDocument), 0u);
    Command(IDM_PASTE);
    EXPECT_EQ(EntryCount(CurrentDocument), 0u);
}

void PutTextOnClipboard(HWND owner, const std::u16string& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    auto* target = static_cast<char16_t*>(GlobalLock(memory));
    std::copy(text.c_str(), text.c_str() + text.size() + 1, target);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

TEST_F(KeyTest, InATextFieldCtrlVPastesTextNotAnEntry) {
    OpenMixed();
    SelectLine(1);
    Command(IDM_COPY);
    PutTextOnClipboard(Window, u"Vr1 or Vr2");

    // The edit parts of the combo boxes are their children.
    HWND showOn = GetWindow(Field(IDC_SHOW_ON), GW_CHILD);
    HWND dynamic = GetWindow(Field(IDC_DYNAMIC_VISIBILITY), GW_CHILD);
    ASSERT_NE(showOn, nullptr);
    for (HWND target : {Field(IDC_POSITION_X), showOn, dynamic}) {
        SetWindowTextW(target, L"");
        PressCtrl(target, 'V');
        EXPECT_EQ(CurrentDocument.Objects.size(), 1u);
        std::vector<wchar_t> text(64, L'\0');
        GetWindowTextW(target, text.data(), 64);
        EXPECT_EQ(std::u16string(U(text.data())), u"Vr1 or Vr2");
    }
    // Ctrl+C in a field copies its text and leaves the entry slot alone.
    ClipboardEntry.reset();
    PressCtrl(Field(IDC_FILE_NAME), 'C');
    EXPECT_EQ(ClipboardEntry, nullptr);

    // Anywhere else the keys copy and paste entries.
    SelectLine(0);
    PressCtrl(Field(IDC_CHOOSE_FILE), 'C');
    EXPECT_EQ(ClipboardKind, CopiedKind::IObject);
    PressCtrl(EntryPanel, 'V');
    EXPECT_EQ(CurrentDocument.IObjects.size(), 2u);
}

TEST_F(KeyTest, OnlyThePanelsOwnFieldsCountAsTextFields) {
    OpenMixed();
    EXPECT_TRUE(IsPanelTextField(Field(IDC_POSITION_X)));
    EXPECT_TRUE(IsPanelTextField(Field(IDC_FILE_NAME)));
    EXPECT_TRUE(IsPanelTextField(GetWindow(Field(IDC_HIDE_ON), GW_CHILD)));
    EXPECT_FALSE(IsPanelTextField(Field(IDC_HIDE_ON)));
    EXPECT_FALSE(IsPanelTextField(Field(IDC_FAR_VISIBLE)));
    EXPECT_FALSE(IsPanelTextField(EntryPanel));
    EXPECT_FALSE(IsPanelTextField(EntryList));
    EXPECT_FALSE(IsPanelTextField(nullptr));
    HWND stranger = CreateWindowExW(0, L"Edit", L"", WS_CHILD, 0, 0, 10, 10, Window, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    EXPECT_FALSE(IsPanelTextField(stranger));
    DestroyWindow(stranger);
}

} // namespace
