// taskmem.cpp - the task allocator's part common to every platform: the watch on freed blocks.
#include "taskmem.h"

void TaskMemFreeBlock(void* block);  // taskmem_<platform>.cpp

namespace {
TaskMemFreeWatch g_freeWatch = nullptr;  // set once by the stand-in host
}  // namespace

void TaskMemWatchFree(TaskMemFreeWatch watch) { g_freeWatch = watch; }

void TaskMemFree(void* block) {
    if (g_freeWatch) g_freeWatch(block);
    TaskMemFreeBlock(block);
}
