// The tile library and palette loaders: good files, and corrupt, truncated
// and hostile ones, which must end through the fatal path, never in a crash.
#include "gen/levelTiles.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "deathTest.h"
#include "levelTestData.h"
#include "tempFile.h"

namespace {

std::vector<TestTile> two_tiles()
{
    return {
        {"back0", 2, 1, 1, 0, 0, 14, {7, 0}},
        {"stairR", 1, 2, 3, -1, 2, 0, {1, 2, 3, 4, 5, 6}},
    };
}

// Dies through the fatal path, or loads; never anything else.
bool loads_or_fails_cleanly(int status)
{
    return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 100);
}

class LevelTiles : public ::testing::Test {
protected:
    void TearDown() override { free_level_tiles(); }
};

} // namespace

TEST_F(LevelTiles, LoadsRecordsNamesAndVoxelsAndLogsTheNameGiven)
{
    TempFile file(tile_file(two_tiles()));
    ::testing::internal::CaptureStdout();
    load_level_tiles(file.path.c_str());
    std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "loaded 2 level tiles from " + file.path + "\n");
    EXPECT_EQ(level_tile_count(), 2);

    const LevelTile* t = find_level_tile("stairR");
    EXPECT_EQ(t->nx, 1);
    EXPECT_EQ(t->ny, 2);
    EXPECT_EQ(t->nz, 3);
    EXPECT_EQ(t->dx, -1);
    EXPECT_EQ(t->dy, 2);
    EXPECT_EQ(t->dz, 0);
    EXPECT_STREQ(t->name, "stairR");
    EXPECT_EQ(t->voxels[0 + 1 * (1 + 2 * 2)], 6); // (i, j, k) = (0, 1, 2)
    EXPECT_EQ(find_level_tile("back0")->dz, 14);
}

TEST_F(LevelTiles, AnEmptyLibraryLoadsAndFindsNothing)
{
    TempFile file(tile_file(std::vector<TestTile>{}));
    ::testing::internal::CaptureStdout();
    load_level_tiles(file.path.c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "loaded 0 level tiles from " + file.path + "\n");
    EXPECT_FATAL(find_level_tile("back0"), "ERROR: can't find level tile 'back0'");
}

TEST_F(LevelTiles, LookupIsExactAndTheFirstOfTwoEqualNamesWins)
{
    std::vector<TestTile> tiles = two_tiles();
    tiles.push_back({"back0", 1, 1, 1, 5, 0, 0, {9}});
    TempFile file(tile_file(tiles));
    load_level_tiles(file.path.c_str());
    EXPECT_EQ(find_level_tile("back0")->dz, 14);
    EXPECT_FATAL(find_level_tile("Back0"), "can't find level tile 'Back0'");
    EXPECT_FATAL(find_level_tile("back"), "can't find level tile 'back'");
}

TEST_F(LevelTiles, LookupBeforeLoadingOrAfterFreeingIsFatal)
{
    free_level_tiles();
    free_level_tiles(); // twice is harmless
    EXPECT_FATAL(find_level_tile("back0"), "ERROR: level tiles are not loaded!");
    TempFile file(tile_file(two_tiles()));
    load_level_tiles(file.path.c_str());
    free_level_tiles();
    EXPECT_EQ(level_tile_count(), 0);
    EXPECT_FATAL(find_level_tile("back0"), "level tiles are not loaded!");
}

TEST_F(LevelTiles, ReloadingReplacesTheLibraryAndCountsTheLoad)
{
    TempFile first(tile_file(two_tiles()));
    TempFile second(tile_file({{"wall0", 1, 1, 1, 0, 0, 0, {3}}}));
    load_level_tiles(first.path.c_str());
    int loads = level_tiles_load_count();
    load_level_tiles(second.path.c_str());
    EXPECT_EQ(level_tiles_load_count(), loads + 1);
    EXPECT_EQ(level_tile_count(), 1);
    EXPECT_EQ(find_level_tile("wall0")->voxels[0], 3);
    EXPECT_FATAL(find_level_tile("back0"), "can't find level tile 'back0'");
}

TEST_F(LevelTiles, MissingFilesAndWrongTagsAreFatal)
{
    EXPECT_FATAL(load_level_tiles("/nonexistent/tiles.bin"), "ERROR: can't open /nonexistent/tiles.bin");
    EXPECT_FATAL(load_level_palette("/nonexistent/level.pal", nullptr, 256),
        "ERROR: can't open /nonexistent/level.pal");

    std::vector<uint8_t> bytes = tile_file(two_tiles());
    bytes[3] ^= 0x01;
    TempFile badTag(bytes);
    EXPECT_FATAL(load_level_tiles(badTag.path.c_str()),
        "ERROR: error reading " + badTag.path + " : invalid version tag");
    // A palette is not a tile library, nor the other way round.
    TempFile palette(palette_file({1, 2}, 2));
    EXPECT_FATAL(load_level_tiles(palette.path.c_str()), "invalid version tag");
    TempFile tiles(tile_file(two_tiles()));
    uint32_t colours[256];
    EXPECT_FATAL(load_level_palette(tiles.path.c_str(), colours, 256), "invalid version tag");
}

TEST_F(LevelTiles, AFileEndingAnywhereBeforeItsEndIsFatal)
{
    std::vector<uint8_t> bytes = tile_file(two_tiles());
    for (size_t cut : {size_t(0), size_t(2), size_t(4), size_t(7), size_t(8), size_t(12), size_t(15),
             size_t(16), size_t(17), bytes.size() / 2, bytes.size() - 1}) {
        TempFile file(bytes.data(), cut);
        SCOPED_TRACE(cut);
        const char* expected = cut < 4 ? "invalid version tag"
            : cut < 16                 ? "file ends inside its header"
                                       : "error reading file";
        EXPECT_FATAL(
            load_level_tiles(file.path.c_str()), "ERROR: error reading .* : " + std::string(expected));
    }
}

