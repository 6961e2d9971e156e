// file_holder.h - another holder of a file, as a virus scanner or an indexer is for a moment.
#pragma once

#ifdef _WIN32
#include <string>
#include <thread>

// Opens the file without sharing it and closes it after holdMs, or when the object goes. Without
// <windows.h> here: the host's records declare names of their own that the system headers take.
class ClFileHolder {
public:
    ClFileHolder(const std::string& path, unsigned long holdMs);
    ~ClFileHolder();
    ClFileHolder(const ClFileHolder&) = delete;
    ClFileHolder& operator=(const ClFileHolder&) = delete;
    bool Holds() const;

private:
    void* m_file;
    void* m_release;
    std::thread m_thread;
};

// The short (8.3) form of an existing path, as the system gives it; the path itself where it has none.
std::string ShortPathOf(const std::string& path);
#endif
