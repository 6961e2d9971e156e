// taskmem.h - the platform's task allocator, shared by the host and the program.
#pragma once

#include <cstddef>

// Memory the host hands out and the program frees (COM's task allocator on Windows).
void* TaskMemAlloc(size_t bytes);
void TaskMemFree(void* block);  // a null block is ignored

// Called with every block TaskMemFree is given, before it is freed: the one seam through which
// the stand-in host sees the program give its arrays back. Null stops the calls.
using TaskMemFreeWatch = void (*)(void* block);
void TaskMemWatchFree(TaskMemFreeWatch watch);
