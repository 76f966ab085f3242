// memory.cpp - advice to the kernel about how the program uses its memory.
//
// POSIX only, no SDL.
#include <sys/mman.h>

#include "platform.h"

void plat_advise_huge_pages(void* memory, size_t size)
{
    // Only advice: where the kernel has no huge pages to give, the memory
    // keeps its small pages and works as before.
#ifdef MADV_HUGEPAGE
    madvise(memory, size, MADV_HUGEPAGE);
#else
    (void)memory;
    (void)size;
#endif
}
