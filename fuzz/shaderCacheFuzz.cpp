// shaderCacheFuzz.cpp - the shader cache reader on arbitrary files.
#include <stddef.h>
#include <stdint.h>

#include "device/d3d_internal.h"
#include "device/d3d_shaders.h"
#include "fuzzSupport.h"

// The shader module links the pixel-offset constant, which asks the device
// for its target; the reader never draws.
void current_target_size(int* width, int* height)
{
    *width = *height = 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* path = fuzz_input_file(data, size);
    DynArray<ShaderDependency> dependencies;
    DynArray<char> code;
    uint32_t vsLength = 0, psLength = 0;
    if (!read_shader_cache_file(path, &dependencies, &code, &vsLength, &psLength))
        return 0;
    // Both stages lie inside the code, which ends with a zero byte; nothing
    // read is larger than the file.
    if (uint64_t(vsLength) + psLength + 1 != uint64_t(code.size()) || code[code.size() - 1] != 0)
        __builtin_trap();
    if (uint64_t(vsLength) + psLength > size)
        __builtin_trap();
    for (const ShaderDependency& d : dependencies)
        if (!d.name.s[0])
            __builtin_trap();
    return 0;
}
