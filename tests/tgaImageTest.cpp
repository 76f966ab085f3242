// The TGA reader against valid, hostile and truncated files.
#include "core/tgaImage.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

class TgaFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tarnwick-tga-XXXXXX";
        dir = mkdtemp(pattern);
    }
    void TearDown() override { EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0); }

    static std::vector<uint8_t> header(int width, int height, int type = 2, int bits = 32, int idLength = 0)
    {
        std::vector<uint8_t> h(TGA_HEADER_SIZE, 0);
        h[0] = static_cast<uint8_t>(idLength);
        h[2] = static_cast<uint8_t>(type);
        h[12] = width & 255, h[13] = width >> 8;
        h[14] = height & 255, h[15] = height >> 8;
        h[16] = static_cast<uint8_t>(bits);
        return h;
    }
    std::string write(const std::vector<uint8_t>& bytes)
    {
        std::string name = dir + "/image" + std::to_string(count++) + ".tga";
        FILE* f = fopen(name.c_str(), "wb");
        if (!bytes.empty())
            fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        return name;
    }
    bool load(const std::vector<uint8_t>& bytes)
    {
        return load_tga(write(bytes).c_str(), &width, &height, &pixels);
    }

    std::string dir;
    int count = 0;
    int width = -1, height = -1;
    DynArray<uint32_t> pixels;
};

static void append(std::vector<uint8_t>& v, std::initializer_list<uint8_t> bytes)
{
    v.insert(v.end(), bytes);
}

TEST_F(TgaFiles, PixelsComeBackInFileOrderAsAarrggbb)
{
    auto file = header(2, 1);
    append(file, {0x10, 0x20, 0x30, 0x40, 0xff, 0x00, 0x80, 0x01});
    ASSERT_TRUE(load(file));
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 1);
    ASSERT_EQ(pixels.size(), 2);
    EXPECT_EQ(pixels[0], 0x40302010u);
    EXPECT_EQ(pixels[1], 0x018000ffu);
}

TEST_F(TgaFiles, IdBytesAreReadAsTheFirstPixels)
{
    auto file = header(1, 2, 2, 32, 4);
    append(file, {'I', 'D', 'I', 'D', 1, 2, 3, 4, 9, 9, 9, 9});
    ASSERT_TRUE(load(file));
    ASSERT_EQ(pixels.size(), 2);
    EXPECT_EQ(pixels[0], 0x44494449u);
    EXPECT_EQ(pixels[1], 0x04030201u);
}

TEST_F(TgaFiles, OtherFormatsAndZeroSizesAreRefused)
{
    auto rgb = header(1, 1, 2, 24);
    append(rgb, {1, 2, 3, 4});
    EXPECT_FALSE(load(rgb));
    auto rle = header(1, 1, 10, 32);
    append(rle, {1, 2, 3, 4, 5});
    EXPECT_FALSE(load(rle));
    auto colourMapped = header(1, 1, 1, 32);
    append(colourMapped, {1, 2, 3, 4});
    EXPECT_FALSE(load(colourMapped));
    EXPECT_FALSE(load(header(0, 4)));
    EXPECT_FALSE(load(header(4, 0)));
    EXPECT_EQ(width, -1) << "a failed read leaves the outputs alone";
}

TEST_F(TgaFiles, TruncatedFilesAreRefused)
{
    auto file = header(2, 2);
    append(file, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    EXPECT_FALSE(load(file)) << "one byte short of the pixels";
    auto shortHeader = header(2, 2);
    shortHeader.resize(10);
    EXPECT_FALSE(load(shortHeader));
    EXPECT_FALSE(load({}));
    EXPECT_FALSE(load_tga((dir + "/missing.tga").c_str(), &width, &height, &pixels));
}

TEST_F(TgaFiles, AHugeHeaderInAShortFileAllocatesNothing)
{
    auto file = header(65535, 65535);
    append(file, {1, 2, 3, 4});
    EXPECT_FALSE(load(file));
    EXPECT_EQ(pixels.capacity(), 0);
}

TEST_F(TgaFiles, AnImageBeyondA32BitByteCountIsRefusedEvenWhenTheFileHoldsIt)
{
    // 65535 x 65535 x 4 bytes: a sparse file that really is that long.
    std::string name = write(header(65535, 65535));
    int fd = open(name.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, TGA_HEADER_SIZE + 65535LL * 65535 * 4), 0);
    close(fd);
    EXPECT_FALSE(load_tga(name.c_str(), &width, &height, &pixels));
    EXPECT_EQ(pixels.capacity(), 0);
}

TEST_F(TgaFiles, TrailingBytesAfterThePixelsAreIgnored)
{
    auto file = header(1, 1);
    append(file, {1, 2, 3, 4, 0xee, 0xee});
    ASSERT_TRUE(load(file));
    EXPECT_EQ(pixels[0], 0x04030201u);
}
