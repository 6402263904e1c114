// Test support: waiting for a child that ran a headless game loop, and checking the
// frame it dumped at exit.
#pragma once
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <string>
#include <vector>

namespace halvorine_test {

inline void expectChildSucceeded(pid_t child) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
}

// The dumped frame is width x height of one colour (every 997th pixel is read).
inline void expectDumpedFrame(const std::string& path, unsigned width, unsigned height, int red, int green,
                              int blue) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    for (size_t i = 0; i < rgb.size(); i += 3 * 997) {
        EXPECT_EQ(rgb[i], red);
        EXPECT_EQ(rgb[i + 1], green);
        EXPECT_EQ(rgb[i + 2], blue);
    }
}

}  // namespace halvorine_test
