// The commands of zellora-cli. Paths arrive as native paths; results are exit statuses.
#pragma once

#include <string>
#include <vector>

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

int RunCli(const std::vector<std::string>& arguments);
