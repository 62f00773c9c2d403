#include "paths/options_file.h"

#include "base/text.h"
#include "paths/path_utils.h"
#include "platform/platform.h"

std::u16string ProgramFolder;

const char16_t* const OptionsFileName = u"options.cfg";

namespace {

bool IsTrailingBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

bool ParseOptionsFile(const std::string& bytes, std::u16string& root) {
    root.clear();
    // Files written by hand may lack the byte-order mark; their first characters are part of
    // the folder then.
    const bool hasMark = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    std::u16string folder = Utf8ToUtf16(hasMark ? bytes.substr(3) : bytes);
    // A line break that an editor added after the folder is not part of it.
    while (!folder.empty() && IsTrailingBlank(folder.back())) {
        folder.pop_back();
    }
    // Bytes that are no UTF-8 cannot name a folder.
    if (folder.empty() ||
        folder.find_first_of(std::u16string(u"\0\uFFFD", 2)) != std::u16string::npos) {
        return false;
    }
    if (folder.back() != u'\\') {
        folder += u'\\';
    }
    if (folder.size() > MaxFolderLength) {
        return false;
    }
    root = folder;
    return true;
}

bool ReadOptionsFile(std::u16string& root) {
    root.clear();
    std::string bytes;
    if (ProgramFolder.empty() || ReadWholeFile(ProgramFolder + OptionsFileName, bytes) != ReadOk) {
        return false;
    }
    return ParseOptionsFile(bytes, root);
}

namespace {

bool IsValidUtf16(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

} // namespace

bool FormatOptionsFile(const std::u16string& folder, std::string& bytes) {
    bytes.clear();
    if (folder.empty() || folder.size() > MaxFolderLength || !IsValidUtf16(folder)) {
        return false;
    }
    const std::string utf8 = Utf16ToUtf8(folder);
    if (utf8.size() > MaxStoredFolderBytes) {
        return false;
    }
    bytes = "\xEF\xBB\xBF" + utf8;
    return true;
}

bool WriteOptionsFile(const std::u16string& folder) {
    std::string bytes;
    if (!FormatOptionsFile(folder, bytes) || !ReplaceProgramFolderFile(OptionsFileName, bytes)) {
        return false;
    }
    SimulatorRoot = folder;
    return true;
}

bool ReplaceProgramFolderFile(const char16_t* name, const std::string& bytes) {
    if (ProgramFolder.empty()) {
        return false;
    }
    // Written beside the old file and put in its place only when complete, so that a full
    // or refusing disk never leaves the program without its settings.
    OutputFile file;
    if (!CreateOutputFile(ProgramFolder + name, file)) {
        return false;
    }
    if (!WriteOutputFile(file, bytes.data(), bytes.size())) {
        DiscardOutputFile(file);
        return false;
    }
    return CommitOutputFile(file);
}
