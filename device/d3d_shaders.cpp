// d3d_shaders.cpp - shader pairs loaded from the shader cache, and the vertex constants.
#include "d3d_shaders.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "../core/log.h"
#include "../core/paths.h"
#include "../core/stream.h"
#include "d3d_internal.h"
#include "glApi.h"

static_assert(sizeof(uint32_t[4]) == 16, "the cache header is four 32-bit values");

static struct {
    Shader slots[MAX_SHADERS];        // filled by load_shader, emptied by free_shader and at close
    Shader* current;                  // set_shader; cleared when its slot is freed
    float constants[VS_CONSTANTS][4]; // the registers; kept for the whole run
    int constantsVersion;             // raised by every set_vs_constants
} shaders;

static bool plain_character(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

const char* shader_cache_name(PathText& out, const char* name, const char* definitions)
{
    // Room for any name and suffix that can fit the result; a longer one is
    // cut here and then fails copy_text's assertion instead of overrunning.
    char text[4 * PathText::capacity()];
    const int room = static_cast<int>(sizeof text) - 8;
    int n = snprintf(text, room, "cache/%s", name);
    n = n < room ? n : room - 1;
    for (const char* d = definitions; d && *d; d += strlen(d) + 1) {
        if (n < room)
            text[n++] = '@';
        for (const char* c = d; *c && n < room; ++c)
            text[n++] = plain_character(*c) ? *c : '_';
    }
    snprintf(text + n, sizeof text - n, ".cache");
    copy_text(out, text);
    return out.s;
}

// Copies a definitions list (null: empty) with its closing empty text.
static void copy_definitions(LongText& out, const char* definitions)
{
    int len = 0;
    if (definitions)
        while (definitions[len])
            len += static_cast<int>(strlen(definitions + len)) + 1;
    ASSERT(len < LongText::capacity());
    if (len)
        memcpy(out.s, definitions, len);
    out.s[len] = 0;
}

void Shader::release()
{
    dependencies = DynArray<ShaderDependency>();
    if (program)
        glDeleteProgram(program);
    if (vs)
        glDeleteShader(vs);
    if (ps)
        glDeleteShader(ps);
    program = vs = ps = 0;
    ASSERT(empty());
}

static uint32_t compile_stage(GLenum stage, const char* code, int length, const char* name)
{
    GLuint sh = glCreateShader(stage);
    gl_shader_source(sh, code, length);
    glCompileShader(sh);
    GLint ok = GL_FALSE;
    glGetShaderiv(sh, GL_COMPILE_STATUS, &ok);
    if (ok)
        return sh;
    char info[1024] = "";
    glGetShaderInfoLog(sh, sizeof info, nullptr, info);
    log_message(
        "%s stage of '%s' does not compile: %s", stage == GL_VERTEX_SHADER ? "vertex" : "pixel", name, info);
    glDeleteShader(sh);
    return 0;
}

// Links the two stages and ties the sampler uniforms s0..s15 to their stages.
static bool link_pair(Shader* s)
{
    s->program = glCreateProgram();
    glAttachShader(s->program, s->vs);
    glAttachShader(s->program, s->ps);
    glLinkProgram(s->program);
    GLint ok = GL_FALSE;
    glGetProgramiv(s->program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char info[1024] = "";
        glGetProgramInfoLog(s->program, sizeof info, nullptr, info);
        log_message("shader '%s' does not link: %s", s->name.s, info);
        return false;
    }
    s->constantsAt = glGetUniformLocation(s->program, "c");
    s->pixelOffsetAt = glGetUniformLocation(s->program, "pixelOffset");
    s->alphaRefAt = glGetUniformLocation(s->program, "alphaRef");
    s->clipFixAt = glGetUniformLocation(s->program, "clipFix");
    s->constantsSeen = -1;
    s->sentOffset[0] = s->sentOffset[1] = s->sentAlphaRef = s->sentClipFix[0] = s->sentClipFix[1] = NAN;
    glUseProgram(s->program);
    for (int i = 0; i < SAMPLER_STAGES; ++i) {
        char sampler[8];
        snprintf(sampler, sizeof sampler, "s%d", i);
        GLint at = glGetUniformLocation(s->program, sampler);
        if (at >= 0)
            glUniform1i(at, i);
    }
    glUseProgram(shaders.current ? shaders.current->program : 0);
    return true;
}

// The dependency block: names each ended by a zero byte, up to an empty name
// or the end of the block. A name no path could have is a damaged file.
static void read_dependencies(DynArray<ShaderDependency>* dependencies, const char* block, int size)
{
    for (int at = 0; at < size && block[at];) {
        int end = at;
        while (end < size && block[end])
            ++end;
        int len = end - at;
        if (len >= PathText::capacity())
            throw InputStream::Exception("a dependency's name is longer than a path may have", -1);
        ShaderDependency dep;
        memcpy(dep.name.s, block + at, len);
        dep.name.s[len] = 0;
        dep.time = file_time(dep.name.s);
        dependencies->push(dep);
        at = end + 1;
    }
}

// Reads one cache file; the header says what each part holds.
bool read_shader_cache_file(const char* path, DynArray<ShaderDependency>* dependencies, DynArray<char>* code,
    uint32_t* vsLength, uint32_t* psLength)
{
    try {
        FileInputStream in;
        if (!in.open(path, "rb"))
            throw InputStream::Exception("can't open file", -1);
        uint32_t header[4];
        in.read(header, sizeof header);
        if (header[0] != SHADER_CACHE_MAGIC)
            throw InputStream::Exception("not a shader cache file", 0);
        // Lengths beyond the file are a truncated or hostile file; nothing
        // that large is ever allocated.
        if (uint64_t(header[1]) + header[2] + header[3] > uint64_t(in.bytes_left()))
            throw InputStream::Exception("file shorter than its header says", in.tell());
        // The file's size fits 32 bits, so these counts do too.
        DynArray<char> block;
        block.resize(static_cast<int>(header[1]) + 1);
        in.read(block.data(), header[1]);
        read_dependencies(dependencies, block.data(), header[1]);
        code->resize(static_cast<int>(header[2] + header[3]) + 1);
        in.read(code->data(), header[2]);
        in.read(code->data() + header[2], header[3]);
        *vsLength = header[2];
        *psLength = header[3];
    } catch (const StreamIOException& e) {
        log_message("can't read shader cache '%s': %s", path, e.message.s);
        return false;
    }
    return true;
}

static bool load_shader_cache(Shader* s)
{
    ASSERT(s);
    PathText name, path;
    resolve_path(path, shader_cache_name(name, s->name.s, s->definitions.s));
    s->dependencies.clear();
    DynArray<char> code;
    uint32_t vsLength = 0, psLength = 0;
    if (!read_shader_cache_file(path.s, &s->dependencies, &code, &vsLength, &psLength))
        return false;
    int64_t cacheTime = file_time(path.s);
    for (const ShaderDependency& dep : s->dependencies) {
        if (dep.time > cacheTime) {
            log_message("shader cache '%s' is older than '%s'", path.s, dep.name.s);
            return false;
        }
    }
    s->vs = compile_stage(GL_VERTEX_SHADER, code.data(), vsLength, s->name.s);
    if (s->vs)
        s->ps = compile_stage(GL_FRAGMENT_SHADER, code.data() + vsLength, psLength, s->name.s);
    if (!s->vs || !s->ps || !link_pair(s))
        return false;
    log_message("loaded shader '%s' from cache", s->name.s);
    return true;
}

Shader* load_shader(const char* name, const char* definitions)
{
    Shader* s = nullptr;
    for (Shader& slot : shaders.slots) {
        if (slot.empty()) {
            s = &slot;
            break;
        }
    }
    if (!s)
        fatal_error("reached maximum shader count!");
    copy_text(s->name, name);
    copy_definitions(s->definitions, definitions);
    if (!load_shader_cache(s)) {
        s->release();
        fatal_error("can't create shader from cache for '%s'", name);
    }
    return s;
}

void set_shader(Shader* shader)
{
    shaders.current = shader;
    glUseProgram(shader ? shader->program : 0);
}

void set_vs_constants(int first_register, const float* data, int count)
{
    ASSERT(first_register >= 0 && count >= 0 && first_register + count <= VS_CONSTANTS);
    memcpy(shaders.constants[first_register], data, sizeof(float) * 4 * count);
    ++shaders.constantsVersion;
}

void apply_shader_state(float alpha_ref)
{
    Shader* s = shaders.current;
    if (!s)
        return;
    if (s->constantsSeen != shaders.constantsVersion && s->constantsAt >= 0)
        glUniform4fv(s->constantsAt, VS_CONSTANTS, shaders.constants[0]);
    s->constantsSeen = shaders.constantsVersion;
    // Direct3D 9 covers and samples pixel (x, y) at the screen point (x, y),
    // OpenGL at (x + 0.5, y + 0.5). Moving every vertex right and down by
    // just under half a pixel gives Direct3D's picture: edges that Direct3D
    // puts between pixel centres stay between them, and edges that it puts
    // on a centre (where its top-left rule decides) land just before it, so
    // OpenGL's own tie rule, which differs, never comes into play. Varyings
    // are then read 1/64 pixel from where Direct3D reads them.
    static const float NEAR_HALF = 0.5f - 1.0f / 64;
    int w, h;
    current_target_size(&w, &h);
    if (s->pixelOffsetAt >= 0 && w > 0 && h > 0) {
        float x = 2 * NEAR_HALF / w, y = -2 * NEAR_HALF / h;
        if (x != s->sentOffset[0] || y != s->sentOffset[1])
            glUniform2f(s->pixelOffsetAt, x, y);
        s->sentOffset[0] = x;
        s->sentOffset[1] = y;
    }
    if (s->clipFixAt >= 0) {
        float fix[2];
        gl_clip_fix(&fix[0], &fix[1]);
        if (fix[0] != s->sentClipFix[0] || fix[1] != s->sentClipFix[1])
            glUniform2f(s->clipFixAt, fix[0], fix[1]);
        s->sentClipFix[0] = fix[0];
        s->sentClipFix[1] = fix[1];
    }
    if (s->alphaRefAt >= 0 && alpha_ref != s->sentAlphaRef) {
        glUniform1f(s->alphaRefAt, alpha_ref);
        s->sentAlphaRef = alpha_ref;
    }
}

void free_shader(Shader* shader)
{
    if (!shader)
        return;
    if (shaders.current == shader)
        set_shader(nullptr);
    shader->release();
}

void release_all_shaders()
{
    if (shaders.current)
        set_shader(nullptr);
    for (Shader& s : shaders.slots)
        s.release();
}
