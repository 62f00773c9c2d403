// Undo and redo of every user action, their menu items and keys, Entf in the entry list, the
// caption's changed-mark, and files dropped onto the window.
#include "tests/gui/entry_fixture.h"

#include <shlobj.h>

#include "document/writer.h"

namespace {

std::string DocumentBytes() {
    OutputSink sink;
    FormatGroupDocument(&CurrentDocument, sink);
    return sink.Buffer;
}

class HistoryTest : public EntryTest {
  public:
    // For the table of user actions.
    using EntryTest::Click;
    using EntryTest::SelectLine;
    using EntryTest::Tick;
    using EntryTest::TypeAndLeave;
    using ShellTest::Command;

  protected:
    HMENU EditMenu() const { return GetSubMenu(GetMenu(Window), 1); }
    UINT Greyed(UINT id) const {
        SendMessageW(Window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(EditMenu()), 1);
        return GetMenuState(EditMenu(), id, MF_BYCOMMAND) & MF_GRAYED;
    }
    // A drop of paths from the file manager at point of the window's client area.
    void Drop(const std::vector<std::u16string>& paths, POINT point) const {
        std::u16string names;
        for (const std::u16string& path : paths) {
            names += path + u'\0';
        }
        names += u'\0';
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(char16_t));
        auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
        files->pFiles = sizeof(DROPFILES);
        files->pt = point;
        files->fWide = TRUE;
        std::copy(names.begin(), names.end(), reinterpret_cast<char16_t*>(files + 1));
        GlobalUnlock(memory);
        SendMessageW(Window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }
    POINT OnTheList() const {
        RECT list{};
        GetWindowRect(EntryList, &list);
        MapWindowPoints(nullptr, Window, reinterpret_cast<POINT*>(&list), 2);
        return {(list.left + list.right) / 2, (list.top + list.bottom) / 2};
    }
};

TEST_F(HistoryTest, UndoAndRedoAreGreyedWhenThereIsNothingToDo) {
    // Ids and texts are checked with the menu's other items (startup_test).
    EXPECT_EQ(IDM_UNDO, 32030);
    EXPECT_EQ(IDM_REDO, 32031);
    OpenMixed();
    EXPECT_EQ(Greyed(IDM_UNDO), UINT(MF_GRAYED));
    EXPECT_EQ(Greyed(IDM_REDO), UINT(MF_GRAYED));
    SelectLine(0);
    Click(IDC_REMOVE_ENTRY);
    EXPECT_EQ(Greyed(IDM_UNDO), 0u);
    EXPECT_EQ(Greyed(IDM_REDO), UINT(MF_GRAYED));
    Command(IDM_UNDO);
    EXPECT_EQ(Greyed(IDM_UNDO), UINT(MF_GRAYED));
    EXPECT_EQ(Greyed(IDM_REDO), 0u);

    // A new action clears what there was to redo; New begins a new history.
    SelectLine(2);
    Click(IDC_REMOVE_ENTRY);
    EXPECT_EQ(Greyed(IDM_REDO), UINT(MF_GRAYED));
    Script.MessageAnswers = {IDNO};
    Command(IDM_NEW);
    EXPECT_EQ(Greyed(IDM_UNDO), UINT(MF_GRAYED));
}

TEST_F(HistoryTest, EachUserActionIsOneStepAndTheSelectionFollowsItsEntry) {
    const struct {
        const char* What;
        void (*Act)(HistoryTest&);
        int32_t LineAfterUndo;
    } cases[] = {
        {"a field",
         [](HistoryTest& t) {
             t.SelectLine(1);
             t.TypeAndLeave(IDC_POSITION_X, u"7.5");
             t.SelectLine(0);
         },
         1},
        {"a tick",
         [](HistoryTest& t) {
             t.SelectLine(1);
             t.Tick(IDC_FAR_VISIBLE, false);
         },
         1},
        {"Löschen",
         [](HistoryTest& t) {
             t.SelectLine(1);
             t.Click(IDC_REMOVE_ENTRY);
         },
         1},
        {"Einfügen",
         [](HistoryTest& t) {
             t.SelectLine(2);
             t.Command(IDM_COPY);
             t.Command(IDM_PASTE);
         },
         -1},
        {"Hinzufügen",
         [](HistoryTest& t) {
             Script.DialogAnswers.push_back(
                 {true, WriteTestFile("neu.fzlobj", ObjectFileBytes), 1});
             t.Click(IDC_ADD_ENTRY);
         },
         -1},
        {"...",
         [](HistoryTest& t) {
             t.SelectLine(0);
             Script.DialogAnswers.push_back(
                 {true, WriteTestFile("andere.fzlobj", ObjectFileBytes), 1});
             SendMessageW(EntryPanel, WM_COMMAND, MAKEWPARAM(IDC_CHOOSE_FILE, BN_CLICKED), 0);
         },
         0},
    };
    for (const auto& c : cases) {
        OpenMixed();
        const std::string before = DocumentBytes();
        const std::vector<std::u16string> linesBefore = ListLines();
        c.Act(*this);
        const std::string after = DocumentBytes();
        const std::vector<std::u16string> linesAfter = ListLines();
        EXPECT_NE(after, before) << c.What;
        EXPECT_EQ(Caption(), u"Zellora - *gemischt.fzlgrp") << c.What;

        Command(IDM_UNDO);
        EXPECT_EQ(DocumentBytes(), before) << c.What;
        EXPECT_EQ(ListLines(), linesBefore) << c.What;
        EXPECT_EQ(SelectedIndex, c.LineAfterUndo) << c.What;
        EXPECT_EQ(SendMessageW(EntryList, LB_GETCURSEL, 0, 0), c.LineAfterUndo) << c.What;
        EXPECT_FALSE(Modified) << c.What;
        EXPECT_EQ(Caption(), u"Zellora - gemischt.fzlgrp") << c.What;
        EXPECT_EQ(Greyed(IDM_UNDO), UINT(MF_GRAYED)) << c.What;

        Command(IDM_REDO);
        EXPECT_EQ(DocumentBytes(), after) << c.What;
        EXPECT_EQ(ListLines(), linesAfter) << c.What;
        EXPECT_TRUE(Modified) << c.What;
    }
    EXPECT_TRUE(Script.Messages.empty());
}

TEST_F(HistoryTest, UndoOfAFieldShowsTheOldValueInThePanel) {
    OpenMixed();
    SelectLine(1);
    TypeAndLeave(IDC_POSITION_X, u"7.5");
    EXPECT_EQ(Object(0).Position.x, 7.5);
    Command(IDM_UNDO);
    EXPECT_EQ(Object(0).Position.x, 1.5);
    EXPECT_EQ(FieldText(IDC_POSITION_X), u"1.50");
    EXPECT_TRUE(Visible(EntryPanel));
}

TEST_F(HistoryTest, TheFileFieldShowsTheEndOfALongName) {
    const std::u16string name = u"C:\\Sim\\" + std::u16string(40, u'x') + u"\\Bahnsteig.fzlobj";
    Open(WriteTestFile("lang.fzlgrp", GroupFile(Entry("Object", "Name=\"" + Narrow(name) + "\""))));
    SelectLine(0);
    ASSERT_EQ(FieldText(IDC_FILE_NAME), name);
    // The first character shown, for a field of one line.
    EXPECT_GT(SendMessageW(Field(IDC_FILE_NAME), EM_GETFIRSTVISIBLELINE, 0, 0), 20);
}

TEST_F(HistoryTest, SavingMarksTheStateThatUndoComesBackTo) {
    OpenMixed();
    const std::u16string path = CurrentPath;
    SelectLine(0);
    Click(IDC_REMOVE_ENTRY);
    EXPECT_EQ(Caption(), u"Zellora - *gemischt.fzlgrp");
    ASSERT_EQ(Command(IDM_SAVE), 1);
    EXPECT_EQ(Caption(), u"Zellora - gemischt.fzlgrp");
    EXPECT_FALSE(Modified);
    EXPECT_EQ(Greyed(IDM_UNDO), 0u); // saving keeps the history
    Command(IDM_UNDO);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(Caption(), u"Zellora - *gemischt.fzlgrp");
    Command(IDM_REDO);
    EXPECT_FALSE(Modified);
    EXPECT_EQ(Caption(), u"Zellora - gemischt.fzlgrp");
    DeleteTestFile(path);
}

TEST_F(HistoryTest, CtrlZAndCtrlYUndoAndRedoOutsideTheTextFields) {
    OpenMixed();
    SelectLine(0);
    Click(IDC_REMOVE_ENTRY);
    ASSERT_EQ(EntryCount(CurrentDocument), 2u);
    PressCtrl(EntryList, 'Z');
    EXPECT_EQ(EntryCount(CurrentDocument), 3u);
    PressCtrl(EntryList, 'Y');
    EXPECT_EQ(EntryCount(CurrentDocument), 2u);

    // In a text field the keys belong to the field's own typing.
    SelectLine(0);
    PressCtrl(Field(IDC_POSITION_X), 'Z');
    EXPECT_EQ(EntryCount(CurrentDocument), 2u);
}

TEST_F(HistoryTest, EntfInTheListRemovesTheSelectedEntry) {
    OpenMixed();
    SendMessageW(EntryList, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(EntryCount(CurrentDocument), 3u); // nothing selected
    SelectLine(1);
    SendMessageW(EntryList, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(CurrentDocument.Objects.empty());
    EXPECT_EQ(SelectedIndex, 0);
    EXPECT_TRUE(Modified);
}

TEST_F(HistoryTest, FilesDroppedOnTheListAreAddedAsOneStep) {
    OpenMixed();
    const std::u16string object = WriteTestFile("neu.fzlobj", ObjectFileBytes);
    const std::u16string broken = WriteTestFile("kaputt.fzlgrp", "<GRUPPENOBJECT>\r\n<Object");
    const std::u16string group = WriteTestFile("neu.fzlgrp", GroupFile(""));
    Drop({object, broken, group}, OnTheList());
    EXPECT_EQ(ListLines(), (std::vector<std::u16string>{u"haus.fzlgrp", u"neu.fzlgrp",
                                                        u"lampe.fzlobj", u"neu.fzlobj", u"Halt"}));
    EXPECT_EQ(Object(1).Name, object);
    EXPECT_EQ(Object(1).ZoomFaktor, 1.0);
    // The broken file is reported as "Hinzufügen" reports it, after the loader's line message.
    ASSERT_EQ(Script.Messages.size(), 2u);
    ExpectMessage(1, u"kaputt.fzlgrp ist eine fehlerhafte XML-Datei!", Warning, Window);
    Command(IDM_UNDO);
    EXPECT_EQ(EntryCount(CurrentDocument), 3u);
}

TEST_F(HistoryTest, OneGroupFileDroppedElsewhereIsOpenedAfterTheSavePrompt) {
    OpenMixed();
    SelectLine(0);
    Click(IDC_REMOVE_ENTRY);
    const std::u16string other =
        WriteTestFile("anderes.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\x.fzlobj\"")));
    Script.MessageAnswers = {IDCANCEL};
    Drop({other}, {1, 1});
    EXPECT_EQ(Caption(), u"Zellora - *gemischt.fzlgrp");
    Script.MessageAnswers = {IDNO};
    Drop({other}, {1, 1});
    EXPECT_EQ(Script.Messages.size(), 2u);
    EXPECT_EQ(Script.Messages[1].Text, u"Veränderungen in gemischt.fzlgrp speichern?");
    EXPECT_EQ(Caption(), u"Zellora - anderes.fzlgrp");
    EXPECT_EQ(ListLines(), std::vector<std::u16string>{u"x.fzlobj"});
    EXPECT_EQ(Greyed(IDM_UNDO), UINT(MF_GRAYED));
    // Two files dropped beside the list open nothing.
    Drop({other, other}, {1, 1});
    EXPECT_EQ(Caption(), u"Zellora - anderes.fzlgrp");
}

} // namespace
