// The short load entry points.
#include <cstring>
#include <vector>

#include "media/base/charcode.h"
#include "media/file/async_load.h"
#include "media/graphics/graph_load.h"

namespace ZaDod {

int LoadGraph(const char* path, int notUse3DFlag) { return LoadGraphEx(path, !notUse3DFlag, 0, 0); }

int LoadGraphEx(const char* path, int use3DFlag, int flag2, int flag3) {
    if (path == nullptr) return -1;
    // No narrow code page gives more UTF-16 units than it has bytes.
    const size_t units = std::strlen(path) + 1;
    char16_t stackBuffer[512];
    std::vector<char16_t> heapBuffer;
    char16_t* wide = stackBuffer;
    if (units + 16 > 512) {
        heapBuffer.resize(units);
        wide = heapBuffer.data();
    }
    if (ConvertString(path, GetDefaultNarrowCodePage(), wide, units * sizeof(char16_t), CodePageUtf16LE) <= 0)
        return -1;
    return LoadGraphExW(wide, use3DFlag, flag2, flag3);
}

int LoadGraphExW(const char16_t* path, int use3DFlag, int, int) {
    if (path == nullptr) return -1;
    GraphLoadRequest request;
    InitGraphLoadRequest(&request);
    request.fileName = path;
    request.textureFlag = use3DFlag;
    return LoadGraphRequest(&request, GetUseASyncLoadFlag(), 0);
}

}  // namespace ZaDod
