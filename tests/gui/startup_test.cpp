// Start-up: the file named on the command line, the order in which the message loop routes
// keys, the refusal without Unicode window support, the options file and the resources.
#include "tests/gui/gui_harness.h"

#include "app/shell_state.h"
#include "app/startup.h"
#include "base/text.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/wide.h"
#include "resources/resource.h"

namespace {

struct CommandLineCase {
    const char16_t* CommandLine;
    const char16_t* Expected;
};

// As Explorer, "Öffnen mit", batch files and Wine pass a file: quoted or not, behind a quoted
// or unquoted program path.
TEST(CommandLine, PicksTheFileNameQuotedOrNot) {
    const std::u16string module = u"C:\\Programme\\Neue Werkzeuge\\Zellora.exe";
    const CommandLineCase cases[] = {
        // Quoted names keep their quotes for the open to drop; one inside the name stays.
        {u"\"C:\\Programme\\Neue Werkzeuge\\Zellora.exe\" \"C:\\Sim\\a.fzlgrp\"",
         u"\"C:\\Sim\\a.fzlgrp\""},
        {u"\"C:\\Programme\\Neue Werkzeuge\\Zellora.exe\"   \"C:\\Sim\\a b.fzlgrp\"  ",
         u"\"C:\\Sim\\a b.fzlgrp\""},
        {u"\"C:\\Programme\\Neue Werkzeuge\\Zellora.exe\" \"C:\\S\"m\\a.fzlgrp\"",
         u"\"C:\\S\"m\\a.fzlgrp\""},
        // Unquoted names, behind the quoted or the bare program path in any letter case.
        {u"\"C:\\Programme\\Neue Werkzeuge\\Zellora.exe\" C:\\Szenen\\Bahnhof.fzlgrp",
         u"C:\\Szenen\\Bahnhof.fzlgrp"},
        {u"C:\\Programme\\Neue Werkzeuge\\Zellora.exe C:\\Szenen\\Bahnhof.fzlgrp",
         u"C:\\Szenen\\Bahnhof.fzlgrp"},
        {u"c:\\programme\\neue werkzeuge\\ZELLORA.EXE\tC:\\Szenen\\Bahnhof.fzlgrp",
         u"C:\\Szenen\\Bahnhof.fzlgrp"},
        {u"\"C:\\Programme\\Neue Werkzeuge\\Zellora.exe\"C:\\Sim\\a.fzlgrp", u"C:\\Sim\\a.fzlgrp"},
        // No name.
        {u"\"C:\\Programme\\Neue Werkzeuge\\Zellora.exe\"", u""},
        {u"\"C:\\Programme\\Neue Werkzeuge\\Zellora.exe\"   ", u""},
        {u"C:\\Programme\\Neue Werkzeuge\\Zellora.exe", u""},
        {u"Zellora.exe", u""},
        // Without the module path: the program's part ends at its closing quote or first blank.
        {u"Zellora.exe C:\\Sim\\a b.fzlgrp", u"C:\\Sim\\a b.fzlgrp"},
        {u"Zellora.exe \"x\"", u"\"x\""},
        {u"\"D:\\Alte Kopie\\Zellora.exe\" C:\\Sim\\a.fzlgrp", u"C:\\Sim\\a.fzlgrp"},
    };
    for (const CommandLineCase& c : cases) {
        EXPECT_EQ(PickCommandLineFileName(c.CommandLine, module), c.Expected)
            << Narrow(c.CommandLine);
    }
    EXPECT_EQ(FolderOf(module), u"C:\\Programme\\Neue Werkzeuge\\");
}

TEST(Startup, RefusesToRunWhenTheWindowClassCannotBeRegistered) {
    Script = UiScript{};
    // The test process registered the class already, so a second registration fails.
    EXPECT_EQ(RunEditor(GetModuleHandleW(nullptr), SW_SHOW), 0);
    ASSERT_EQ(Script.Messages.size(), 1u);
    EXPECT_EQ(Script.Messages[0].Text,
              u"Programm arbeitet mit Unicode und setzt Windows NT voraus!");
    EXPECT_EQ(Script.Messages[0].Caption, u"Zellora");
    EXPECT_EQ(Script.Messages[0].Flags, UINT(MB_ICONERROR));
    EXPECT_EQ(Script.Messages[0].Owner, nullptr);
    EXPECT_EQ(MainWindow, nullptr);
}

struct OptionsCase {
    std::string Bytes;
    const char16_t* Root;
};

TEST(OptionsFile, ReadsTheFolderBehindTheByteOrderMark) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string long259(258, 'a');
    const OptionsCase cases[] = {
        {bom + "C:\\Sim\\", u"C:\\Sim\\"},
        {bom + "C:\\Sim", u"C:\\Sim\\"},
        {bom + "C:\\Sim\\\r\n", u"C:\\Sim\\"},
        {bom + "C:\\Sim \n", u"C:\\Sim\\"},
        {bom + "C:\\Stra\xC3\x9F"
               "e\\",
         u"C:\\Straße\\"},
        {"C:\\Sim\\", u"C:\\Sim\\"}, // written by hand without the mark
        {bom, u""},
        {bom + "\r\n", u""},
        {"", u""},
        {"\xEF\xBB", u""},
        {bom + long259, nullptr}, // filled in below: exactly 259 with the backslash
        {bom + long259 + "aa", u""},
    };
    for (const OptionsCase& c : cases) {
        std::u16string root = u"old";
        const std::u16string expected = c.Root ? c.Root : Wide(long259) + u"\\";
        EXPECT_EQ(ParseOptionsFile(c.Bytes, root), !expected.empty()) << c.Bytes;
        EXPECT_EQ(root, expected) << c.Bytes;
    }
}

