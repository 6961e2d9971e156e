// file_holder.h - another holder of a file, as a virus scanner or an indexer is for a moment.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <thread>

// Opens the file without sharing it and closes it after holdMs, or when the object goes.
class ClFileHolder {
public:
    ClFileHolder(const std::string& path, DWORD holdMs)
        : m_file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)),
          m_release(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_thread([this, holdMs] {
              WaitForSingleObject(m_release, holdMs);
              CloseHandle(m_file);
          }) {}
    ~ClFileHolder() {
        SetEvent(m_release);
        m_thread.join();
        CloseHandle(m_release);
    }
    ClFileHolder(const ClFileHolder&) = delete;
    ClFileHolder& operator=(const ClFileHolder&) = delete;
    bool Holds() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
    HANDLE m_release;
    std::thread m_thread;
};
#endif
