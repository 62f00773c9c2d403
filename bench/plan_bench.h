// The plan model beside loading the same file: building it, fitting, zooming and culling a
// view, and one click's hit test.
#pragma once

#include <string>

// Registers the benchmarks for the group file at path, labelled as its load benchmark is.
void RegisterPlanBenchmarks(const std::string& label, const std::u16string& path);
void PrintPlanTable(double (*seconds)(const std::string& benchmark));
