// What the graph drawing fronts share: the checked graph of a draw and the rounding
// of float positions to whole pixels.
#pragma once
#include "media/graphics/graph.h"

namespace ZaDod {

// The graph of a draw after the protocol's checks; state is what the front returns
// when graph is null (-1 for failures, 0 for an empty draw area).
struct CheckedGraph {
    GraphData* graph;
    int state;
};
CheckedGraph CheckGraphDraw(int handle);
// The graph is drawn by the software renderer.
bool SoftGraph(GraphData* graph);
// Half-way positions go to the lower pixel: the pixel whose centre is at or after v.
int RoundToPixel(float v);
// The whole-pixel part of v, cut toward zero (10.75 gives 10, -2.5 gives -2), as the
// hardware rotated draws take it beside the float position.
int TruncateToPixel(float v);

}  // namespace ZaDod
