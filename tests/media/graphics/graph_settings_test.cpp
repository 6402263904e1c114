// Tests of media/graphics/graph_settings: the graph-creation settings in force.
#include <gtest/gtest.h>

#include "media/graphics/base_image_load.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/graph_trans_alpha.h"

using namespace ZaDod;

TEST(GraphSettings, TransColorAndParamDefaults) {
    int r, g, b;
    ASSERT_EQ(GetTransColor(&r, &g, &b), 0);
    EXPECT_EQ((r << 16) | (g << 8) | b, 0xFF00FF);
    SetTransColor(1, 2, 3);
    EXPECT_EQ(GetGraphTransColor(), 0x010203u);
    ImageLoadStream stream;
    SetupImageLoadStream(&stream, 0);
    EXPECT_EQ(stream.transColor, 0x010203u);  // the loaders key on the same colour

    GraphCreateSettingsData.words.colorBits = 32;
    GraphCreateSettingsData.words.keep = 1;
    GraphCreateSettingsData.words.multiSampleCount = 4;
    SetupGraphParam param;
    InitSetupGraphParamFromSettings(&param);
    EXPECT_EQ(param.transColor, 0x010203);
    EXPECT_EQ(param.colorBits, 32);
    EXPECT_EQ(param.multiSampleCount, 4);
    EXPECT_EQ(param.keep, 0);
    EXPECT_EQ(param.managed, 1);  // inverted "not managed" setting
    EXPECT_EQ(param.depthBuffer, 1);
    GraphCreateSettingsData = {};
    SetTransColor(255, 0, 255);
}

TEST(GraphTransAlpha, KeyPixelsTakeNeighbourColour) {
    BaseImage image{};
    ASSERT_EQ(CreateXRGB8ColorBaseImage(3, 2, &image), 0);
    // Row 0: key, red, key; row 1: key, key, key.
    FillBaseImage(&image, 255, 0, 255, 255);
    SetBaseImagePixel(&image, 1, 0, 255, 0, 0, 255);
    EXPECT_EQ(GetTopLeftTransColor(&image), 0xFF00FFu);
    BaseImage out{};
    ASSERT_EQ(ConvertTransColorToAlpha(&image, 0xFF00FF, &out), 0);
    int r, g, b, a;
    GetBaseImagePixel(&out, 1, 0, &r, &g, &b, &a);
    EXPECT_EQ(a, 255);
    GetBaseImagePixel(&out, 0, 0, &r, &g, &b, &a);
    EXPECT_EQ((r << 16) | (g << 8) | b | (a << 24), 0xFF0000);
    GetBaseImagePixel(&out, 1, 1, &r, &g, &b, &a);
    EXPECT_EQ((r << 16) | (g << 8) | b | (a << 24), 0xFF0000);
    // Not next to any opaque pixel: keeps the key colour, transparent.
    GetBaseImagePixel(&out, 0, 1, &r, &g, &b, &a);
    EXPECT_EQ((r << 16) | (g << 8) | b | (a << 24), 0xFF00FF);
    ReleaseBaseImage(&out);
    ReleaseBaseImage(&image);
}
