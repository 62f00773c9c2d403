// The main window: what creation builds, the entry list, the panel's visibility, and the
// commands that do not carry the document (Open after export, Help, menu state, teardown).
#include "tests/gui/gui_harness.h"

#include <algorithm>
#include <memory>

#include "app/main_window.h"
#include "app/shell_state.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/wide.h"
#include "resources/resource.h"

namespace {

// Called through ExpectChild, which passes the caller's line.
void ExpectChildAt(const char* file, int line, HWND parent, HWND child, int id,
                   const char16_t* className, const char16_t* text, LONG style, RECT expected) {
    testing::ScopedTrace trace(file, line, "ExpectChild called here");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), id);
    wchar_t buffer[64] = {};
    GetClassNameW(child, buffer, 64);
    EXPECT_EQ(lstrcmpiW(buffer, W(className)), 0) << Narrow(U(buffer));
    GetWindowTextW(child, buffer, 64);
    EXPECT_EQ(std::u16string(U(buffer)), text);
    EXPECT_EQ(GetWindowLongW(child, GWL_STYLE) & style, style);
    EXPECT_FALSE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE);
    const RECT rect = ChildRect(parent, child);
    EXPECT_EQ(rect.left, expected.left) << id;
    EXPECT_EQ(rect.top, expected.top) << id;
    EXPECT_EQ(rect.right - rect.left, expected.right) << id;
    EXPECT_EQ(rect.bottom - rect.top, expected.bottom) << id;
}

#define ExpectChild(...) ExpectChildAt(__FILE__, __LINE__, __VA_ARGS__)

using MainWindowTest = ShellTest;

TEST_F(MainWindowTest, CreationBuildsHiddenControlsFromTheDialogBaseUnits) {
    EXPECT_EQ(Caption(), u"Zellora");
    EXPECT_EQ(CurrentTitle, u"Unbenannt");
    EXPECT_EQ(SimulatorRoot, TestSimulatorFolder);
    EXPECT_EQ(EntryPanel, nullptr);
    EXPECT_FALSE(DocumentOpen);
    EXPECT_EQ(GetWindowLongW(Window, GWL_STYLE) & WS_OVERLAPPEDWINDOW, LONG(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(GetClassLongW(Window, GCL_STYLE), UINT(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(GetClassLongPtrW(Window, GCLP_HBRBACKGROUND), LONG_PTR(COLOR_BTNFACE + 1));
    EXPECT_NE(GetClassLongPtrW(Window, GCLP_HICON), 0);
    EXPECT_NE(GetMenu(Window), nullptr);

    const LONG units = GetDialogBaseUnits();
    const int cx = LOWORD(units);
    const int cy = HIWORD(units);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    // The list drops WS_VSCROLL itself while its lines fit. It takes the height it is given,
    // not only whole lines, so that the panel stays right below it as the window grows.
    ExpectChild(Window, EntryList, IDC_ENTRY_LIST, u"listbox", u"",
                WS_CHILD | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_TABSTOP,
                {20, 3 * cy, bar + 50 * cx, 10 * cy});
    ExpectChild(Window, AddButton, IDC_ADD_ENTRY, u"button", u"Hinzufügen",
                WS_CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, {120, cy / 2, bar + 10 * cx, 2 * cy});
    ExpectChild(Window, RemoveButton, IDC_REMOVE_ENTRY, u"button", u"Löschen",
                WS_CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, {230, cy / 2, bar + 8 * cx, 2 * cy});

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(EntryList, WM_GETFONT, 0, 0));
    ASSERT_EQ(font, ListFont);
    LOGFONTW face{};
    ASSERT_NE(GetObjectW(font, sizeof(face), &face), 0);
    EXPECT_EQ(face.lfHeight, 15);
    EXPECT_EQ(face.lfWeight, 0);
    EXPECT_EQ(std::u16string(U(face.lfFaceName)), u"Tahoma");
}

// Wider borders, a taller caption and a taller menu, as current systems have them; restored
// when the test ends.
struct LargerFrames {
    NONCLIENTMETRICSW Kept{};
    LargerFrames(int border, int caption, int menu) {
        Kept.cbSize = sizeof Kept;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof Kept, &Kept, 0);
        NONCLIENTMETRICSW larger = Kept;
        larger.iBorderWidth = border;
        larger.iCaptionHeight = caption;
        larger.iMenuHeight = menu;
        SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof larger, &larger, 0);
    }
    ~LargerFrames() { SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof Kept, &Kept, 0); }
};

