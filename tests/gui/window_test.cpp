// The main window as it grows, shrinks, changes DPI and comes back where it was; Tab through
// its controls; the recent files in "Datei".
#include "tests/gui/entry_fixture.h"

#include <cstdlib>

#include "app/main_window.h"
#include "app/startup.h"
#include "app/window_layout.h"
#include "paths/options_file.h"
#include "paths/settings_file.h"
#include "platform/platform.h"

namespace {

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class WindowTest : public EntryTest {
  protected:
    // The list, the two buttons and the panel: each inside the client area, none on another.
    void ExpectNothingOverlaps(const std::string& when) const {
        RECT client{};
        GetClientRect(Window, &client);
        const HWND controls[] = {EntryList, AddButton, RemoveButton, EntryPanel};
        for (size_t i = 0; i < std::size(controls); ++i) {
            const RECT a = ChildRect(Window, controls[i]);
            RECT inside{};
            IntersectRect(&inside, &a, &client);
            EXPECT_TRUE(EqualRect(&inside, &a)) << when << ": " << i << " " << Text(a);
            for (size_t j = i + 1; j < std::size(controls); ++j) {
                const RECT b = ChildRect(Window, controls[j]);
                RECT both{};
                EXPECT_FALSE(IntersectRect(&both, &a, &b))
                    << when << ": " << i << " " << Text(a) << " and " << j << " " << Text(b);
            }
        }
    }

    void Resize(int width, int height) const {
        SetWindowPos(Window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    }

    SIZE Frame() const {
        RECT frame{};
        GetWindowRect(Window, &frame);
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    }

    void Recreate() {
        Modified = false;
        DestroyWindow(Window);
        Window = CreateMainWindow(GetModuleHandleW(nullptr), L"");
        ASSERT_NE(Window, nullptr);
    }

    std::string SettingsBytes() const {
        std::string bytes;
        ReadWholeFile(ProgramFolder + SettingsFileName, bytes);
        return bytes;
    }
};

// Larger, the list takes the new width and height and the panel moves down with the list's
// lower edge; smaller, the list gets shorter, down to the smallest size the window takes.
// (The test's screen is 768 pixels high; the system keeps windows no higher than that.)
TEST_F(WindowTest, TheListTakesTheRoomAndThePanelMovesWithItsLowerEdge) {
    OpenMixed();
    SelectLine(1);
    ASSERT_TRUE(Visible(EntryPanel));
    const SIZE start = Frame();
    const RECT list = ChildRect(Window, EntryList);
    const RECT add = ChildRect(Window, AddButton);
    const RECT panel = ChildRect(Window, EntryPanel);
    MINMAXINFO limits{};
    SendMessageW(Window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, start.cx);
    EXPECT_LT(limits.ptMinTrackSize.y, start.cy);

    struct Case {
        int Wider, Higher;
    } cases[] = {{300, 90}, {0, 37}, {120, -60}, {0, limits.ptMinTrackSize.y - start.cy}};
    for (const Case& c : cases) {
        const std::string when = std::to_string(c.Wider) + " " + std::to_string(c.Higher);
        Resize(start.cx + c.Wider, start.cy + c.Higher);
        const RECT grown = ChildRect(Window, EntryList);
        EXPECT_EQ(grown.left, list.left) << when;
        EXPECT_EQ(grown.top, list.top) << when;
        EXPECT_EQ(grown.right, list.right + c.Wider) << when;
        EXPECT_EQ(grown.bottom, list.bottom + c.Higher) << when;
        const RECT moved = ChildRect(Window, EntryPanel);
        EXPECT_EQ(moved.left, panel.left) << when;
        EXPECT_EQ(moved.top, panel.top + c.Higher) << when;
        EXPECT_EQ(Text(ChildRect(Window, AddButton)), Text(add)) << when;
        ExpectNothingOverlaps(when);
    }
    Resize(start.cx, start.cy);
    EXPECT_EQ(Text(ChildRect(Window, EntryList)), Text(list));
    EXPECT_EQ(Text(ChildRect(Window, EntryPanel)), Text(panel));
}

// Checked at the test's DPI, and at 144 DPI by the run in a prefix set to it; a change of the
// monitor's DPI lays the window out anew.
TEST_F(WindowTest, AtTheMonitorsDpiTheControlsFitAndDoNotOverlap) {
    Command(IDM_NEW);
    const UINT dpi = WindowDpi(Window);
    if (const char* expected = std::getenv("ZELLORA_TEST_DPI")) {
        EXPECT_EQ(dpi, UINT(std::atoi(expected)));
    }
    struct Step {
        UINT Dpi;
    } steps[] = {{dpi}, {dpi * 2}, {dpi}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        const UINT now = steps[i].Dpi;
        if (i > 0) {
            RECT suggested{};
            GetWindowRect(Window, &suggested);
            SendMessageW(Window, WM_DPICHANGED, MAKEWPARAM(now, now),
                         reinterpret_cast<LPARAM>(&suggested));
        }
        LOGFONTW face{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(EntryList, WM_GETFONT, 0, 0)), sizeof face,
                   &face);
        EXPECT_EQ(face.lfHeight, MulDiv(15, int(now), 96)) << now;
        EXPECT_EQ(ChildRect(Window, EntryList).left, MulDiv(20, int(now), 96)) << now;
        ExpectNothingOverlaps("at " + std::to_string(now) + " DPI");
    }
}

TEST_F(WindowTest, PlaceSizeAndMaximisedStateAreRememberedAcrossStarts) {
    const SIZE start = Frame();
    SetWindowPos(Window, nullptr, 60, 20, start.cx + 100, start.cy + 20, SWP_NOZORDER);
    Recreate();
    const std::string place = "window=60,20," + std::to_string(60 + start.cx + 100) + "," +
                              std::to_string(20 + start.cy + 20) + "\r\n";
    EXPECT_EQ(SettingsBytes(), place + "maximized=0\r\n");
    RECT frame{};
    GetWindowRect(Window, &frame);
    EXPECT_EQ(Text(frame), Text(RECT{60, 20, 60 + start.cx + 100, 20 + start.cy + 20}));
    EXPECT_EQ(ShowCommandAtStart(SW_SHOWNORMAL), SW_SHOWNORMAL);

    // Maximised, the list takes the whole screen's room; the normal place is kept.
    ShowWindow(Window, SW_SHOWMAXIMIZED);
    EXPECT_GT(ChildRect(Window, EntryList).right, 60 + start.cx);
    Recreate();
    EXPECT_EQ(SettingsBytes(), place + "maximized=1\r\n");
    EXPECT_EQ(ShowCommandAtStart(SW_SHOWNORMAL), SW_SHOWMAXIMIZED);
    EXPECT_EQ(ShowCommandAtStart(SW_SHOWDEFAULT), SW_SHOWMAXIMIZED);
    EXPECT_EQ(ShowCommandAtStart(SW_SHOWMINNOACTIVE), SW_SHOWMINNOACTIVE);

    // A place on a monitor that is gone comes back onto this one, whole.
    Modified = false;
    DestroyWindow(Window);
    Settings = EditorSettings{};
    ASSERT_TRUE(ReplaceProgramFolderFile(SettingsFileName, "window=5000,-3000,5100,-2950\r\n"));
    Window = CreateMainWindow(GetModuleHandleW(nullptr), L"");
    ASSERT_NE(Window, nullptr);
    GetWindowRect(Window, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(Window, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT shown{};
    IntersectRect(&shown, &frame, &monitor.rcWork);
    EXPECT_TRUE(EqualRect(&shown, &frame)) << Text(frame);
    EXPECT_EQ(frame.right - frame.left, start.cx); // no smaller than the contents need
}

int FocusedField() {
    HWND focus = GetFocus();
    // The edit part of a combo box has the focus; the combo box is the field.
    return GetParent(focus) != MainWindow && GetParent(focus) != EntryPanel
               ? GetDlgCtrlID(GetParent(focus))
               : GetDlgCtrlID(focus);
}

TEST_F(WindowTest, TabGoesFromTheListThroughThePanelAndBack) {
    OpenMixed();
    SelectLine(1);
    SetFocus(EntryList);
    const int expected[] = {
        IDC_FILE_NAME,      IDC_CHOOSE_FILE,        IDC_POSITION_X,
        IDC_POSITION_Y,     IDC_POSITION_Z,         IDC_ROTATION_X,
        IDC_ROTATION_Y,     IDC_ROTATION_Z,         IDC_SHOW_ON,
        IDC_HIDE_ON,        IDC_FAR_VISIBLE,        IDC_ZOOM_FACTOR,
        IDC_BLINK_INTERVAL, IDC_DYNAMIC_VISIBILITY, IDC_FIXED_DYNAMIC_VISIBILITY,
        IDC_ADD_ENTRY,      IDC_REMOVE_ENTRY,       IDC_ENTRY_LIST};
    for (int id : expected) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(RouteKeyMessage(Window, nullptr, tab));
        EXPECT_EQ(FocusedField(), id);
    }
    EXPECT_FALSE(Modified); // passing through the fields changes nothing
}

std::vector<std::u16string> FileMenuTexts(HWND window) {
    HMENU menu = GetSubMenu(GetMenu(window), 0);
    std::vector<std::u16string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[300] = {};
        GetMenuStringW(menu, UINT(i), text, 300, MF_BYPOSITION);
        const bool separator = GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_SEPARATOR;
        texts.push_back(separator ? u"-" : U(text));
    }
    return texts;
}

TEST_F(WindowTest, RecentFilesAreListedAboveBeendenAndKeptAcrossStarts) {
    const std::vector<std::u16string> fixed = {u"&Neu\tStrg+N", u"Ö&ffnen\tStrg+O",
                                               u"&Speichern\tStrg+S", u"Speichern &unter", u"-"};
    auto menu = [&](std::vector<std::u16string> recent) {
        std::vector<std::u16string> texts = fixed;
        texts.insert(texts.end(), recent.begin(), recent.end());
        if (!recent.empty()) {
            texts.push_back(u"-");
        }
        texts.push_back(u"&Beenden");
        return texts;
    };
    EXPECT_EQ(FileMenuTexts(Window), menu({}));
    const std::u16string a = WriteTestFile("a & b.fzlgrp", GroupFile(""));
    const std::u16string b = WriteTestFile("bahnhof.fzlgrp", GroupFile(""));
    Open(a);
    Open(b);
    Open(a);
    const std::u16string saved = TestFolder + u"kopie.efzlgrp";
    DeleteTestFile(saved);
    Script.DialogAnswers.push_back({true, saved, 1});
    EXPECT_EQ(Command(IDM_SAVE_AS), 1);
    EXPECT_EQ(FileMenuTexts(Window),
              menu({u"&1 kopie.efzlgrp", u"&2 a && b.fzlgrp", u"&3 bahnhof.fzlgrp"}));
    const std::string bytes = SettingsBytes();
    EXPECT_EQ(bytes.substr(bytes.find("recent=")), "recent=" + Narrow(saved) +
                                                       "\r\nrecent=" + Narrow(a) +
                                                       "\r\nrecent=" + Narrow(b) + "\r\n");

    // The next start lists them too; a file that is gone is said so and taken off.
    Recreate();
    EXPECT_EQ(FileMenuTexts(Window),
              menu({u"&1 kopie.efzlgrp", u"&2 a && b.fzlgrp", u"&3 bahnhof.fzlgrp"}));
    DeleteTestFile(a);
    Command(IDM_RECENT_FIRST + 1);
    ASSERT_EQ(Script.Messages.size(), 1u);
    EXPECT_EQ(Script.Messages[0].Text, a + u" existiert nicht mehr.");
    EXPECT_EQ(Script.Messages[0].Caption, u"Zellora");
    EXPECT_EQ(Script.Messages[0].Flags, Warning);
    EXPECT_EQ(FileMenuTexts(Window), menu({u"&1 kopie.efzlgrp", u"&2 bahnhof.fzlgrp"}));
    EXPECT_EQ(Settings.RecentFiles, (std::vector<std::u16string>{saved, b}));
    EXPECT_EQ(SettingsBytes().find(Narrow(a)), std::string::npos);

    // One that exists opens as "Öffnen" would, after the question about unsaved changes.
    Command(IDM_NEW);
    Script.MessageAnswers.push_back(IDCANCEL);
    Command(IDM_RECENT_FIRST + 1);
    EXPECT_EQ(Caption(), u"Zellora - *(unbenannt)");
    Script.MessageAnswers.push_back(IDNO);
    Command(IDM_RECENT_FIRST + 1);
    EXPECT_EQ(Caption(), u"Zellora - bahnhof.fzlgrp");
    EXPECT_EQ(FileMenuTexts(Window), menu({u"&1 bahnhof.fzlgrp", u"&2 kopie.efzlgrp"}));
}

} // namespace
