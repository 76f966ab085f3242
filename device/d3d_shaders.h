// d3d_shaders.h - shader pairs loaded from the shader cache, and the vertex constants.
//
// A shader pair is built outside the game (tools/shaderCache) from
// assets/shaders/NAME.sh into cache/NAME.sh.cache beside the program. The
// game only hands the cached stages to OpenGL; a missing, damaged or outdated
// cache file ends the program. Shaders survive device resets.
//
// Cache file (integers 32-bit little-endian): magic 0x20100715, L, V, P; then
// L bytes of dependency names (each ended by a zero byte; an empty name or
// the block's end ends the list), V bytes of vertex-stage and P bytes of
// pixel-stage GLSL text. A pair is refused when a dependency is newer than
// the cache file.
#pragma once

#include <stdint.h>

#include "../libs/inc/cont/zu_dynArray.h"
#include "../libs/inc/misc/zu_utils.h"

enum { MAX_SHADERS = 64, SHADER_CACHE_MAGIC = 0x20100715 };
// Vertex-shader constant registers: uniform vec4 c[VS_CONSTANTS] in every vertex stage.
enum { VS_CONSTANTS = 32 };

struct ShaderDependency {
    PathText name;
    int64_t time; // file_time when the pair was loaded; 0 for a file that is absent
};

// Reads a shader cache file: appends the sources it was built from (with
// their times now) to dependencies and puts both stages' code, vertex stage
// first, into code with a zero after it. False, with the reason logged, for a
// missing, foreign, short or hostile file.
bool read_shader_cache_file(const char* path, DynArray<ShaderDependency>* dependencies, DynArray<char>* code,
    uint32_t* vsLength, uint32_t* psLength);

// A table slot; the handle of a shader is its address. Free while vs is 0.
struct Shader {
    uint32_t vs, ps;      // GL shader objects
    PathText name;        // as the caller gave it, e.g. "cube.sh"
    LongText definitions; // texts each ended by a zero byte, the list by an empty text
    DynArray<ShaderDependency> dependencies;
    uint32_t program;  // the linked pair
    int constantsSeen; // constants_version when this program last received the registers
    int constantsAt, pixelOffsetAt, alphaRefAt, clipFixAt; // uniform locations, -1 when unused
    // The pixel offset and alpha reference this program last received; NaN
    // after linking, so the first draw sends them.
    float sentOffset[2], sentAlphaRef, sentClipFix[2];

    bool empty() const { return vs == 0; }
    void release();
};

// Loads the pair of name (with an optional list of definitions, or null) from
// its cache file; the program ends when that fails or the table is full.
Shader* load_shader(const char* name, const char* definitions);
// Binds the pair; null unbinds both stages.
void set_shader(Shader* shader);
// Sets count registers c[first]..c[first+count-1] from 4 * count floats. The
// registers belong to the device, not to a shader: they stay set across
// set_shader as Direct3D's do.
void set_vs_constants(int first_register, const float* data, int count);
// Empties the slot; null is ignored.
void free_shader(Shader* shader);
// At close.
void release_all_shaders();

// The cache file of a pair, relative to the program's directory:
// "cache/" + name + "@DEF" for each definition (characters other than
// letters and digits turned into '_') + ".cache".
const char* shader_cache_name(PathText& out, const char* name, const char* definitions);
