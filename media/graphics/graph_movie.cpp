// Graphs that show movies: opening a movie into a graph, the per-frame callback that
// carries each new frame into it (as an image, or as luma and chroma graphs that the
// device converts), and closing the movie with the graph.
#include <cstring>

#include "media/base/log.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_async.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/hardware.h"
#include "media/movie/movie.h"
#include "media/movie/theora_movie.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

// A texture graph of a Theora movie whose device converts Y/UV graphs: the frame goes
// up as a luma and a chroma graph and the filter writes the colours into the graph.
// False when the movie cannot take that path (the frame then goes up as an image).
bool transferYUVGraphs(MovieHandleRecord* movie, int handle, const GraphData* graph) {
    const int fresh = TheoraMovie_UpdateImage(movie->decoder, 0, 1, 0, 0);
    const int yGraph = TheoraMovie_GetYGraph(movie->decoder), uvGraph = TheoraMovie_GetUVGraph(movie->decoder);
    if (yGraph == -1 || uvGraph == -1) return false;
    if (!fresh && movie->callbackRan) return true;
    if (movie->colorAlphaHalves)
        GraphFilterRectBlt(yGraph, handle, 0, 0, graph->area.width, graph->area.height, 0, 0,
                           kGraphFilterYuvToRgbUVRRA, uvGraph);
    else
        GraphFilterBlt(yGraph, handle, kGraphFilterYuvToRgbUV, uvGraph);
    return true;
}

}  // namespace

void TransferMovieFrameToGraph(MovieHandleRecord* movie, std::uint32_t parameter) {
    const int handle = static_cast<int>(parameter);
    GraphData* graph = GetGraphData(handle);
    if (graph == nullptr || graph->orig == nullptr) return;
    const bool soft = GetGraphSoftImage(graph) != nullptr;
    if (movie->theora && movie->decoder != nullptr) {
        if (!soft && transferYUVGraphs(movie, handle, graph)) return;
        // A Theora movie converts its next frame now; when none came and one was already
        // transferred there is nothing to do.
        const int fresh = TheoraMovie_UpdateImage(movie->decoder, 1, 0, 0, 0);
        if (!fresh && movie->callbackRan) return;
    }
    const BaseImage* frame = movie->currentImage;
    if (frame == nullptr || frame->pixels == nullptr) return;
    // Side-by-side alpha: the left half of each frame is the colour, the right half the alpha.
    BaseImage color = *frame, alpha{};
    const BaseImage* alphaImage = nullptr;
    if (movie->colorAlphaHalves) {
        color.width = frame->width / 2;
        alpha = color;
        alpha.pixels = static_cast<std::uint8_t*>(frame->pixels) + color.width * frame->format.bytesPerPixel;
        alphaImage = &alpha;
    }
    const int width = graph->area.width, height = graph->area.height;
    if (MEMIMG* soft = GetGraphSoftImage(graph)) {
        BltBaseImageToMemImg(&color, alphaImage, soft, 0, 0, width, height, 0, 0, 0);
        return;
    }
    const ImageRect rect{0, 0, width, height};
    BltBaseImageToGraph(&rect, 0, 0, handle, &color, alphaImage, 0, 0);
}

int OpenGraphMovie(const SetupGraphParam* param, const char16_t* fileName, int graphHandle, int inTask) {
    int settings[3];
    CopyMovieLoadSettings(settings);
    int width = 0, height = 0;
    const int movie = OpenMovie(settings, fileName, nullptr, 0, &width, &height, 0, 0);
    if (movie == -1) return -1;
    const MovieHandleRecord* record = GetMovieHandleRecord(movie);
    const int halves = record != nullptr ? record->colorAlphaHalves : 0;
    if (SetupGraphHandle(param, graphHandle, halves ? width / 2 : width, height, halves ? 1 : 0, 0, 0, 0, 0,
                         inTask) != 0) {
        LogFormatUtf16(u"Graph Handle Setup Error : %s", fileName);
        DeleteAnyHandle(movie);
        return -1;
    }
    GraphData* graph = GetGraphData(graphHandle, 1);
    graph->movieHandle = movie;
    SetMovieFrameCallback(movie, TransferMovieFrameToGraph, static_cast<std::uint32_t>(graphHandle));
    return 0;
}

int CloseGraphMovie(int movieHandle) { return DeleteAnyHandle(movieHandle); }

}  // namespace ZaDod
