#pragma once

// Makes memory run out for chosen threads of a test program: while failures are on, every
// allocation through operator new on a thread that asked for them throws std::bad_alloc,
// the way it does when the process has no memory left. Linking this file replaces the
// program's global operator new and delete (with malloc and free underneath).
namespace FailingAllocations {

// The calling thread's allocations fail while failures are on.
void failOnThisThread();

// Turns the failures on or off for all threads that asked for them.
void setOn(bool on);

} // namespace FailingAllocations
