// taskmem_posix.cpp - the task allocator on POSIX: the C heap.
#include <cstdlib>

#include "taskmem.h"

void* TaskMemAlloc(size_t bytes) { return std::malloc(bytes); }
namespace {
TaskMemFreeWatch g_freeWatch = nullptr;  // set once by the stand-in host
}  // namespace

void TaskMemWatchFree(TaskMemFreeWatch watch) { g_freeWatch = watch; }

void TaskMemFree(void* block) {
    if (g_freeWatch) g_freeWatch(block);
    std::free(block);
}
