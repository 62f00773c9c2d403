// "settings.cfg" beside the program: what the editor remembers across starts, the window's
// place and the files opened last. UTF-8 lines of the form key=value; lines the program does
// not know are skipped, so that an older program reads a newer file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern const char16_t* const SettingsFileName; // "settings.cfg"

// As many files as "Datei" lists.
constexpr size_t MaxRecentFiles = 4;

// A rectangle of the screen in pixels; right and bottom lie outside it.
struct ScreenRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

struct EditorSettings {
    bool HasWindow = false;
    ScreenRect Window;      // the window's frame when it is neither maximised nor minimised
    bool Maximized = false; // the window was maximised when it closed
    bool HasPlanWindow = false;
    ScreenRect PlanWindow;                   // the plan window's frame when it was last shown
    std::vector<std::u16string> RecentFiles; // newest first, full paths
};

// The settings that bytes hold; missing or broken values are left as a new EditorSettings
// has them.
EditorSettings ParseSettingsFile(const std::string& bytes);
std::string FormatSettingsFile(const EditorSettings& settings);
// From "settings.cfg" in ProgramFolder; a missing or unreadable file gives the defaults.
EditorSettings ReadSettingsFile();
// Replaces "settings.cfg" in ProgramFolder; false when it could not be written.
bool WriteSettingsFile(const EditorSettings& settings);

// path becomes the newest recent file: a name already listed (in any letter case) moves to
// the top, the oldest beyond MaxRecentFiles goes.
void NoteRecentFile(std::vector<std::u16string>& files, const std::u16string& path);
void ForgetRecentFile(std::vector<std::u16string>& files, const std::u16string& path);
// The menu texts of the recent files: "&1 Bahnhof.fzlgrp" …; a name that two files share is
// shown with its folder, and an ampersand in a name is shown as one.
std::vector<std::u16string> RecentMenuTexts(const std::vector<std::u16string>& files);

// Where a window remembered at place is shown in a monitor's work area: no larger than the
// area (but never below the smallest size the window takes) and moved inside it, so that a
// place on a monitor that is gone or smaller now does not hide the window.
ScreenRect FitIntoArea(ScreenRect place, const ScreenRect& area, int32_t minWidth,
                       int32_t minHeight);