TEST_F(MainWindowTest, TheWholePanelFitsBesideAndBelowTheListWithTheSystemsMetrics) {
    struct Metrics {
        int Border, Caption, Menu; // 0: as the system has them
    };
    for (const Metrics m : {Metrics{0, 0, 0}, Metrics{8, 45, 40}}) {
        std::unique_ptr<LargerFrames> larger;
        if (m.Caption != 0) {
            larger = std::make_unique<LargerFrames>(m.Border, m.Caption, m.Menu);
            Modified = false;
            DestroyWindow(Window);
            Window = CreateMainWindow(GetModuleHandleW(nullptr), L"");
            ASSERT_NE(Window, nullptr);
        }
        Command(IDM_NEW);
        ASSERT_NE(EntryPanel, nullptr);
        RECT client{};
        GetClientRect(Window, &client);
        const RECT panel = ChildRect(Window, EntryPanel);
        const RECT list = ChildRect(Window, EntryList);
        const RECT lastBox =
            ChildRect(Window, GetDlgItem(EntryPanel, IDC_FIXED_DYNAMIC_VISIBILITY));
        EXPECT_LE(panel.bottom, client.bottom) << m.Caption;
        EXPECT_LE(lastBox.bottom, client.bottom) << m.Caption;
        // Below the panel as much room as on its left, no more; on the right as much as on the
        // left of the list or the panel, whichever is wider.
        EXPECT_EQ(client.bottom - panel.bottom, panel.left) << m.Caption;
        EXPECT_EQ(client.right, std::max(list.right, panel.right) + std::max(list.left, panel.left))
            << m.Caption;
    }
}

const char* const MixedGroup =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<GRUPPENOBJECT>\r\n"
    "<Props FileInfo=\"Bahnhof\" />\r\n"
    "<Font>\r\n<Props Name=\"C:\\Sim\\Schrift\\Schild.fzlfnt\" DefaultText=\"Halt\" "
    "/>\r\n</Font>\r\n"
    "<Object>\r\n<Props Name=\"C:\\Sim\\Objekte\\Lampe.fzlobj\" ZoomFaktor=\"1\" "
    "/>\r\n</Object>\r\n"
    "<IObject>\r\n<Props Name=\"C:\\Sim\\Gruppen\\Haus.fzlgrp\" />\r\n</IObject>\r\n"
    "<Object>\r\n<Props Name=\"C:\\Sim\\Objekte\\Bank*.fzlobj\" />\r\n</Object>\r\n"
    "<iObject>\r\n<Props Name=\"C:\\Sim\\Gruppen\\Hof.fzlgrp\" />\r\n</iObject>\r\n"
    "</GRUPPENOBJECT>";

TEST_F(MainWindowTest, ListShowsGroupsThenObjectsThenLabelsByTheirNamesAndTexts) {
    Open(WriteTestFile("gemischt.fzlgrp", MixedGroup));
    EXPECT_TRUE(Script.Messages.empty());
    EXPECT_EQ(Caption(), u"Zellora - gemischt.fzlgrp");
    // A label shows its text; every name without its folder, even one no file can have.
    const std::vector<std::u16string> expected = {u"Haus.fzlgrp", u"Hof.fzlgrp", u"Lampe.fzlobj",
                                                  u"Bank*.fzlobj", u"Halt"};
    EXPECT_EQ(ListLines(), expected);
    EXPECT_TRUE(Visible(EntryList));
    EXPECT_TRUE(Visible(AddButton));
    EXPECT_TRUE(Visible(RemoveButton));
    ASSERT_NE(EntryPanel, nullptr);
    EXPECT_FALSE(Visible(EntryPanel));
    EXPECT_EQ(SendMessageW(EntryList, LB_GETCURSEL, 0, 0), LB_ERR);

    SendMessageW(EntryList, LB_SETCURSEL, 2, 0);
    SendMessageW(Window, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(EntryList));
    EXPECT_EQ(SelectedIndex, 2);
    EXPECT_TRUE(Visible(EntryPanel));
    SendMessageW(EntryList, LB_SETCURSEL, WPARAM(-1), 0);
    SendMessageW(Window, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(EntryList));
    EXPECT_EQ(SelectedIndex, -1);
    EXPECT_FALSE(Visible(EntryPanel));
}

