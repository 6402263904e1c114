// Tests of media/graphics/graph_reload: the kept source of a graph.
#include "media/graphics/graph_reload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace ZaDod;

namespace {

// An ARGB8 image of the given chain with every byte numbered.
struct ChainImage {
    BaseImage image{};
    std::vector<unsigned char> bytes;
    ChainImage(int w, int h, int mips, int images) {
        CreateARGB8ColorData(&image.format);
        image.width = w;
        image.height = h;
        image.pitch = w * 4;
        image.mipCount = mips;
        image.imageCount = images;
        bytes.resize(static_cast<size_t>(GetBaseImageDataSize(&image)));
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
        image.pixels = bytes.data();
    }
};

GraphReloadData* keep(const GraphReloadSource& source) {
    GraphReloadData* data = nullptr;
    EXPECT_EQ(CreateGraphReloadData(&source, &data), 0);
    return data;
}

}  // namespace

TEST(GraphReload, KeepsFirstSourcePresent) {
    const unsigned char mem[5] = {1, 2, 3, 4, 5};
    GraphReloadSource source{};
    EXPECT_EQ(keep(source), nullptr);

    source.fileName = u"pic.png";
    source.memImage = mem;
    source.memImageSize = sizeof(mem);
    source.mirror = 1;
    GraphReloadData* byName = keep(source);
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(std::u16string(byName->fileName), u"pic.png");
    EXPECT_EQ(byName->memImage, nullptr);
    EXPECT_EQ(byName->mirror, 1);
    EXPECT_EQ(byName->refCount, 1);
    AddGraphReloadDataRef(byName);
    ReleaseGraphReloadData(byName);
    EXPECT_EQ(byName->refCount, 1);
    ReleaseGraphReloadData(byName);

    source.fileName = nullptr;
    source.alphaMemImage = mem + 1;
    source.alphaMemImageSize = 3;
    GraphReloadData* byMemory = keep(source);
    ASSERT_NE(byMemory, nullptr);
    ASSERT_EQ(byMemory->memImageSize, 5u);
    EXPECT_NE(byMemory->memImage, mem);
    EXPECT_EQ(std::memcmp(byMemory->memImage, mem, 5), 0);
    EXPECT_EQ(std::memcmp(byMemory->alphaMemImage, mem + 1, 3), 0);
    ReleaseGraphReloadData(byMemory);
}

TEST(GraphReload, CopiesMipChainsAndCubeMapsWhole) {
    ChainImage mips(16, 8, 5, 0);
    ChainImage cube(4, 4, 3, 6);
    for (ChainImage* source : {&mips, &cube}) {
        GraphReloadSource from{};
        from.image = &source->image;
        from.alphaImage = &mips.image;
        GraphReloadData* data = keep(from);
        ASSERT_NE(data, nullptr);
        ASSERT_NE(data->image->pixels, source->image.pixels);
        EXPECT_EQ(data->image->mipCount, source->image.mipCount);
        EXPECT_EQ(std::memcmp(data->image->pixels, source->bytes.data(), source->bytes.size()), 0);
        EXPECT_EQ(std::memcmp(data->alphaImage->pixels, mips.bytes.data(), mips.bytes.size()), 0);
        ReleaseGraphReloadData(data);
    }
}
