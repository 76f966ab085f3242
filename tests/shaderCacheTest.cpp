// Shader cache files: their name, their format's edge cases and hostile copies.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <utime.h>

#include <fstream>
#include <sstream>
#include <string>

#include "deathTest.h"
#include "device/d3d_shaders.h"
#include "deviceFixture.h"

// The two stages of the post-effect, as the build tool wrote them.
struct Stages {
    std::string vs, ps;
};

static std::string read_all(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

static uint32_t u32_at(const std::string& data, size_t at)
{
    uint32_t v;
    memcpy(&v, data.data() + at, 4);
    return v;
}

static Stages built_stages()
{
    std::string data = read_all(test_file("cache/postfx_none.sh.cache"));
    uint32_t l = u32_at(data, 4), v = u32_at(data, 8), p = u32_at(data, 12);
    return {data.substr(16 + l, v), data.substr(16 + l + v, p)};
}

static void put_u32(std::string& out, uint32_t v)
{
    out.append(reinterpret_cast<const char*>(&v), 4);
}

// A cache file with the given dependency block and the post-effect's stages.
static std::string cache_file(const std::string& block, const Stages& s)
{
    std::string data;
    put_u32(data, SHADER_CACHE_MAGIC);
    put_u32(data, static_cast<uint32_t>(block.size()));
    put_u32(data, static_cast<uint32_t>(s.vs.size()));
    put_u32(data, static_cast<uint32_t>(s.ps.size()));
    return data + block + s.vs + s.ps;
}

// Writes cache/NAME.cache beside the test program (each test uses its own name).
static void write_cache(const std::string& name, const std::string& data)
{
    std::ofstream(test_file(("cache/" + name + ".cache").c_str()), std::ios::binary) << data;
}

class ShaderCacheTest : public DeviceTest {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        DeviceTest::SetUp();
    }
};

TEST(ShaderCacheName, DefinitionsBecomeASuffixOfPlainCharacters)
{
    PathText out;
    EXPECT_STREQ(shader_cache_name(out, "cube.sh", nullptr), "cache/cube.sh.cache");
    EXPECT_STREQ(shader_cache_name(out, "cube.sh", ""), "cache/cube.sh.cache");
    EXPECT_STREQ(shader_cache_name(out, "x.sh", "FAST MODE\0A-B\0"), "cache/x.sh@FAST_MODE@A_B.cache");
}

TEST_F(ShaderCacheTest, AbsentDependenciesLoadAndAnEmptyBlockMeansNone)
{
    Stages s = built_stages();
    write_cache("absent.sh", cache_file(std::string("/nonexistent/a.sh\0/nonexistent/b.glsl\0\0", 38), s));
    testing::internal::CaptureStdout();
    Shader* a = load_shader("absent.sh", nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "loaded shader 'absent.sh' from cache\n");
    ASSERT_EQ(a->dependencies.size(), 2);
    EXPECT_STREQ(a->dependencies[1].name.s, "/nonexistent/b.glsl");
    EXPECT_EQ(a->dependencies[1].time, 0);

    write_cache("nodeps.sh", cache_file("", s));
    EXPECT_EQ(load_shader("nodeps.sh", nullptr)->dependencies.size(), 0);

    // A block that ends without an empty name is read to its end.
    std::string dep = test_file("cache/nodeps.sh.cache");
    write_cache("open.sh", cache_file(std::string("/nonexistent/a.sh\0", 18) + dep, s));
    Shader* open = load_shader("open.sh", nullptr);
    ASSERT_EQ(open->dependencies.size(), 2);
    EXPECT_EQ(std::string(open->dependencies[1].name.s), dep);
    EXPECT_GT(open->dependencies[1].time, 0);

    // Freed slots are reused.
    free_shader(a);
    EXPECT_TRUE(a->empty());
    write_cache("again.sh", cache_file("", s));
    EXPECT_EQ(load_shader("again.sh", nullptr), a);
}

TEST_F(ShaderCacheTest, DefinitionsChooseTheCacheFile)
{
    write_cache("defs.sh@FAST_MODE@A_B", cache_file("", built_stages()));
    Shader* s = load_shader("defs.sh", "FAST MODE\0A-B\0");
    EXPECT_STREQ(s->definitions.s, "FAST MODE");
    EXPECT_STREQ(s->definitions.s + 10, "A-B");
}

TEST_F(ShaderCacheTest, ADependencyNewerThanTheCacheRefusesThePair)
{
    std::string source = test_file("cache/touched_source.sh");
    std::ofstream(source) << "// a source\n";
    write_cache("touched.sh", cache_file(source + '\0', built_stages()));
    // The cache file is a minute older than its source.
    struct utimbuf old = {time(nullptr) - 60, time(nullptr) - 60};
    utime(test_file("cache/touched.sh.cache").c_str(), &old);
    EXPECT_FATAL(
        load_shader("touched.sh", nullptr), "ERROR: can't create shader from cache for 'touched.sh'");
    // Equal times pass.
    utime(source.c_str(), &old);
    EXPECT_NE(load_shader("touched.sh", nullptr), nullptr);
}

TEST_F(ShaderCacheTest, DamagedFilesEndTheProgramWithTheShadersName)
{
    Stages s = built_stages();
    std::string whole = cache_file("", s);
    write_cache("cut.sh", whole.substr(0, whole.size() - s.ps.size() / 2));
    EXPECT_FATAL(load_shader("cut.sh", nullptr), "can't create shader from cache for 'cut.sh'");

    std::string huge = whole;
    huge[12] = huge[13] = huge[14] = huge[15] = '\xff';
    write_cache("huge.sh", huge);
    EXPECT_FATAL(load_shader("huge.sh", nullptr), "can't create shader from cache for 'huge.sh'");

    std::string foreign = whole;
    foreign[0] = 'X';
    write_cache("foreign.sh", foreign);
    EXPECT_FATAL(load_shader("foreign.sh", nullptr), "can't create shader from cache for 'foreign.sh'");

    write_cache("header.sh", whole.substr(0, 10));
    EXPECT_FATAL(load_shader("header.sh", nullptr), "can't create shader from cache for 'header.sh'");

    EXPECT_FATAL(load_shader("missing.sh", nullptr), "can't create shader from cache for 'missing.sh'");

    write_cache("broken.sh", cache_file("", {s.vs, "#version 330 core\nvoid main() { nonsense; }\n"}));
    EXPECT_FATAL(load_shader("broken.sh", nullptr), "can't create shader from cache for 'broken.sh'");

    // A dependency deeper than 260 characters is a path like any other; one
    // longer than any path is damage. A caller's overlong name is a bug.
    write_cache("deepdep.sh", cache_file("/" + std::string(300, 'd') + '\0', s));
    EXPECT_NE(load_shader("deepdep.sh", nullptr), nullptr);
    write_cache("longdep.sh", cache_file(std::string(PATH_MAX, 'd') + '\0', s));
    EXPECT_FATAL(load_shader("longdep.sh", nullptr),
        "can't read shader cache '.*longdep.sh.cache': a dependency's name is longer than a path may have");
    EXPECT_FATAL(load_shader(std::string(PATH_MAX, 'n').c_str(), nullptr), "failed ASSERT\\(l<BS\\)");
}

TEST_F(ShaderCacheTest, TheTableHoldsSixtyFourPairs)
{
    write_cache("many.sh", cache_file("", built_stages()));
    for (int i = 0; i < MAX_SHADERS; ++i)
        ASSERT_NE(load_shader("many.sh", nullptr), nullptr);
    EXPECT_FATAL(load_shader("many.sh", nullptr), "ERROR: reached maximum shader count!");
}
