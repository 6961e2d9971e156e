// taskmem_win32.cpp - the task allocator on Windows: COM's CoTaskMemAlloc / CoTaskMemFree.
#include <objbase.h>

#include "taskmem.h"

void* TaskMemAlloc(size_t bytes) { return CoTaskMemAlloc(bytes); }
void TaskMemFreeBlock(void* block) { CoTaskMemFree(block); }
