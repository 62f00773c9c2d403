// The dialog "Pfade anpassen": both modes, storing the folder from the folder browser and
// from the install key, the failures, the shortening of the document's names, and the
// question for a folder at start-up.
#include "tests/gui/gui_harness.h"

#include <memory>

#include "app/main_window.h"
#include "app/shell_state.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"
#include "tests/gui/modal_dialog.h"

namespace {

const wchar_t InstallKeyPath[] = L"SOFTWARE\\Ferrolino-Group\\Install";

// What the folder browser answers; every call is kept.
struct BrowseScript {
    bool Pick = false;
    bool FileSystemFolder = true;
    std::u16string Folder;
    int Calls = 0;
    HWND Owner = nullptr;
    std::u16string Title;
    UINT Flags = 1;
    bool HasRoot = true;
    bool HasDisplayBuffer = false;
};
BrowseScript Browse;

PIDLIST_ABSOLUTE WINAPI ScriptedBrowse(BROWSEINFOW* info) {
    ++Browse.Calls;
    Browse.Owner = info->hwndOwner;
    Browse.Title = info->lpszTitle != nullptr ? U(info->lpszTitle) : u"";
    Browse.Flags = info->ulFlags;
    Browse.HasRoot = info->pidlRoot != nullptr;
    Browse.HasDisplayBuffer = info->pszDisplayName != nullptr;
    if (!Browse.Pick) {
        return nullptr;
    }
    // The program frees the item with the shell's allocator, which is the task allocator.
    return static_cast<PIDLIST_ABSOLUTE>(CoTaskMemAlloc(sizeof(USHORT)));
}

BOOL WINAPI ScriptedPath(PCIDLIST_ABSOLUTE, wchar_t* path) {
    if (!Browse.FileSystemFolder) {
        return FALSE;
    }
    std::copy(Browse.Folder.begin(), Browse.Folder.end(), path);
    path[Browse.Folder.size()] = L'\0';
    return TRUE;
}

void SetInstallPaths(const std::u16string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, InstallKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Paths", 0, REG_SZ, reinterpret_cast<const BYTE*>(W(value)),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void RemoveInstallKey() {
    RegDeleteKeyW(HKEY_CURRENT_USER, InstallKeyPath);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\Ferrolino-Group");
}

// Keeps options.cfg and the root as the harness wrote them, whatever a test stores.
class PathsDialogTest : public ShellTest {
  protected:
    void SetUp() override {
        Options = ProgramFolder + u"options.cfg";
        KeptOptions = ReadTestFile(Options);
        Browse = BrowseScript{};
        RemoveInstallKey();
        ShellTest::SetUp();
        Ui.BrowseForFolder = ScriptedBrowse;
        Ui.PathFromIdList = ScriptedPath;
    }
    void TearDown() override {
        ShellTest::TearDown();
        InjectedFaults = PlatformFaults();
        RemoveInstallKey();
        WriteOptions(KeptOptions);
        SimulatorRoot = TestSimulatorFolder;
    }
    void WriteOptions(const std::string& bytes) const {
        HANDLE file = CreateFileW(W(Options), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string StoredOptions() const { return ReadTestFile(Options); }

    // Opens the dialog from the menu and presses the buttons in turn; the dialog is seen
    // as it is after each of them.
    void PressInDialog(std::initializer_list<WORD> buttons,
                       const std::function<void(HWND)>& look = nullptr) {
        WithModalDialog([&] { Command(IDM_ADJUST_PATHS); },
                        [&](HWND dialog) {
                            Dialog = dialog;
                            for (WORD button : buttons) {
                                SendMessageW(dialog, WM_COMMAND, button, 0);
                            }
                            if (look) {
                                look(dialog);
                            }
                            if (IsWindow(dialog)) {
                                SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                            }
                        });
    }
    void ExpectBadPath(size_t index = 0) const {
        ASSERT_GT(Script.Messages.size(), index);
        EXPECT_EQ(Script.Messages[index].Text, u"Fehlerhafter Pfad");
        EXPECT_EQ(Script.Messages[index].Caption, u"Zellora");
        EXPECT_EQ(Script.Messages[index].Flags, UINT(MB_ICONEXCLAMATION));
        EXPECT_EQ(Script.Messages[index].Owner, Dialog);
    }

    std::u16string Options;
    std::string KeptOptions;
    HWND Dialog = nullptr;
};

const std::string Mark = "\xEF\xBB\xBF";

TEST_F(PathsDialogTest, WithoutADocumentItOnlySetsTheFolder) {
    PressInDialog({}, [&](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), u"Pfade anpassen");
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), u"Ok");
        EXPECT_FALSE(Visible(GetDlgItem(dialog, IDC_ADJUST_PATH_NAMES)));
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_PATH_SHOWN)), TestSimulatorFolder);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_SET_PATH)), u"Pfad setzen");
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_SEARCH_PATH)), u"Automatische Pfadsuche");
        EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, IDC_PATH_SHOWN), GWL_STYLE) & ES_READONLY,
                  ES_READONLY);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), Window);
    });
    EXPECT_FALSE(IsWindow(Dialog));
    EXPECT_EQ(StoredOptions(), KeptOptions);
}

