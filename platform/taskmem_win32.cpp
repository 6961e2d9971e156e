// taskmem_win32.cpp - the task allocator on Windows: COM's CoTaskMemAlloc / CoTaskMemFree.
#include <objbase.h>

#include "taskmem.h"

void* TaskMemAlloc(size_t bytes) { return CoTaskMemAlloc(bytes); }
namespace {
TaskMemFreeWatch g_freeWatch = nullptr;  // set once by the stand-in host
}  // namespace

void TaskMemWatchFree(TaskMemFreeWatch watch) { g_freeWatch = watch; }

void TaskMemFree(void* block) {
    if (g_freeWatch) g_freeWatch(block);
    CoTaskMemFree(block);
}
