#include "core/chart/GraphSplit.h"

#include <algorithm>

namespace vm {

GraphSplit SplitForGraph(int available, int wantedGraph, int minList, int minGraph, int splitter) {
    GraphSplit split;
    available = std::max(available, 0);
    const int room = available - minList - splitter;
    if (room >= minGraph) {
        split.graphSpace = std::max(minGraph, std::min(wantedGraph, room)) + splitter;
    }
    split.listHeight = available - split.graphSpace;
    return split;
}

}  // namespace vm