TEST_F(MainWindowTest, MenuStateFollowsSelectionAndCopySlots) {
    Open(WriteTestFile("gemischt.fzlgrp", MixedGroup));
    HMENU edit = GetSubMenu(GetMenu(Window), 1);
    auto state = [&](UINT id) {
        SendMessageW(Window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
        return GetMenuState(edit, id, MF_BYCOMMAND) & MF_GRAYED;
    };
    EXPECT_EQ(state(IDM_COPY), UINT(MF_GRAYED));
    EXPECT_EQ(state(IDM_PASTE), UINT(MF_GRAYED));
    SelectedIndex = 4;
    EXPECT_EQ(state(IDM_COPY), 0u);
    SelectedIndex = 5;
    EXPECT_EQ(state(IDM_COPY), UINT(MF_GRAYED));
    ClipboardFont = std::make_unique<FontEntry>();
    EXPECT_EQ(state(IDM_PASTE), 0u);
    DocumentOpen = false;
    EXPECT_EQ(state(IDM_PASTE), UINT(MF_GRAYED));
}

TEST_F(MainWindowTest, DestroyingTheWindowReleasesEverythingAndQuits) {
    Open(WriteTestFile("gemischt.fzlgrp", MixedGroup));
    ClipboardEntry = std::make_unique<ObjectEntry>();
    ClipboardFont = std::make_unique<FontEntry>();
    DestroyWindow(Window);
    EXPECT_EQ(ClipboardEntry, nullptr);
    EXPECT_EQ(ClipboardFont, nullptr);
    EXPECT_EQ(EntryCount(CurrentDocument), 0u);
    EXPECT_EQ(ListFont, nullptr);
    EXPECT_EQ(EntryPanel, nullptr);
    MSG message{};
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(MainWindowTest, OpenAfterExportTogglesItsCheckMark) {
    HMENU menu = GetMenu(Window);
    Command(IDM_OPEN_AFTER_EXPORT);
    EXPECT_FALSE(OpenAfterExport);
    EXPECT_EQ(GetMenuState(menu, IDM_OPEN_AFTER_EXPORT, MF_BYCOMMAND) & MF_CHECKED, 0u);
    Command(IDM_OPEN_AFTER_EXPORT);
    EXPECT_TRUE(OpenAfterExport);
    EXPECT_EQ(GetMenuState(menu, IDM_OPEN_AFTER_EXPORT, MF_BYCOMMAND) & MF_CHECKED,
              UINT(MF_CHECKED));
}

TEST_F(MainWindowTest, HelpOpensTheReadmeFromTheProgramFolder) {
    SetCurrentDirectoryW(W(TestFolder));
    Script.ShellAnswers = {ERROR_FILE_NOT_FOUND, 42};
    Command(IDM_HELP);
    ASSERT_EQ(Script.ShellCalls.size(), 1u);
    const ShellCall& call = Script.ShellCalls[0];
    EXPECT_EQ(call.Owner, Window);
    EXPECT_EQ(call.Verb, u"open");
    EXPECT_EQ(call.File, u"Readme.pdf");
    EXPECT_FALSE(call.HasParameters);
    EXPECT_FALSE(call.HasDirectory);
    EXPECT_EQ(call.Show, SW_SHOWMAXIMIZED);
    EXPECT_EQ(CurrentDirectory() + u"\\", ProgramFolder);
    ASSERT_EQ(Script.Messages.size(), 1u);
    EXPECT_EQ(Script.Messages[0].Text, u"Fehler beim Öffnen von Readme.pdf");
    EXPECT_EQ(Script.Messages[0].Caption, u"Zellora");
    EXPECT_EQ(Script.Messages[0].Flags, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(Script.Messages[0].Owner, Window);

    Command(IDM_HELP); // started: nothing to report
    EXPECT_EQ(Script.Messages.size(), 1u);
}

// How long the editor takes to show a large scene is measured here and reported, not
// asserted: the figure goes into the README.
TEST_F(MainWindowTest, ListShowsEveryEntryOfALargeDocument) {
    const size_t count = 32767;
    FreeGroupDocument(&CurrentDocument);
    for (size_t i = 0; i < count; ++i) {
        auto entry = std::make_unique<ObjectEntry>();
        entry->Name = u"\\Objekte\\Bäume\\Linde_" + Wide(std::to_string(i)) + u".fzlobj";
        CurrentDocument.Objects.push_back(std::move(entry));
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ASSERT_TRUE(RefillEntryList());
    QueryPerformanceCounter(&end);
    double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    RecordProperty("fill_seconds", std::to_string(seconds));
    printf("filling the list with %zu entries took %.3f s\n", count, seconds);
    EXPECT_EQ(size_t(SendMessageW(EntryList, LB_GETCOUNT, 0, 0)), count);
    FreeGroupDocument(&CurrentDocument);
    ClearEntryList();
}

} // namespace
