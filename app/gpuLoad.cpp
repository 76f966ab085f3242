// gpuLoad.cpp - the GPU-load probe: NVML through dlopen, or AMD's sysfs figure.
#include "gpuLoad.h"

#include <dlfcn.h>
#include <glob.h>
#include <stdio.h>

#include <string>

#include "../core/log.h"

// The few NVML entry points used, declared here from their documented C ABI.
struct NvmlUtilization {
    unsigned int gpu;
    unsigned int memory;
};
using NvmlInit = int (*)();
using NvmlShutdown = int (*)();
using NvmlDeviceGetHandleByIndex = int (*)(unsigned int index, void** device);
using NvmlDeviceGetUtilizationRates = int (*)(void* device, NvmlUtilization* utilization);

static struct {
    void* library; // libnvidia-ml, or null
    NvmlShutdown shutdown;
    NvmlDeviceGetUtilizationRates utilization;
    void* device;
    std::string sysfsBusy; // AMD's gpu_busy_percent file, or empty
} probe;

static bool start_nvml()
{
#ifdef __EMSCRIPTEN__
    // A page can load no native library; the browser tells no GPU load.
    return false;
#endif
    void* lib = dlopen("libnvidia-ml.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return false;
    auto init = reinterpret_cast<NvmlInit>(dlsym(lib, "nvmlInit_v2"));
    auto shutdown = reinterpret_cast<NvmlShutdown>(dlsym(lib, "nvmlShutdown"));
    auto handle = reinterpret_cast<NvmlDeviceGetHandleByIndex>(dlsym(lib, "nvmlDeviceGetHandleByIndex_v2"));
    auto util = reinterpret_cast<NvmlDeviceGetUtilizationRates>(dlsym(lib, "nvmlDeviceGetUtilizationRates"));
    if (init && shutdown && handle && util) {
        if (init() == 0) {
            void* device = nullptr;
            if (handle(0, &device) == 0) {
                probe.library = lib;
                probe.shutdown = shutdown;
                probe.utilization = util;
                probe.device = device;
                return true;
            }
            shutdown();
        } else {
            log_message("nvmlInit failed!");
        }
    }
    dlclose(lib);
    return false;
}

static bool start_sysfs()
{
    glob_t found;
    if (glob("/sys/class/drm/card[0-9]*/device/gpu_busy_percent", 0, nullptr, &found) != 0)
        return false;
    if (found.gl_pathc > 0)
        probe.sysfsBusy = found.gl_pathv[0];
    globfree(&found);
    return !probe.sysfsBusy.empty();
}

bool gpu_load_start()
{
    if (probe.library || !probe.sysfsBusy.empty())
        return true;
    return start_nvml() || start_sysfs();
}

bool gpu_load_query(int* percent)
{
    if (probe.library) {
        NvmlUtilization u;
        if (probe.utilization(probe.device, &u) != 0)
            return false;
        *percent = static_cast<int>(u.gpu);
        return true;
    }
    if (probe.sysfsBusy.empty())
        return false;
    FILE* f = fopen(probe.sysfsBusy.c_str(), "r");
    if (!f)
        return false;
    bool ok = fscanf(f, "%d", percent) == 1;
    fclose(f);
    return ok;
}

void gpu_load_stop()
{
    if (probe.library) {
        probe.shutdown();
        dlclose(probe.library);
    }
    probe.library = nullptr;
    probe.utilization = nullptr;
    probe.sysfsBusy.clear();
}
