#include "bench/plan_bench.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench/generate.h"
#include "plan/plan_view.h"

namespace {

std::vector<std::string> Labels;

constexpr double WindowWidth = 1024, WindowHeight = 700;

// What a window does when the document changes: the model anew with its spots for clicks,
// the view fitted and zoomed about a point, the entries on the surface found and turned
// into pixels.
double BuildAndCull(const GroupDocument& document) {
    Plan plan;
    AddDocumentToPlan(plan, document, 0, true);
    benchmark::DoNotOptimize(LocatePlanEntries(plan).size());
    PlanView view = FitPlanView(plan, WindowWidth, WindowHeight, 0, 0);
    ZoomPlanView(view, 3, WindowWidth / 3, WindowHeight / 2);
    double sum = 0;
    for (size_t i : VisiblePlanEntries(plan, view, 20))
        sum += view.X(plan.Entries[i].Position.x) + view.Y(plan.Entries[i].Position.z);
    return sum;
}

} // namespace

void RegisterPlanBenchmarks(const std::string& label, const std::u16string& path) {
    Labels.push_back(label);
    auto document = std::make_shared<GroupDocument>();
    LoadAsEditor(path, *document);
    benchmark::RegisterBenchmark(("plan/" + label).c_str(), [document](benchmark::State& state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(BuildAndCull(*document));
    })->Unit(benchmark::kMillisecond);
    auto plan = std::make_shared<Plan>();
    AddDocumentToPlan(*plan, *document, 0, true);
    auto spots = std::make_shared<std::vector<PlanSpot>>(LocatePlanEntries(*plan));
    benchmark::RegisterBenchmark(("plan-hit/" + label).c_str(), [plan,
                                                                 spots](benchmark::State& state) {
        PlanView view = FitPlanView(*plan, WindowWidth, WindowHeight, 0, 0);
        for (auto _ : state)
            benchmark::DoNotOptimize(HitTest(*plan, *spots, view, 400, 300, 5));
    })->Unit(benchmark::kMicrosecond);
}

void PrintPlanTable(double (*seconds)(const std::string& benchmark)) {
    printf("\n| figure | measured | goal | |\n|---|---|---|---|\n");
    for (const std::string& label : Labels) {
        double ratio = seconds("plan/" + label) / seconds("load/" + label);
        printf("| plan model %-33s | %8.3fx | <= 0.30x | %s |\n", (label + " / load").c_str(),
               ratio, ratio <= 0.3 ? "met" : "MISSED");
        double hit = seconds("plan-hit/" + label) * 1e3;
        printf("| plan hit test %-30s | %7.3f ms | <= 1.00 ms | %s |\n", label.c_str(), hit,
               hit <= 1 ? "met" : "MISSED");
    }
}