TEST(OptionsFile, IsReadFromTheProgramFolder) {
    std::u16string root;
    EXPECT_TRUE(ReadOptionsFile(root));
    EXPECT_EQ(root, TestSimulatorFolder);
    const std::u16string kept = ProgramFolder;
    ProgramFolder = TestFolder + u"nirgends\\";
    root = u"old";
    EXPECT_FALSE(ReadOptionsFile(root));
    EXPECT_EQ(root, u"");
    ProgramFolder = kept;
}

class MessageLoopTest : public ShellTest {
  protected:
    // Posts a key press with Ctrl held to target and runs the real loop over it.
    void PressCtrl(HWND target, WORD key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostQuitMessage(7);
        HACCEL accelerators = LoadAcceleratorsW(GetModuleHandleW(nullptr), ResourceName);
        EXPECT_EQ(RunMessageLoop(Window, accelerators), 7);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
};

TEST_F(MessageLoopTest, AcceleratorsComeBeforeThePanel) {
    Command(IDM_NEW);
    ASSERT_NE(EntryPanel, nullptr);
    Script.DialogAnswers.push_back(Cancelled);
    // Ctrl+S on the panel still saves: a new document goes to the save dialog.
    PressCtrl(EntryPanel, 'S');
    ASSERT_EQ(Script.Dialogs.size(), 1u);
    EXPECT_TRUE(Script.Dialogs[0].Save);
    EXPECT_TRUE(Modified);
}

TEST_F(MessageLoopTest, CtrlIDoesNothing) {
    Command(IDM_NEW);
    const std::u16string caption = Caption();
    PressCtrl(Window, 'I');
    EXPECT_TRUE(Script.Messages.empty());
    EXPECT_TRUE(Script.Dialogs.empty());
    EXPECT_TRUE(Script.ShellCalls.empty());
    EXPECT_EQ(Caption(), caption);
    EXPECT_TRUE(Modified);
}

std::u16string MenuText(HMENU menu, UINT position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return U(text);
}

TEST(Resources, MenuHoldsTheCommandsWithTheirTextsAndStates) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"Zellora");
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(MenuText(menu, 0), u"&Datei");
    EXPECT_EQ(MenuText(menu, 1), u"&Bearbeiten");
    EXPECT_EQ(MenuText(menu, 2), u"&Ansicht");
    EXPECT_EQ(MenuText(menu, 3), u"&Hilfe");
    struct Item {
        int Menu;
        UINT Id;
        const char16_t* Text;
        UINT State;
    };
    const Item items[] = {
        {0, IDM_NEW, u"&Neu\tStrg+N", 0},
        {0, IDM_OPEN, u"Ö&ffnen\tStrg+O", 0},
        {0, IDM_SAVE, u"&Speichern\tStrg+S", 0},
        {0, IDM_SAVE_AS, u"Speichern &unter", 0},
        {0, 0, u"", MF_SEPARATOR},
        {0, IDM_EXIT, u"&Beenden", 0},
        {1, IDM_UNDO, u"&Rückgängig\tStrg+Z", MF_GRAYED},
        {1, IDM_REDO, u"&Wiederholen\tStrg+Y", MF_GRAYED},
        {1, 0, u"", MF_SEPARATOR},
        {1, IDM_COPY, u"&Kopieren\tStrg+C", MF_GRAYED},
        {1, IDM_PASTE, u"&Einfügen\tStrg+V", MF_GRAYED},
        {1, 0, u"", MF_SEPARATOR},
        {1, IDM_ADJUST_PATHS, u"&Pfade anpassen", 0},
        {1, IDM_OPEN_AFTER_EXPORT, u"&Datei nach Exportieren öffnen", MF_CHECKED},
        {1, IDM_EXPORT, u"E&xportieren\tStrg+E", 0},
        {2, IDM_PLAN, u"&Lageplan\tStrg+L", 0},
        {3, IDM_HELP, u"&Hilfe", 0},
        {3, IDM_INFO, u"&Info...", 0},
    };
    EXPECT_EQ(IDM_PLAN, 32032);
    int position[4] = {};
    for (const Item& item : items) {
        HMENU popup = GetSubMenu(menu, item.Menu);
        const UINT at = UINT(position[item.Menu]++);
        EXPECT_EQ(MenuText(popup, at), item.Text);
        const UINT state = GetMenuState(popup, at, MF_BYPOSITION);
        if (item.State == MF_SEPARATOR) {
            EXPECT_TRUE(state & MF_SEPARATOR);
            continue;
        }
        EXPECT_EQ(GetMenuItemID(popup, int(at)), item.Id);
        EXPECT_EQ(state & (MF_GRAYED | MF_CHECKED | MF_SEPARATOR), item.State) << Narrow(item.Text);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, i)), position[i]);
    }
    DestroyMenu(menu);
}

