// taskmem_posix.cpp - the task allocator on POSIX: the C heap.
#include <cstdlib>

#include "taskmem.h"

void* TaskMemAlloc(size_t bytes) { return std::malloc(bytes); }
void TaskMemFreeBlock(void* block) { std::free(block); }