TEST_F(PathsDialogTest, WithADocumentItOffersTheAdjustmentAndShowsAMissingFileEmpty) {
    Command(IDM_NEW);
    DeleteTestFile(Options);
    PressInDialog({}, [&](HWND dialog) {
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), u"Abbrechen");
        EXPECT_TRUE(Visible(GetDlgItem(dialog, IDC_ADJUST_PATH_NAMES)));
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_ADJUST_PATH_NAMES)), u"Pfade anpassen");
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_PATH_SHOWN)), u"");
        EXPECT_EQ(
            reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, IDC_PATH_SHOWN, WM_GETFONT, 0, 0)),
            ListFont);
    });
    EXPECT_EQ(SimulatorRoot, TestSimulatorFolder); // opening the dialog reads only for display
}

TEST_F(PathsDialogTest, ABrowsedFolderIsStoredWithOneBackslash) {
    Browse.Pick = true;
    Browse.Folder = u"C:\\Spiele\\Ferrolino";
    PressInDialog({IDC_SET_PATH}, [&](HWND dialog) {
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_PATH_SHOWN)), u"C:\\Spiele\\Ferrolino\\");
        EXPECT_EQ(StoredOptions(), Mark + "C:\\Spiele\\Ferrolino\\");
        EXPECT_EQ(SimulatorRoot, u"C:\\Spiele\\Ferrolino\\");
        // A folder that has its backslash keeps just that one; the last store wins.
        Browse.Folder = u"D:\\Sim\\";
        SendMessageW(dialog, WM_COMMAND, IDC_SET_PATH, 0);
        EXPECT_TRUE(IsWindow(dialog));
    });
    EXPECT_EQ(StoredOptions(), Mark + "D:\\Sim\\");
    EXPECT_EQ(SimulatorRoot, u"D:\\Sim\\");
    EXPECT_EQ(Browse.Calls, 2);
    EXPECT_EQ(Browse.Owner, Dialog);
    EXPECT_EQ(Browse.Title, u"Bitte geben Sie den Ferrolino Pfad an!");
    EXPECT_EQ(Browse.Flags, 0u);
    EXPECT_FALSE(Browse.HasRoot);
    EXPECT_TRUE(Browse.HasDisplayBuffer);
    EXPECT_TRUE(Script.Messages.empty());
    EXPECT_EQ(CurrentDirectory() + u"\\", ProgramFolder);
}

TEST_F(PathsDialogTest, ACancelledOrVirtualFolderIsABadPath) {
    PressInDialog({IDC_SET_PATH}, [&](HWND dialog) { EXPECT_TRUE(IsWindow(dialog)); });
    ExpectBadPath(0);
    Browse.Pick = true;
    Browse.FileSystemFolder = false;
    PressInDialog({IDC_SET_PATH});
    ExpectBadPath(1);
    EXPECT_EQ(Script.Messages.size(), 2u);
    EXPECT_EQ(StoredOptions(), KeptOptions);
    EXPECT_EQ(SimulatorRoot, TestSimulatorFolder);
}

TEST_F(PathsDialogTest, AProgramFolderThatRefusesTheFileChangesNothing) {
    Browse.Pick = true;
    Browse.Folder = u"C:\\Neu\\";
    for (int fault = 0; fault < 3; ++fault) {
        InjectedFaults = PlatformFaults();
        InjectedFaults.RefuseCreate = fault == 0;
        InjectedFaults.RefuseReplace = fault == 1;
        InjectedFaults.WriteLimit = fault == 2 ? 2 : -1;
        PressInDialog({IDC_SET_PATH}, [&](HWND dialog) {
            EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_PATH_SHOWN)), TestSimulatorFolder);
        });
        InjectedFaults = PlatformFaults();
        EXPECT_EQ(StoredOptions(), KeptOptions) << fault;
        EXPECT_EQ(SimulatorRoot, TestSimulatorFolder) << fault;
    }
    EXPECT_TRUE(Script.Messages.empty());
}

TEST_F(PathsDialogTest, TheAutomaticSearchReadsTheInstallKey) {
    struct Case {
        const char16_t* Value;
        std::string Stored;
    };
    const Case cases[] = {
        {u"C:\\Sim\\Sim.exe|D:\\Alt\\Sim.exe", Mark + "C:\\Sim\\"},
        {u"C:\\Sim\\|D:\\Alt\\", Mark + "C:\\Sim\\"},
        {u"D:\\Ferrolino\\Sim.exe", Mark + "D:\\Ferrolino\\"},
    };
    for (const Case& c : cases) {
        SetInstallPaths(c.Value);
        PressInDialog({IDC_SEARCH_PATH});
        EXPECT_EQ(StoredOptions(), c.Stored) << Narrow(c.Value);
    }
    EXPECT_EQ(SimulatorRoot, u"D:\\Ferrolino\\");
    EXPECT_EQ(Browse.Calls, 0);
    EXPECT_TRUE(Script.Messages.empty());
}