// The letter after '&' in text, upper case; 0 for none.
char16_t Mnemonic(const std::u16string& text) {
    const size_t amp = text.find(u'&');
    return amp == std::u16string::npos || amp + 1 == text.size() ? 0 : FoldCase(text[amp + 1]);
}

// Alt with the letter opens a menu and picks an item, so each letter is taken once per menu.
TEST(Resources, EveryMenuAndItemHasItsOwnMnemonic) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"Zellora");
    ASSERT_NE(menu, nullptr);
    std::u16string letters;
    for (int m = 0; m <= GetMenuItemCount(menu); ++m) {
        HMENU popup = m < GetMenuItemCount(menu) ? GetSubMenu(menu, m) : menu;
        letters.clear();
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            if (GetMenuState(popup, UINT(i), MF_BYPOSITION) & MF_SEPARATOR) {
                continue;
            }
            const char16_t letter = Mnemonic(MenuText(popup, UINT(i)));
            EXPECT_NE(letter, 0) << Narrow(MenuText(popup, UINT(i)));
            EXPECT_EQ(letters.find(letter), std::u16string::npos)
                << Narrow(MenuText(popup, UINT(i)));
            letters += letter;
        }
    }
    DestroyMenu(menu);
}

TEST(Resources, AcceleratorsAreCtrlKeys) {
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), L"zellora");
    ASSERT_NE(table, nullptr);
    ACCEL keys[16] = {};
    const int count = CopyAcceleratorTableW(table, keys, 16);
    const std::vector<std::pair<WORD, WORD>> expected = {
        {'N', IDM_NEW},  {'O', IDM_OPEN}, {'S', IDM_SAVE},   {'C', IDM_COPY}, {'V', IDM_PASTE},
        {'Z', IDM_UNDO}, {'Y', IDM_REDO}, {'E', IDM_EXPORT}, {'L', IDM_PLAN}, {'I', IDM_IGNORED},
    };
    ASSERT_EQ(size_t(count), expected.size());
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(keys[i].key, expected[size_t(i)].first);
        EXPECT_EQ(keys[i].cmd, expected[size_t(i)].second);
        EXPECT_EQ(keys[i].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), FVIRTKEY | FCONTROL);
    }
}

std::u16string VersionString(const std::vector<BYTE>& data, const wchar_t* name) {
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040704B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), key.c_str(), &value, &length) || value == nullptr) {
        return u"<missing>";
    }
    return U(static_cast<const wchar_t*>(value));
}

TEST(Resources, VersionDataNamesTheProgram) {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::vector<BYTE> data(GetFileVersionInfoSizeW(module, nullptr));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(GetFileVersionInfoW(module, 0, DWORD(data.size()), data.data()));
    EXPECT_EQ(VersionString(data, L"FileDescription"), u"Anwendung Zellora  (für Ferrolino)");
    EXPECT_EQ(VersionString(data, L"InternalName"), u"Zellora Unicode Version");
    EXPECT_EQ(VersionString(data, L"OriginalFilename"), u"Zellora.exe");
    EXPECT_EQ(VersionString(data, L"ProductName"), u"Zellora");
    EXPECT_EQ(VersionString(data, L"FileVersion"), u"1.9.0.0");
    EXPECT_EQ(VersionString(data, L"ProductVersion"), u"1.9.0.0");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(9, 1)));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), L"Zellora"), nullptr);
}

} // namespace
