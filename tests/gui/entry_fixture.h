// Documents with entries of every kind, and the user's side of the entry list and the panel.
#pragma once

#include "tests/gui/gui_harness.h"

#include "app/shell_state.h"
#include "app/startup.h"
#include "platform/wide.h"
#include "resources/resource.h"

inline const std::string Utf8Head = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

inline std::string GroupFile(const std::string& entries) {
    return Utf8Head + "<GRUPPENOBJECT>\r\n<Props FileInfo=\"Test\" />" + entries +
           "\r\n</GRUPPENOBJECT>";
}

// element is Object, IObject or Font; props the attributes of its Props.
inline std::string Entry(const std::string& element, const std::string& props) {
    return "\r\n<" + element + ">\r\n<Props " + props + " />\r\n</" + element + ">";
}

inline const std::string ObjectFileBytes =
    Utf8Head + "<OBJEKT>\r\n<Point X=\"0.0\" Y=\"0.0\" Z=\"0.5\"/>\r\n</OBJEKT>";

inline const UINT Warning = MB_ICONEXCLAMATION;

class EntryTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ClipboardEntry.reset();
        ClipboardFont.reset();
        ClipboardKind = CopiedKind::None;
    }

    // A group with the IObject haus.fzlgrp, the Object lampe.fzlobj and the label schild.
    void OpenMixed() {
        Open(WriteTestFile(
            "gemischt.fzlgrp",
            GroupFile(Entry("IObject", "Name=\"C:\\Sim\\haus.fzlgrp\" ZoomFaktor=\"1\"") +
                      Entry("Object", "Name=\"C:\\Sim\\lampe.fzlobj\" ShowOn=\"Hp1\" "
                                      "Position=\"1.5;2;3\" WeitSichtbar=\"TRUE\"") +
                      Entry("Font", "Name=\"C:\\Sim\\schild.fzlfnt\" DefaultText=\"Halt\""))));
        ASSERT_TRUE(DocumentOpen);
        ASSERT_EQ(ListLines().size(), 3u);
    }

    // As the user clicks a line of the list.
    void SelectLine(int line) {
        SendMessageW(EntryList, LB_SETCURSEL, WPARAM(line), 0);
        SendMessageW(Window, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(EntryList));
    }
    void Click(int id) const {
        SendMessageW(Window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(Window, id)));
    }

    HWND Field(int id) const { return GetDlgItem(EntryPanel, id); }
    std::u16string FieldText(int id) const {
        std::vector<wchar_t> text(2048, L'\0');
        GetDlgItemTextW(EntryPanel, id, text.data(), int(text.size()));
        return U(text.data());
    }
    // Typing into a field and leaving it with Tab or the mouse.
    void Type(int id, const std::u16string& text) const {
        SetDlgItemTextW(EntryPanel, id, W(text));
    }
    void Leave(int id) const {
        wchar_t className[16] = {};
        GetClassNameW(Field(id), className, 16);
        const WORD code = lstrcmpiW(className, L"ComboBox") == 0 ? CBN_KILLFOCUS : EN_KILLFOCUS;
        Notify(id, code);
    }
    void Notify(int id, WORD code) const {
        SendMessageW(EntryPanel, WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(Field(id)));
    }
    void TypeAndLeave(int id, const std::u16string& text) const {
        Type(id, text);
        Leave(id);
    }
    void Tick(int id, bool ticked) const {
        CheckDlgButton(EntryPanel, id, ticked ? BST_CHECKED : BST_UNCHECKED);
        Notify(id, BN_CLICKED);
    }
    bool Ticked(int id) const { return IsDlgButtonChecked(EntryPanel, id) == BST_CHECKED; }

    // The real message loop over one key press with Ctrl held, sent to target.
    void PressCtrl(HWND target, WORD key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        const LPARAM scan = LPARAM(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(target, WM_KEYDOWN, key, scan | 1);
        PostQuitMessage(7);
        HACCEL accelerators = LoadAcceleratorsW(GetModuleHandleW(nullptr), ResourceName);
        EXPECT_EQ(RunMessageLoop(Window, accelerators), 7);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    // Called through ExpectMessage, which passes the caller's line.
    void ExpectMessageAt(const char* file, int line, size_t index, const std::u16string& text,
                         UINT flags, HWND owner, const char16_t* caption = u"Zellora") const {
        testing::ScopedTrace trace(file, line, "ExpectMessage called here");
        ASSERT_GT(Script.Messages.size(), index);
        EXPECT_EQ(Script.Messages[index].Text, text);
        EXPECT_EQ(Script.Messages[index].Caption, caption);
        EXPECT_EQ(Script.Messages[index].Flags, flags);
        EXPECT_EQ(Script.Messages[index].Owner, owner);
    }

    ObjectEntry& IObject(size_t i) const { return *CurrentDocument.IObjects.at(i); }
    ObjectEntry& Object(size_t i) const { return *CurrentDocument.Objects.at(i); }
};

#define ExpectMessage(...) ExpectMessageAt(__FILE__, __LINE__, __VA_ARGS__)
