// "settings.cfg": the window's place and the recent files, their menu texts, and where a
// remembered place is shown.
#include <gtest/gtest.h>

#include "paths/options_file.h"
#include "paths/settings_file.h"
#include "tests/test_support.h"

namespace {

bool operator==(const ScreenRect& a, const ScreenRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

TEST(SettingsFileTest, WritesKeyValueLinesAndReadsThemBack) {
    ScratchFolder folder;
    const std::u16string kept = ProgramFolder;
    ProgramFolder = folder.Path;
    EXPECT_TRUE(ReadSettingsFile().RecentFiles.empty()); // no file yet: the defaults
    EditorSettings settings;
    settings.HasWindow = true;
    settings.Window = {-1200, 40, -500, 760};
    settings.Maximized = true;
    settings.HasPlanWindow = true;
    settings.PlanWindow = {10, 20, 610, 520};
    settings.RecentFiles = {u"C:\\Szenen\\Bahnhöfe Süd.fzlgrp", u"D:\\a=b.efzlgrp"};
    ASSERT_TRUE(WriteSettingsFile(settings));
    EXPECT_EQ(folder.Read("settings.cfg"), "window=-1200,40,-500,760\r\nmaximized=1\r\n"
                                           "plan=10,20,610,520\r\nrecent=C:\\Szenen\\Bahnh\xC3\xB6"
                                           "fe S\xC3\xBC"
                                           "d.fzlgrp\r\nrecent=D:\\a=b.efzlgrp\r\n");
    const EditorSettings read = ReadSettingsFile();
    ProgramFolder = kept;
    EXPECT_TRUE(read.HasWindow);
    EXPECT_TRUE(read.Window == settings.Window);
    EXPECT_TRUE(read.Maximized);
    EXPECT_TRUE(read.HasPlanWindow);
    EXPECT_TRUE(read.PlanWindow == settings.PlanWindow);
    EXPECT_EQ(read.RecentFiles, settings.RecentFiles);
}

TEST(SettingsFileTest, BrokenOrUnknownLinesAreSkipped) {
    struct Case {
        std::string Bytes;
        bool HasWindow;
        std::vector<std::u16string> Recent;
    } cases[] = {
        {"\xEF\xBB\xBFwindow=1,2,3,4\nfarbe=blau\n# Notiz\nrecent=C:\\a.fzlgrp",
         true,
         {u"C:\\a.fzlgrp"}},
        {"window=1,2,3\r\n", false, {}},
        {"window=1,2,3,4,5\r\n", false, {}},
        {"window=5,2,3,4\r\n", false, {}}, // no width
        {"window=1,2,3,x4\r\n", false, {}},
        {"window=1,2,3,2147483648\r\n", false, {}},
        {"window=\r\nrecent=\r\nrecent=C:\\\xFF.fzlgrp\r\n", false, {}},
        {"recent=1\nrecent=2\nrecent=3\nrecent=4\nrecent=5\n", false, {u"1", u"2", u"3", u"4"}},
    };
    for (const Case& c : cases) {
        const EditorSettings settings = ParseSettingsFile(c.Bytes);
        EXPECT_EQ(settings.HasWindow, c.HasWindow) << c.Bytes;
        EXPECT_EQ(settings.RecentFiles, c.Recent) << c.Bytes;
        EXPECT_FALSE(settings.Maximized) << c.Bytes;
    }
}

TEST(SettingsFileTest, TheNewestFileGoesFirstAndOnlyFourAreKept) {
    std::vector<std::u16string> files;
    for (const char16_t* path : {u"C:\\1.fzlgrp", u"C:\\2.fzlgrp", u"C:\\3.fzlgrp", u"C:\\4.fzlgrp",
                                 u"c:\\2.FZLGRP", u"C:\\5.fzlgrp"}) {
        NoteRecentFile(files, path);
    }
    const std::vector<std::u16string> expected = {u"C:\\5.fzlgrp", u"c:\\2.FZLGRP", u"C:\\4.fzlgrp",
                                                  u"C:\\3.fzlgrp"};
    EXPECT_EQ(files, expected);
    ForgetRecentFile(files, u"C:\\4.FZLGRP");
    EXPECT_EQ(files,
              (std::vector<std::u16string>{u"C:\\5.fzlgrp", u"c:\\2.FZLGRP", u"C:\\3.fzlgrp"}));
}

TEST(SettingsFileTest, MenuTextsNumberTheFilesAndTellSharedNamesApart) {
    const std::vector<std::u16string> texts = RecentMenuTexts(
        {u"C:\\Sim\\Bahnhof.fzlgrp", u"D:\\Alt\\bahnhof.fzlgrp", u"C:\\Dach & Fach.efzlgrp"});
    const std::vector<std::u16string> expected = {
        u"&1 C:\\Sim\\Bahnhof.fzlgrp", u"&2 D:\\Alt\\bahnhof.fzlgrp", u"&3 Dach && Fach.efzlgrp"};
    EXPECT_EQ(texts, expected);
}

TEST(SettingsFileTest, ARememberedPlaceIsMovedIntoTheWorkArea) {
    const ScreenRect area{0, 0, 1024, 738};
    struct Case {
        ScreenRect Place, Shown;
    } cases[] = {
        {{100, 50, 600, 650}, {100, 50, 600, 650}},            // inside: unchanged
        {{1900, 100, 2400, 700}, {524, 100, 1024, 700}},       // on a monitor that is gone
        {{-800, -300, -300, 300}, {0, 0, 500, 600}},           // left of and above the area
        {{100, 100, 1300, 1100}, {0, 0, 1024, 738}},           // larger than the area
        {{100, 100, 200, 150}, {100, 100, 480, 640}},          // smaller than the window can be
        {{-2147483647, 0, 2147483647, 10}, {0, 0, 1024, 540}}, // spans more than 32 bits
    };
    for (const Case& c : cases) {
        const ScreenRect shown = FitIntoArea(c.Place, area, 380, 540);
        EXPECT_TRUE(shown == c.Shown)
            << shown.Left << "," << shown.Top << "," << shown.Right << "," << shown.Bottom;
    }
}

} // namespace
