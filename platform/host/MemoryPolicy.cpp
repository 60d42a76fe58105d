#include "platform/host/MemoryPolicy.h"

#include <malloc.h>

void MemoryPolicy::apply() {
    // Setting the threshold also stops glibc from moving it (and the trim threshold with it).
    mallopt(M_MMAP_THRESHOLD, largeBlockBytes);
    mallopt(M_TRIM_THRESHOLD, 2 * largeBlockBytes);
    mallopt(M_ARENA_MAX, heapCount);
}

void MemoryPolicy::releaseFreePages() {
    malloc_trim(0);
}
