#pragma once

// How the process's allocator uses memory, set once at start-up before any window or
// engine exists.
//
// Left to itself, glibc's allocator raises the size from which a block gets pages of its
// own each time such a block is freed (up to 32 MiB): after the launch video's decoders
// and the first screen surfaces have come and gone, pictures and surfaces of megabytes
// are carved from the shared heaps, and once freed their pages stay with the process for
// good. Here that size is fixed, so large blocks always go back to the system when
// freed, and the number of heaps the threads share is capped, so the pages a burst of
// work on other threads leaves free are not spread over a heap per thread.
namespace MemoryPolicy {
// Blocks of this size and larger are mapped on their own.
constexpr int largeBlockBytes = 256 * 1024;
// Heaps shared by all threads.
constexpr int heapCount = 4;

void apply();
// Hands the free pages of every heap back to the system (the heaps keep their free blocks
// otherwise, below the trim threshold and inside the heaps of other threads). For a
// process that has just settled: the work that freed them is over.
void releaseFreePages();
} // namespace MemoryPolicy