TEST_F(LevelTiles, AStreamThatUnpacksToOneByteMoreOrLessIsFatal)
{
    std::vector<uint8_t> block = tile_block(two_tiles());
    TempFile shorter(tile_file(block, 2, static_cast<int64_t>(block.size()) + 1));
    TempFile longer(tile_file(block, 2, static_cast<int64_t>(block.size()) - 1));
    EXPECT_FATAL(load_level_tiles(shorter.path.c_str()), "error unpacking data");
    EXPECT_FATAL(load_level_tiles(longer.path.c_str()), "error unpacking data");
    // An unpacked size no stream of this length could reach is refused before
    // anything is allocated for it.
    TempFile huge(tile_file(block, 2, 0xFFFFFFF0));
    EXPECT_FATAL(load_level_tiles(huge.path.c_str()), "error unpacking data");
}

TEST_F(LevelTiles, HostileCountsOffsetsAndSizesAreFatal)
{
    std::vector<uint8_t> block = tile_block(two_tiles());
    auto record = [&](int i) { return reinterpret_cast<LevelTileRecord*>(block.data()) + i; };
    struct Case {
        const char* what;
        std::function<void()> spoil;
        uint32_t count;
        const char* message;
    };
    std::vector<uint8_t> good = block;
    Case cases[] = {
        {"records past the block", [] {}, 1000, "tile records lie outside the unpacked block"},
        {"count near 2^32", [] {}, 0xFFFFFFFF, "tile records lie outside the unpacked block"},
        {"name at the end", [&] { record(1)->nameOffset = uint32_t(block.size()); }, 2,
            "tile 1: name lies outside the unpacked block"},
        {"name far away", [&] { record(0)->nameOffset = 0xFFFFFFFF; }, 2,
            "tile 0: name lies outside the unpacked block"},
        {"name without terminator",
            [&] {
                block.back() = 'x';
                record(1)->nameOffset = uint32_t(block.size() - 1);
            },
            2, "tile 1: name lies outside the unpacked block"},
        {"voxels one past the end", [&] { record(1)->voxelOffset += 1; }, 2,
            "tile 1: voxels lie outside the unpacked block"},
        {"voxel offset far away", [&] { record(0)->voxelOffset = 0xFFFFFFFF; }, 2,
            "tile 0: voxels lie outside the unpacked block"},
        {"huge sizes", [&] { record(0)->nx = record(0)->ny = record(0)->nz = 0xFFFF; }, 2,
            "tile 0: voxels lie outside the unpacked block"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        block = good;
        c.spoil();
        TempFile file(tile_file(block, c.count));
        EXPECT_FATAL(load_level_tiles(file.path.c_str()), c.message);
    }
}

TEST_F(LevelTiles, ANegativePackedLengthFailsItsAssertion)
{
    std::vector<uint8_t> bytes = tile_file(two_tiles());
    int32_t negative = -5;
    memcpy(bytes.data() + 12, &negative, 4);
    TempFile file(bytes);
    EXPECT_FATAL(load_level_tiles(file.path.c_str()), "failed ASSERT\\(n>=0\\)");
}

TEST_F(LevelTiles, FlippedBitsNeverCrashTheLoader)
{
    std::vector<uint8_t> good = tile_file(two_tiles());
    for (size_t bit = 0; bit < good.size() * 8; bit += bit < 16 * 8 ? 1 : 5) {
        std::vector<uint8_t> bytes = good;
        bytes[bit / 8] ^= static_cast<uint8_t>(1 << (bit % 8));
        TempFile file(bytes);
        SCOPED_TRACE(bit);
        EXPECT_EXIT(
            {
                load_level_tiles(file.path.c_str());
                _Exit(0);
            },
            loads_or_fails_cleanly, "");
    }
}

TEST(LevelPalette, FillsTheCallersArrayUpToItsCountAndLeavesTheRest)
{
    std::vector<uint32_t> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010101);
    TempFile full(palette_file(colours, 256));
    uint32_t palette[256] = {};
    EXPECT_EQ(load_level_palette(full.path.c_str(), palette, 256), 256);
    EXPECT_EQ(palette[255], 0xFFFFFFFFu);
    EXPECT_EQ(palette[1], 0xFF010101u);

    TempFile three(palette_file({0, 0xFF112233, 0xFF445566}, 3));
    uint32_t small[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(load_level_palette(three.path.c_str(), small, 8), 3);
    EXPECT_EQ(small[2], 0xFF445566u);
    EXPECT_EQ(small[3], 9u);
}

TEST(LevelPalette, TooManyColoursWrongSizesAndShortFilesAreFatal)
{
    uint32_t palette[256];
    std::vector<uint32_t> colours(257, 0xFF808080);
    TempFile many(palette_file(colours, 257));
    EXPECT_FATAL(load_level_palette(many.path.c_str(), palette, 256),
        "ERROR: error reading " + many.path + " : too many colors");

    colours.resize(4);
    TempFile more(palette_file(colours, 3));
    TempFile fewer(palette_file(colours, 5));
    EXPECT_FATAL(load_level_palette(more.path.c_str(), palette, 256), "error unpacking data");
    EXPECT_FATAL(load_level_palette(fewer.path.c_str(), palette, 256), "error unpacking data");

    std::vector<uint8_t> bytes = palette_file(colours, 4);
    for (size_t cut : {size_t(3), size_t(6), size_t(11), bytes.size() - 1}) {
        TempFile file(bytes.data(), cut);
        SCOPED_TRACE(cut);
        EXPECT_FATAL(load_level_palette(file.path.c_str(), palette, 256), "ERROR: error reading ");
    }
}
