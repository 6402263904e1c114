// Graph loading: image files, images in memory and base images into graph handles,
// synchronously or on a loading worker, divided loads, and the kept sources that
// rebuild graphs after the device was lost.
#pragma once
#include <cstddef>

#include "media/graphics/base_image_load.h"
#include "media/graphics/graph.h"

namespace ZaDod {

struct GraphLoadRequest {
    ImageLoadStream stream;
    SetupGraphParam param;
    int rebuild;  // fill existing handles instead of creating new ones
    int handle;
    int baseHandle;  // the graph holding the whole image of a divided load
    const char16_t* fileName;
    const void* memImage;
    size_t memImageSize;
    const void* alphaMemImage;
    size_t alphaMemImageSize;
    BaseImage* image;  // images the caller holds
    BaseImage* alphaImage;
    int count, xCount, yCount;
    int width;
    float widthf;
    int height;
    float heightf;
    int* handles;
    int textureFlag;
    int mirror;
};

// Fills the stream record and the settings for a load with the current settings.
void InitGraphLoadRequest(GraphLoadRequest* request);

int LoadGraphRequest(GraphLoadRequest* request, int asyncFlag, int inTask);
int LoadDivGraphRequest(GraphLoadRequest* request, int asyncFlag, int inTask);
int LoadGraphBody(GraphLoadRequest* request, int inTask);
int LoadDivGraphBody(GraphLoadRequest* request, int inTask);
int LoadDivGraphFromSource(const char16_t* fileName, const void* memImage, size_t memSize, int count, int xCount,
                           int yCount, int width, int height, int* handles, int textureFlag, int asyncFlag);

int CreateGraphFromBaseImage(BaseImage* image, BaseImage* alphaImage, int textureFlag, int asyncFlag);
int CreateGraphFromImageBody(const SetupGraphParam* param, int rebuild, int handle, BaseImage* image,
                             BaseImage* alphaImage, int textureFlag, int inTask);
int CreateDivGraphFromGraphImage(const SetupGraphParam* param, int separateTextures, int sourceHandle,
                                 BaseImage* image, BaseImage* alphaImage, int count, int xCount, int yCount,
                                 int width, float widthf, int height, float heightf, const int* handles, int mirror,
                                 int inTask);

// Replaces the graph's kept source: shares sourceHandle's when that is a graph, else
// copies `source`; with noReloadData nothing is kept.
int SetGraphReloadData(int noReloadData, int handle, const GraphReloadSource* source, int sourceHandle,
                       int allowLoading);
// Loads the images of a kept file name or memory image as the rebuild does: 0 with an
// alpha image, 1 without, -1 when they cannot be read. The caller releases both images.
int LoadGraphReloadImages(const GraphReloadData* data, BaseImage* color, BaseImage* alpha);
int ReloadAllGraphs();
int GetWhiteGraph();

// Refills part of a graph from GDI bitmaps (bitmapFlag) or base images at (x, y) of it.
// The graph's kept source becomes copies of the images when they cover the graph from
// its top-left, else the graph's whole picture: its kept source (transparent black
// without one) with the images written into it. -1 only when the transfer failed; a
// kept source that cannot be made anew stays as it was (logged).
int TransferBitmapToGraph(const PixelFormatDesc* colorData, plat::win::HBITMAP bitmap,
                          plat::win::HBITMAP alphaBitmap, int bitmapFlag, const BaseImage* image,
                          const BaseImage* alphaImage, int x, int y, int handle);

int LoadGraph(const char* path, int notUse3DFlag = 0);
int LoadGraphEx(const char* path, int use3DFlag, int flag2, int flag3);
int LoadGraphExW(const char16_t* path, int use3DFlag, int flag2, int flag3);

}  // namespace ZaDod
