// Which group files would make an export end in an endless loop.
#pragma once

#include <cstddef>
#include <vector>

constexpr size_t NoCycle = size_t(-1);

// successors[v] lists the nodes that node v leads to. For each node: a node on a cycle that
// can be reached from it (the node itself when it lies on one), or NoCycle. Needs time and
// stack linear in the nodes and edges, however long the chains.
std::vector<size_t> CyclesReached(const std::vector<std::vector<size_t>>& successors);
