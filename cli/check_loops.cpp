#include "cli/check_loops.h"

#include <algorithm>

namespace {

constexpr size_t Unvisited = size_t(-1);

struct Frame {
    size_t Node;
    size_t NextEdge = 0;
};

// Tarjan's strongly connected components with an explicit stack. A component is finished
// only after every component it leads to, so their answers are known by then.
struct Search {
    const std::vector<std::vector<size_t>>& Successors;
    std::vector<size_t> Index, Low, Reached;
    std::vector<bool> OnStack;
    std::vector<size_t> Stack;
    std::vector<Frame> Frames;
    size_t Counter = 0;

    explicit Search(const std::vector<std::vector<size_t>>& successors)
        : Successors(successors), Index(successors.size(), Unvisited), Low(successors.size(), 0),
          Reached(successors.size(), NoCycle), OnStack(successors.size(), false) {}

    void Enter(size_t v) {
        Index[v] = Low[v] = Counter++;
        Stack.push_back(v);
        OnStack[v] = true;
        Frames.push_back({v});
    }

    void FinishComponent(size_t root) {
        size_t first = Stack.size();
        do
            --first;
        while (Stack[first] != root);
        const std::vector<size_t>& out = Successors[root];
        bool cycle =
            Stack.size() - first > 1 || std::find(out.begin(), out.end(), root) != out.end();
        for (size_t i = first; i < Stack.size(); ++i)
            OnStack[Stack[i]] = false;
        if (cycle) {
            for (size_t i = first; i < Stack.size(); ++i)
                Reached[Stack[i]] = Stack[i];
        } else {
            for (size_t w : out)
                if (Reached[w] != NoCycle) {
                    Reached[root] = Reached[w];
                    break;
                }
        }
        Stack.resize(first);
    }

    void From(size_t start) {
        Enter(start);
        while (!Frames.empty()) {
            Frame& frame = Frames.back();
            size_t v = frame.Node;
            if (frame.NextEdge < Successors[v].size()) {
                size_t w = Successors[v][frame.NextEdge++];
                if (Index[w] == Unvisited)
                    Enter(w);
                else if (OnStack[w])
                    Low[v] = std::min(Low[v], Index[w]);
                continue;
            }
            Frames.pop_back();
            if (!Frames.empty())
                Low[Frames.back().Node] = std::min(Low[Frames.back().Node], Low[v]);
            if (Low[v] == Index[v])
                FinishComponent(v);
        }
    }
};

} // namespace

std::vector<size_t> CyclesReached(const std::vector<std::vector<size_t>>& successors) {
    Search search(successors);
    for (size_t v = 0; v < successors.size(); ++v)
        if (search.Index[v] == Unvisited)
            search.From(v);
    return std::move(search.Reached);
}
