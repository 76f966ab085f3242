// gpuLoad.h - the GPU-load probe for the performance overlay.
//
// Uses NVIDIA's management library when it can be loaded, else the AMD
// driver's busy figure in sysfs; without either every sample is -1.
#pragma once

bool gpu_load_start();
// GPU activity of device 0 in percent; false when no figure is available.
bool gpu_load_query(int* percent);
void gpu_load_stop();
