// check's findings as a SARIF 2.1.0 log, the form in which code hosts and CI systems show
// the findings of a tool beside the files of a repository.
#pragma once

#include <string>
#include <vector>

#include "cli/check.h"

// The finding as the text line shows it after the file's name.
std::u16string FindingText(const CheckFinding& finding);

// files: the native name of each of run.Files; baseFolder: the native folder that names below
// it are given relative to (the current directory), so that a checkout's findings carry the
// repository's own relative names.
std::string SarifLog(const CheckRun& run, const std::vector<std::string>& files,
                     const std::string& baseFolder, const std::string& version);
