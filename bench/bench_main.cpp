// Load, save and export side by side with what they cannot avoid: each figure is printed
// as a ratio to its anchor measured in the same run, so that a busy machine cancels out.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include <sys/stat.h>

#include "bench/anchors.h"
#include "bench/cli_bench.h"
#include "bench/generate.h"
#include "bench/plan_bench.h"
#include "cli/check.h"
#include "document/loader.h"
#include "document/writer.h"
#include "export/flatten.h"
#include "paths/path_utils.h"
#include "platform/platform.h"
#include "rotation/rotation.h"

namespace {

struct Scratch {
    std::string Native;
    std::u16string Path; // with a trailing backslash
};

Scratch MakeScratch(const std::string& name, const char* parent = "/tmp") {
    Scratch s;
    s.Native = std::string(parent) + "/zellora-bench-" + name;
    std::string command = "rm -rf '" + s.Native + "' && mkdir -p '" + s.Native + "'";
    if (system(command.c_str()) != 0)
        abort();
    s.Path = FromNativePath(s.Native) + u"\\";
    return s;
}

void Quiet(const std::u16string&, const std::u16string&) {}

void OnReport(void* context, unsigned message, const char16_t*) {
    if (message != UM_EXPORTDONE)
        return;
    static_cast<ExportCompletion*>(context)->Done = true;
}

// One export as the editor runs it: a snapshot of the top document, flattened into output.
bool RunExport(const GroupDocument& top, const std::u16string& output) {
    GroupDocument snapshot;
    if (!CopyGroupDocument(top, snapshot))
        return false;
    ExportCompletion wait;
    ExportJob job;
    job.CurrentFolder = GetCurrentFolder();
    job.DocumentFolder = DocumentFolderOf(output, std::u16string());
    job.OutputPath = output;
    job.Document = &snapshot;
    job.ReportContext = &wait;
    job.Report = OnReport;
    if (!StartExport(job))
        return false;
    WaitForExportDone(wait);
    return FinishExportOutput(job);
}

struct Results {
    std::map<std::string, double> Seconds; // real time per iteration
    std::map<std::string, double> Cpu;     // processor time per iteration
};
Results Measured;

class CollectingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred) {
                double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                Measured.Seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / unit;
                Measured.Cpu[run.benchmark_name()] = run.GetAdjustedCPUTime() / unit;
                for (const auto& [counter, value] : run.counters)
                    Measured.Seconds[run.benchmark_name() + "#" + counter] = value;
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

// Returns the path of the file it loads.
std::u16string RegisterLoadSave(const std::string& label, GroupDocument document,
                                const Scratch& scratch) {
    auto path = std::make_shared<std::u16string>(
        scratch.Path + u"datei_" + std::u16string(label.begin(), label.end()) + u".fzlgrp");
    WriteUtf8 = 1;
    SetDocumentFolder(*path);
    SaveGroupDocument(*path, &document);
    DocumentFolder.clear();
    auto loaded = std::make_shared<GroupDocument>();
    LoadAsEditor(*path, *loaded);
    auto bare = std::make_shared<BareWriterInput>(PrepareBareWriter(*loaded));
    auto target = std::make_shared<std::u16string>(scratch.Path + u"ziel.fzlgrp");

    benchmark::RegisterBenchmark(("load/" + label).c_str(), [path](benchmark::State& state) {
        GroupDocument d;
        for (auto _ : state)
            benchmark::DoNotOptimize(LoadAsEditor(*path, d));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("expat/" + label).c_str(), [path](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(BareExpatParse(*path));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("save/" + label).c_str(), [loaded,
                                                             target](benchmark::State& state) {
        WriteUtf8 = 1;
        for (auto _ : state)
            benchmark::DoNotOptimize(SaveGroupDocument(*target, loaded.get()));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("snprintf/" + label).c_str(), [bare,
                                                                 target](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(BareSnprintfSave(*target, *bare));
    })->Unit(benchmark::kMillisecond);
    return *path;
}

struct Tree {
    std::u16string TopPath;
    std::vector<std::u16string> Nested; // every nested file, once per time it is expanded
    size_t Flattened = 0;
};

void CollectNested(const std::u16string& path, Tree& tree) {
    GroupDocument d;
    LoadAsEditor(path, d);
    tree.Flattened += d.Objects.size() + d.Fonts.size();
    for (const auto& g : d.IObjects) {
        tree.Nested.push_back(*g->Name);
        CollectNested(*g->Name, tree);
    }
}

// Exports write into memory where the system has a folder there: the flush to the disk at the
// end of an export (30-110 ms, varying with the disk) is one per export, and would be shared
// out as a per-file cost among a chain's 5,000 levels and a tree's 10,000 files alike.
Scratch OutputScratch(const std::string& label) {
    struct stat folder;
    bool memory = stat("/dev/shm", &folder) == 0 && S_ISDIR(folder.st_mode);
    return MakeScratch(label + "-ausgabe", memory ? "/dev/shm" : "/tmp");
}

// A top document loaded as the editor has it and the file its export writes.
struct ExportInput {
    std::shared_ptr<GroupDocument> Top = std::make_shared<GroupDocument>();
    std::shared_ptr<std::u16string> Output;
    std::u16string Folder; // of Output, with a trailing backslash
};

// Exports once, so that the benchmark's output file exists.
ExportInput PrepareExport(const std::string& label, const Tree& tree) {
    ExportInput input;
    LoadAsEditor(tree.TopPath, *input.Top);
    input.Folder = OutputScratch(label).Path;
    input.Output = std::make_shared<std::u16string>(input.Folder + u"export.fzlgrp");
    RunExport(*input.Top, *input.Output);
    return input;
}

double SecondsOfExport(const ExportInput& input) {
    auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(RunExport(*input.Top, *input.Output));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void RegisterExport(const std::string& label, Tree tree) {
    ExportInput input = PrepareExport(label, tree);
    benchmark::RegisterBenchmark(("export/" + label).c_str(), [input](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(RunExport(*input.Top, *input.Output));
    })->Unit(benchmark::kMillisecond);
    if (label != "tree" && label != "small-tree")
        return;
    auto shared = std::make_shared<Tree>(std::move(tree));
    auto flat = std::make_shared<GroupDocument>();
    LoadAsEditor(*input.Output, *flat);
    auto rewritten = std::make_shared<std::u16string>(input.Folder + u"flach.fzlgrp");
    benchmark::RegisterBenchmark(("export-loads/" + label).c_str(), [shared](
                                                                        benchmark::State& state) {
        GroupDocument d;
        for (auto _ : state)
            for (const auto& name : shared->Nested)
                benchmark::DoNotOptimize(LoadAsEditor(name, d));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("export-write/" + label).c_str(), [flat, rewritten](
                                                                        benchmark::State& state) {
        WriteUtf8 = 1;
        for (auto _ : state)
            benchmark::DoNotOptimize(SaveGroupDocument(*rewritten, flat.get()));
    })->Unit(benchmark::kMillisecond);
}

// The chain's export with the tree's beside it in every iteration, in turns: the machine's
// speed drifts by 10 % and more within seconds, which would otherwise weigh on one of the two
// alone. The benchmark's time is the chain's; its counter "per-level" is the median over the
// iterations of a chain level's time against a nested file's of the tree next to it.
void RegisterChainBesideTree(const Tree& chain, const Tree& tree) {
    ExportInput chainInput = PrepareExport("chain", chain);
    ExportInput treeInput = PrepareExport("tree-neben-kette", tree);
    double levels = double(chain.Nested.size()), files = double(tree.Nested.size());
    benchmark::RegisterBenchmark("export/chain", [=](benchmark::State& state) {
        std::vector<double> ratios;
        bool treeFirst = false;
        for (auto _ : state) {
            double treeSeconds = 0;
            state.PauseTiming();
            if (treeFirst)
                treeSeconds = SecondsOfExport(treeInput);
            state.ResumeTiming();
            double chainSeconds = SecondsOfExport(chainInput);
            state.PauseTiming();
            if (!treeFirst)
                treeSeconds = SecondsOfExport(treeInput);
            treeFirst = !treeFirst;
            ratios.push_back((chainSeconds / levels) / (treeSeconds / files));
            state.ResumeTiming();
        }
        std::sort(ratios.begin(), ratios.end());
        size_t n = ratios.size();
        state.counters["per-level"] = (ratios[(n - 1) / 2] + ratios[n / 2]) / 2;
    })->Unit(benchmark::kMillisecond);
}

// What one check of the tree found, counted once before the timing.
struct CheckCounts {
    size_t Files = 0, Loads = 0, Findings = 0;
};
CheckCounts TreeCheck;

CheckRun RunCheck(const std::vector<std::u16string>& files, const std::u16string& root,
                  unsigned jobs) {
    CheckSettings settings;
    settings.RootFolder = root;
    settings.Jobs = jobs;
    return CheckGroupFiles(files, settings);
}

// check over every file of the tree, each object file it names present, with one and with
// two threads, beside a bare parse of the same group files one after the other.
void RegisterCheck(const Tree& tree, const Scratch& scratch) {
    WriteObjectFiles(scratch.Path);
    auto files = std::make_shared<std::vector<std::u16string>>();
    files->push_back(tree.TopPath);
    files->insert(files->end(), tree.Nested.begin(), tree.Nested.end());
    auto root = std::make_shared<std::u16string>(scratch.Path);
    CheckRun once = RunCheck(*files, *root, 1);
    TreeCheck = {once.Files.size(), once.Loads, once.Findings.size()};
    for (unsigned jobs : {1u, 2u})
        benchmark::RegisterBenchmark(("check-jobs" + std::to_string(jobs) + "/tree").c_str(),
                                     [files, root, jobs](benchmark::State& state) {
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(
                                                 RunCheck(*files, *root, jobs).Loads);
                                     })
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime(); // every thread's time, not only the first one's
    benchmark::RegisterBenchmark("expat-files/tree", [files](benchmark::State& state) {
        for (auto _ : state)
            for (const std::u16string& file : *files)
                benchmark::DoNotOptimize(BareExpatParse(file));
    })->Unit(benchmark::kMillisecond);
}

void RotationCall(benchmark::State& state) {
    double position[3] = {1, 2, 3}, rotation[3] = {10, 20, 30}, group[3] = {45, 0, 12};
    double outPosition[3], outRotation[3];
    for (auto _ : state) {
        CDreheGroupObjekt(outPosition, outRotation, position, rotation, group);
        benchmark::DoNotOptimize(outPosition);
        benchmark::DoNotOptimize(outRotation);
    }
}

double Get(const std::string& name) {
    auto it = Measured.Seconds.find(name);
    return it == Measured.Seconds.end() ? 0 : it->second;
}

double GetCpu(const std::string& name) {
    auto it = Measured.Cpu.find(name);
    return it == Measured.Cpu.end() ? 0 : it->second;
}

void Row(const char* what, double value, double goal, const char* unit = "x") {
    bool met = value <= goal;
    printf("| %-44s | %8.3f%s | <= %.2f%s | %s |\n", what, value, unit, goal, unit,
           met ? "met" : "MISSED");
}

void PrintTable(const std::map<std::string, size_t>& entries,
                const std::map<std::string, Tree>& trees) {
    printf("\n| figure | measured | goal | |\n|---|---|---|---|\n");
    for (const auto& [label, count] : entries) {
        (void)count;
        Row(("load " + label + " / bare expat parse").c_str(),
            Get("load/" + label) / Get("expat/" + label), 1.6);
    }
    for (const auto& [label, count] : entries) {
        (void)count;
        Row(("save " + label + " / bare snprintf writer").c_str(),
            Get("save/" + label) / Get("snprintf/" + label), 1.3);
    }
    const Tree& tree = trees.at("tree");
    const Tree& small = trees.at("small-tree");
    const Tree& chain = trees.at("chain");
    Row("export tree / (load every nested file + write)",
        Get("export/tree") / (Get("export-loads/tree") + Get("export-write/tree")), 1.3);
    Row("export chain per level / tree per nested file", Get("export/chain#per-level"), 1.0);
    auto perEntry = [&](const std::string& what, const std::string& big,
                        const std::string& little) {
        return (Get(what + "/" + big) / entries.at(big)) /
               (Get(what + "/" + little) / entries.at(little));
    };
    Row("load per entry, 100000 / 10000", perEntry("load", "100000", "10000"), 1.3);
    Row("save per entry, 100000 / 10000", perEntry("save", "100000", "10000"), 1.3);
    Row("export per entry, tree / small tree",
        (Get("export/tree") / tree.Flattened) / (Get("export/small-tree") / small.Flattened), 1.3);
    // The cost of one entry may not grow with the number of groups beside it.
    const Tree& few = trees.at("side-by-side-100");
    const Tree& many = trees.at("side-by-side-1000");
    Row("export per entry, 1000 / 100 groups side by side",
        (Get("export/side-by-side-1000") / many.Flattened) /
            (Get("export/side-by-side-100") / few.Flattened),
        1.3);
    printf("\nexport tree: %zu flattened entries over %zu nested group files; chain: %zu levels\n",
           tree.Flattened, tree.Nested.size(), chain.Nested.size() + 1);
    // Benchmarks that count every thread's time carry this in their reported names.
    const std::string jobs1 = "check-jobs1/tree/process_time",
                      jobs2 = "check-jobs2/tree/process_time";
    Row("check tree --jobs 1 / bare expat parse", Get(jobs1) / Get("expat-files/tree"), 2.0);
    Row("check tree --jobs 2 / --jobs 1", Get(jobs2) / Get(jobs1), 1.0);
    auto perFile = [&](const std::string& name) {
        return std::make_pair(Get(name) / TreeCheck.Files * 1e6,
                              Measured.Cpu[name] / TreeCheck.Files * 1e6);
    };
    auto one = perFile(jobs1), two = perFile(jobs2), bare = perFile("expat-files/tree");
    printf("check tree: %zu files, %.3f loads per file, %zu findings; per file (real, processor): "
           "--jobs 1 %.1f us, %.1f us; --jobs 2 %.1f us, %.1f us; bare expat parse %.1f us, "
           "%.1f us\n",
           TreeCheck.Files, double(TreeCheck.Loads) / double(TreeCheck.Files), TreeCheck.Findings,
           one.first, one.second, two.first, two.second, bare.first, bare.second);
    printf("one CDreheGroupObjekt call: %.1f ns\n", Get("rotation") * 1e9);
}

} // namespace

int main(int argc, char** argv) {
    TellUser = Quiet;
    benchmark::Initialize(&argc, argv);
    Scratch files = MakeScratch("dateien");
    std::map<std::string, size_t> entries;
    for (size_t n : {1000u, 10000u, 32767u, 100000u}) {
        entries[std::to_string(n)] = n;
        std::u16string path =
            RegisterLoadSave(std::to_string(n), MakeObjectsDocument(n, 0, 0, unsigned(n)), files);
        if (n >= 32767)
            RegisterPlanBenchmarks(std::to_string(n), path);
    }
    entries["mixed"] = 32767 * 2 + 1000;
    RegisterLoadSave("mixed", MakeObjectsDocument(32767, 32767, 1000, 5), files);
    RegisterCliBenchmarks(files.Path + u"datei_mixed.fzlgrp", files.Path);

    std::map<std::string, Tree> trees;
    struct Shape {
        const char* Label;
        size_t Branches, Leaves, ObjectsPerLeaf;
    } shapes[] = {{"tree", 100, 99, 18},
                  {"small-tree", 10, 55, 18},
                  {"side-by-side-100", 1, 100, 100},
                  {"side-by-side-1000", 1, 1000, 100}};
    for (const Shape& shape : shapes) {
        Scratch scratch = MakeScratch(shape.Label);
        Tree tree;
        tree.TopPath =
            WriteGroupTree(scratch.Path, shape.Branches, shape.Leaves, shape.ObjectsPerLeaf);
        CollectNested(tree.TopPath, tree);
        trees[shape.Label] = tree;
        RegisterExport(shape.Label, tree);
        if (std::strcmp(shape.Label, "tree") == 0)
            RegisterCheck(tree, scratch);
    }
    // The chain lies beside the tree's files, so that the names its entries resolve against
    // their file's folder come out as long as the tree's.
    const std::u16string& treeTop = trees.at("tree").TopPath;
    Tree chain;
    chain.TopPath = WriteGroupChain(treeTop.substr(0, treeTop.rfind(u'\\') + 1), 5000, 99, 18);
    chain.Nested.resize(4999);
    RegisterChainBesideTree(chain, trees.at("tree"));
    trees["chain"] = chain;
    benchmark::RegisterBenchmark("rotation", RotationCall);

    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(entries, trees);
    PrintCliTable(Get, GetCpu);
    PrintPlanTable(Get);
    benchmark::Shutdown();
    return 0;
}