TEST_F(PathsDialogTest, WithoutTheInstallKeyTheSearchBrowses) {
    PressInDialog({IDC_SEARCH_PATH});
    EXPECT_EQ(Browse.Calls, 1);
    ExpectBadPath();
    EXPECT_EQ(StoredOptions(), KeptOptions);

    // A value too long for the folder buffer counts as none.
    SetInstallPaths(u"C:\\" + std::u16string(300, u'x') + u"\\Sim.exe");
    Browse.Pick = true;
    Browse.Folder = u"E:\\Sim";
    PressInDialog({IDC_SEARCH_PATH});
    EXPECT_EQ(Browse.Calls, 2);
    EXPECT_EQ(StoredOptions(), Mark + "E:\\Sim\\");

    // Nor does a value that names no folder: it would become a root that is no folder.
    for (const char16_t* value : {u"C:", u"Ferrolino"}) {
        SetInstallPaths(value);
        PressInDialog({IDC_SEARCH_PATH});
    }
    EXPECT_EQ(Browse.Calls, 4);
    EXPECT_EQ(StoredOptions(), Mark + "E:\\Sim\\");
}

TEST_F(PathsDialogTest, AdjustingShortensTheNamesAsAChangeAndCloses) {
    const std::string group = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                              "<GRUPPENOBJECT>\r\n<Props FileInfo=\"x\" />";
    auto entry = [](const char* kind, const std::u16string& name) {
        return "\r\n<" + std::string(kind) + ">\r\n<Props Name=\"" + Narrow(name) + "\" />\r\n</" +
               kind + ">";
    };
    const std::u16string file = WriteTestFile(
        "adjust.fzlgrp", group + entry("Object", TestSimulatorFolder + u"Objekte\\Baum.fzlobj") +
                             entry("Object", u"C:\\Anderswo\\Haus.fzlobj") +
                             entry("IObject", TestSimulatorFolder + u"Gruppen\\Lampe.fzlgrp") +
                             "\r\n</GRUPPENOBJECT>");
    Open(file);
    ASSERT_TRUE(DocumentOpen);
    PressInDialog({IDC_ADJUST_PATH_NAMES});
    EXPECT_FALSE(IsWindow(Dialog));
    EXPECT_EQ(*CurrentDocument.Objects[0]->Name, u"\\Objekte\\Baum.fzlobj");
    EXPECT_EQ(*CurrentDocument.Objects[1]->Name, u"C:\\Anderswo\\Haus.fzlobj");
    EXPECT_EQ(*CurrentDocument.IObjects[0]->Name, u"\\Gruppen\\Lampe.fzlgrp");
    EXPECT_EQ(ListLines(),
              (std::vector<std::u16string>{u"Lampe.fzlgrp", u"Baum.fzlobj", u"Haus.fzlobj"}));
    EXPECT_EQ(SelectedIndex, -1);
    // Changed names are a change: closing asks before they are lost.
    EXPECT_TRUE(Modified);
    Script.MessageAnswers = {IDCANCEL};
    SendMessageW(Window, WM_CLOSE, 0, 0);
    ASSERT_EQ(Script.Messages.size(), 1u);
    EXPECT_EQ(Script.Messages[0].Text, u"Veränderungen in adjust.fzlgrp speichern?");
    EXPECT_TRUE(IsWindow(Window));
    // Names that are already short stay as they are, and that is no change.
    Modified = false;
    PressInDialog({IDC_ADJUST_PATH_NAMES});
    EXPECT_FALSE(Modified);
    // The adjustment was one step: undone, every name is as the file has it.
    SendMessageW(Window, WM_COMMAND, IDM_UNDO, 0);
    EXPECT_EQ(*CurrentDocument.Objects[0]->Name, TestSimulatorFolder + u"Objekte\\Baum.fzlobj");
    EXPECT_EQ(*CurrentDocument.IObjects[0]->Name, TestSimulatorFolder + u"Gruppen\\Lampe.fzlgrp");
    EXPECT_FALSE(Modified);
    DeleteTestFile(file);
}

// Without a known folder the question comes before the main window is ever shown.
TEST(PathsAtStartUp, WithoutAFolderTheDialogComesFirstInItsShortForm) {
    Script = UiScript{};
    const std::u16string options = ProgramFolder + u"options.cfg";
    const std::string kept = ReadTestFile(options);
    DeleteTestFile(options);
    HWND window = nullptr;
    WithModalDialog([&] { window = CreateMainWindow(GetModuleHandleW(nullptr), L""); },
                    [&](HWND dialog) {
                        EXPECT_NE(MainWindow, nullptr);
                        EXPECT_FALSE(IsWindowVisible(MainWindow));
                        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), u"Ok");
                        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_ADJUST_PATH_NAMES)));
                        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_PATH_SHOWN)), u"");
                        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                    });
    // Closed without storing: the editor goes on without a folder.
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(SimulatorRoot, u"");
    EXPECT_TRUE(Script.Messages.empty());
    DestroyWindow(window);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    HANDLE file = CreateFileW(W(options), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, kept.data(), DWORD(kept.size()), &written, nullptr);
    CloseHandle(file);
    SimulatorRoot = TestSimulatorFolder;
}

} // namespace
