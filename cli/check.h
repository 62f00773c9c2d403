// Checking many group files at once: every reference of every entry, as the export would
// follow it, with each file loaded once and the loads spread over several threads.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "document/document.h"

enum CheckProblem {
    ProblemXmlError,
    ProblemObjectFile,
    ProblemNotAGroupFile,
    ProblemUnreadable,
    ProblemMissing,
    ProblemWrongKind,
    ProblemBadReference,
    ProblemLoop,
};

// "xml-error", "missing", … as the command prints them.
const char* ProblemName(CheckProblem problem);

struct CheckFinding {
    size_t File = 0; // index in CheckRun::Files
    CheckProblem Problem = ProblemMissing;
    std::string Entry; // "objects[3]", "iobjects[0]", "fonts[2]"; empty for the file itself
    OptText Name;      // the entry's completed name; none for the file itself
    std::u16string Detail;
};

struct CheckSettings {
    // Where root-relative names lie: the simulator folder, or the current directory.
    std::u16string RootFolder;
    unsigned Jobs = 1;
    // Told from the loading threads, one call at a time, after each load.
    void (*Progress)(void* context, size_t loaded) = nullptr;
    void* ProgressContext = nullptr;
};

struct CheckRun {
    std::vector<std::u16string> Files;  // the group files checked, each once, sorted
    std::vector<CheckFinding> Findings; // in the order of the files, then of the entries
    size_t Loads = 0;                   // files read, referenced ones included
};

// The group files that the paths name: a folder is searched, without following links to
// folders, for names ending in .fzlgrp or .efzlgrp in any letter case; anything else is
// taken as a file. Folders that cannot be read are added to unreadable; group files and
// folders whose names the program's form cannot name exactly go to inexact, as native names.
std::vector<std::u16string> FindGroupFiles(const std::vector<std::u16string>& paths,
                                           std::vector<std::u16string>& unreadable,
                                           std::vector<std::string>& inexact);

CheckRun CheckGroupFiles(const std::vector<std::u16string>& files, const CheckSettings& settings);
