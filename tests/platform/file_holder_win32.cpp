// file_holder_win32.cpp - the file held by a handle that shares nothing.
#include <windows.h>

#include "file_holder.h"

ClFileHolder::ClFileHolder(const std::string& path, unsigned long holdMs)
    : m_file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)),
      m_release(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_thread([this, holdMs] {
          WaitForSingleObject(m_release, holdMs);
          CloseHandle(m_file);
      }) {}

ClFileHolder::~ClFileHolder() {
    SetEvent(m_release);
    m_thread.join();
    CloseHandle(m_release);
}

bool ClFileHolder::Holds() const { return m_file != INVALID_HANDLE_VALUE; }

std::string ShortPathOf(const std::string& path) {
    char shortPath[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    return n > 0 && n < sizeof shortPath ? std::string(shortPath) : path;
}
