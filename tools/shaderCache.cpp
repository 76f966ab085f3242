// shaderCache.cpp - builds a shader cache file from a shader source at build time.
//
//   shaderCache --glslang VALIDATOR [-I DIR]... [-D NAME]... [--depfile FILE] [--no-dependencies]
//               SOURCE OUTPUT
//
// SOURCE holds both stages in GLSL, chosen with #ifdef VERTEX_SHADER and
// #ifdef PIXEL_SHADER; '#include "name"' lines are replaced by the named file,
// looked for beside the including file and then in each -I directory. Each
// stage is checked with the validator; OUTPUT gets the game's cache format:
// magic 0x20100715, the byte lengths L, V and P, the dependency block (the
// absolute name of the source and of every included file, each ended by a
// zero byte, then an empty name), the vertex stage and the pixel stage.
// With --no-dependencies the block is empty (L = 0): for caches installed
// away from the sources, which must load whatever happens to the sources.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static const uint32_t CACHE_MAGIC = 0x20100715;
static const char* const GLSL_VERSION = "#version 330 core\n";
enum { MAX_INCLUDE_DEPTH = 16 };

struct Options {
    std::string validator, source, output, depfile;
    bool noDependencies = false;
    std::vector<std::string> includeDirs, definitions;
};

[[noreturn]] static void fail(const std::string& text)
{
    fprintf(stderr, "shaderCache: %s\n", text.c_str());
    exit(1);
}

static std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail("can't read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

static fs::path find_include(const std::string& name, const fs::path& from, const Options& o)
{
    fs::path beside = from.parent_path() / name;
    if (fs::exists(beside))
        return beside;
    for (const std::string& dir : o.includeDirs)
        if (fs::exists(fs::path(dir) / name))
            return fs::path(dir) / name;
    fail(from.string() + ": can't find include \"" + name + "\"");
}

// The file's text with its includes in place; every file read is appended to
// files (absolute names), and "#line" directives keep the validator's line
// numbers pointing into the right file (its index in files).
static std::string expand(const fs::path& path, const Options& o, std::vector<std::string>& files, int depth)
{
    if (depth > MAX_INCLUDE_DEPTH)
        fail(path.string() + ": includes nested too deeply");
    fs::path absolute = fs::absolute(path).lexically_normal();
    files.push_back(absolute.string());
    int index = static_cast<int>(files.size()) - 1;
    static const std::regex INCLUDE(R"(^\s*#\s*include\s*"([^"]+)\"\s*$)");
    std::istringstream in(read_file(absolute));
    std::string out = "#line 1 " + std::to_string(index) + "\n", line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::smatch m;
        if (!std::regex_match(line, m, INCLUDE)) {
            out += line + "\n";
            continue;
        }
        out += expand(find_include(m[1], absolute, o), o, files, depth + 1);
        out += "#line " + std::to_string(number + 1) + " " + std::to_string(index) + "\n";
    }
    return out;
}

static std::string stage_text(const char* stage, const std::string& body, const Options& o)
{
    std::string text = GLSL_VERSION;
    text += std::string("#define ") + stage + " 1\n";
    for (const std::string& d : o.definitions)
        text += "#define " + d + "\n";
    return text + body;
}

// Runs the validator on one stage; the extension tells it which stage.
static void check_stage(const std::string& text, const std::string& extension, const Options& o,
    const std::vector<std::string>& files)
{
    fs::path file = o.output + extension;
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
        if (!out)
            fail("can't write " + file.string());
    }
    std::string command = "'" + o.validator + "' '" + file.string() + "'";
    int rc = system(command.c_str());
    fs::remove(file);
    if (rc != 0) {
        std::string legend;
        for (size_t i = 0; i < files.size(); ++i)
            legend += "\n  source " + std::to_string(i) + ": " + files[i];
        fail(extension.substr(1) + " stage of " + o.source + " does not validate; line numbers are"
            + " 'source:line' with" + legend);
    }
}

static void put_u32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 255);
}

static void write_cache(
    const Options& o, const std::vector<std::string>& files, const std::string& vs, const std::string& ps)
{
    std::string deps;
    if (!o.noDependencies) {
        for (const std::string& f : files)
            deps += f + '\0';
        deps += '\0';
    }
    std::string data;
    put_u32(data, CACHE_MAGIC);
    put_u32(data, static_cast<uint32_t>(deps.size()));
    put_u32(data, static_cast<uint32_t>(vs.size()));
    put_u32(data, static_cast<uint32_t>(ps.size()));
    data += deps + vs + ps;
    std::string temporary = o.output + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << data;
        if (!out)
            fail("can't write " + temporary);
    }
    fs::rename(temporary, o.output);
}

static std::string depfile_escaped(const std::string& name)
{
    std::string out;
    for (char c : name) {
        if (c == ' ' || c == '#')
            out += '\\';
        out += c;
    }
    return out;
}

static void write_depfile(const Options& o, const std::vector<std::string>& files)
{
    std::ofstream out(o.depfile);
    out << depfile_escaped(o.output) << ":";
    for (const std::string& f : files)
        out << " " << depfile_escaped(f);
    out << "\n";
    if (!out)
        fail("can't write " + o.depfile);
}

static Options parse(int argc, char** argv)
{
    Options o;
    std::vector<std::string> plain;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool valued = a == "--glslang" || a == "-I" || a == "-D" || a == "--depfile";
        if (valued && i + 1 >= argc)
            fail(a + " needs a value");
        if (a == "--glslang")
            o.validator = argv[++i];
        else if (a == "-I")
            o.includeDirs.push_back(argv[++i]);
        else if (a == "-D")
            o.definitions.push_back(argv[++i]);
        else if (a == "--depfile")
            o.depfile = argv[++i];
        else if (a == "--no-dependencies")
            o.noDependencies = true;
        else
            plain.push_back(a);
    }
    if (o.validator.empty() || plain.size() != 2)
        fail("usage: shaderCache --glslang VALIDATOR [-I DIR]... [-D NAME]... [--depfile FILE] "
             "[--no-dependencies] SOURCE OUTPUT");
    o.source = plain[0];
    o.output = plain[1];
    return o;
}

int main(int argc, char** argv)
{
    Options o = parse(argc, argv);
    fs::create_directories(fs::absolute(o.output).parent_path());
    std::vector<std::string> files;
    std::string body = expand(o.source, o, files, 0);
    std::string vs = stage_text("VERTEX_SHADER", body, o);
    std::string ps = stage_text("PIXEL_SHADER", body, o);
    check_stage(vs, ".vert", o, files);
    check_stage(ps, ".frag", o, files);
    write_cache(o, files, vs, ps);
    if (!o.depfile.empty())
        write_depfile(o, files);
    return 0;
}
