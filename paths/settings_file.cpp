#include "paths/settings_file.h"

#include <algorithm>

#include "base/text.h"
#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "platform/platform.h"

const char16_t* const SettingsFileName = u"settings.cfg";

namespace {

// A whole decimal number that fits an int32_t, with an optional minus sign.
bool ReadInteger(const std::string& text, int32_t& value) {
    const bool negative = !text.empty() && text[0] == '-';
    const size_t start = negative ? 1 : 0;
    if (text.size() == start || text.size() - start > 10) {
        return false;
    }
    int64_t number = 0;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        number = number * 10 + (text[i] - '0');
    }
    number = negative ? -number : number;
    if (number < INT32_MIN || number > INT32_MAX) {
        return false;
    }
    value = int32_t(number);
    return true;
}

// "left,top,right,bottom" with a positive width and height.
bool ReadRect(const std::string& text, ScreenRect& rect) {
    int32_t parts[4] = {};
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? text.find(',', start) : text.size();
        if (comma == std::string::npos ||
            !ReadInteger(text.substr(start, comma - start), parts[i])) {
            return false;
        }
        start = comma + 1;
    }
    if (int64_t(parts[2]) <= parts[0] || int64_t(parts[3]) <= parts[1]) {
        return false;
    }
    rect = {parts[0], parts[1], parts[2], parts[3]};
    return true;
}

// A recent file's name: valid UTF-8 that a file dialog could have given.
bool ReadPath(const std::string& text, std::u16string& path) {
    path = Utf8ToUtf16(text);
    return !path.empty() && path.size() <= MaxFolderLength &&
           path.find_first_of(std::u16string(u"\0\uFFFD", 2)) == std::u16string::npos;
}

std::u16string FileNameOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string WithDoubledAmpersands(const std::u16string& text) {
    std::u16string shown;
    for (char16_t c : text) {
        shown += c;
        if (c == u'&') {
            shown += u'&';
        }
    }
    return shown;
}

} // namespace

EditorSettings ParseSettingsFile(const std::string& bytes) {
    EditorSettings settings;
    const bool hasMark = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    size_t start = hasMark ? 3 : 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end;
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        std::u16string path;
        if (key == "window") {
            settings.HasWindow = ReadRect(value, settings.Window);
        } else if (key == "plan") {
            settings.HasPlanWindow = ReadRect(value, settings.PlanWindow);
        } else if (key == "maximized") {
            settings.Maximized = value == "1";
        } else if (key == "recent" && settings.RecentFiles.size() < MaxRecentFiles &&
                   ReadPath(value, path)) {
            settings.RecentFiles.push_back(path);
        }
    }
    return settings;
}

namespace {

std::string RectLine(const char* key, const ScreenRect& r) {
    return std::string(key) + "=" + std::to_string(r.Left) + "," + std::to_string(r.Top) + "," +
           std::to_string(r.Right) + "," + std::to_string(r.Bottom) + "\r\n";
}

} // namespace

std::string FormatSettingsFile(const EditorSettings& settings) {
    std::string bytes;
    if (settings.HasWindow) {
        bytes += RectLine("window", settings.Window);
    }
    bytes += settings.Maximized ? "maximized=1\r\n" : "maximized=0\r\n";
    if (settings.HasPlanWindow) {
        bytes += RectLine("plan", settings.PlanWindow);
    }
    for (const std::u16string& path : settings.RecentFiles) {
        bytes += "recent=" + Utf16ToUtf8(path) + "\r\n";
    }
    return bytes;
}

EditorSettings ReadSettingsFile() {
    std::string bytes;
    if (ProgramFolder.empty() || ReadWholeFile(ProgramFolder + SettingsFileName, bytes) != ReadOk) {
        return {};
    }
    return ParseSettingsFile(bytes);
}

bool WriteSettingsFile(const EditorSettings& settings) {
    return ReplaceProgramFolderFile(SettingsFileName, FormatSettingsFile(settings));
}

void NoteRecentFile(std::vector<std::u16string>& files, const std::u16string& path) {
    ForgetRecentFile(files, path);
    files.insert(files.begin(), path);
    if (files.size() > MaxRecentFiles) {
        files.resize(MaxRecentFiles);
    }
}

void ForgetRecentFile(std::vector<std::u16string>& files, const std::u16string& path) {
    files.erase(
        std::remove_if(files.begin(), files.end(),
                       [&](const std::u16string& file) { return EqualsIgnoreCase(file, path); }),
        files.end());
}

std::vector<std::u16string> RecentMenuTexts(const std::vector<std::u16string>& files) {
    std::vector<std::u16string> texts;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::u16string name = FileNameOf(files[i]);
        const bool shared = std::count_if(files.begin(), files.end(), [&](const auto& other) {
                                return EqualsIgnoreCase(FileNameOf(other), name);
                            }) > 1;
        const std::u16string number(1, char16_t(u'1' + i));
        texts.push_back(u"&" + number + u" " + WithDoubledAmpersands(shared ? files[i] : name));
    }
    return texts;
}

ScreenRect FitIntoArea(ScreenRect place, const ScreenRect& area, int32_t minWidth,
                       int32_t minHeight) {
    // In 64 bits: a place read from the file may span more than an int32_t holds.
    const int64_t width = std::max<int64_t>(
        minWidth, std::min<int64_t>(int64_t(place.Right) - place.Left, area.Right - area.Left));
    const int64_t height = std::max<int64_t>(
        minHeight, std::min<int64_t>(int64_t(place.Bottom) - place.Top, area.Bottom - area.Top));
    // Moved in from the right and bottom first, so that a window larger than the area keeps
    // its caption and left edge inside it.
    const int64_t left =
        std::max<int64_t>(area.Left, std::min<int64_t>(place.Left, area.Right - width));
    const int64_t top =
        std::max<int64_t>(area.Top, std::min<int64_t>(place.Top, area.Bottom - height));
    return {int32_t(left), int32_t(top), int32_t(left + width), int32_t(top + height)};
}
