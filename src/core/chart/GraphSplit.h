#pragma once

namespace vm {

// How the main window shares the height under the toolbar between the list and the graph.
struct GraphSplit {
    int listHeight = 0;
    int graphSpace = 0;  // the graph and its splitter; 0: the graph gives way
};

// The list always keeps minList (its header and three rows): the graph gets the height it
// wants when there is room, less when there is not, and gives way entirely before it would
// be lower than minGraph.
GraphSplit SplitForGraph(int available, int wantedGraph, int minList, int minGraph, int splitter);

}  // namespace vm
