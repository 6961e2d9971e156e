// codeindex.h - the codes written in one run, for the duplicate checks of item 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Open addressing over 64-bit keys, each holding the bytes of one code (at most eight, NUL-padded;
// 0 marks a free slot, so the empty code is kept apart). A code is registered only while its
// six-byte prefix is not, so the answers are those of a walk over the codes in the order written.
class ClCodeIndex {
public:
    ClCodeIndex();
    ClCodeIndex(const ClCodeIndex&) = delete;
    ClCodeIndex& operator=(const ClCodeIndex&) = delete;

    // 0 new (now registered), 1 registered before, 2 its first six bytes were registered before.
    // Codes are compared as item 0 holds them: by their first eight bytes.
    short Register(const char* code);
    // Room for that many codes, so that a run of a known size never grows the table (growing
    // holds the old and the new table at once).
    void Reserve(size_t codes);
    // Bytes the table takes now.
    size_t Bytes() const { return m_capacity * sizeof(uint64_t); }

private:
    bool Find(uint64_t key) const;
    void Add(uint64_t key);
    void Resize(size_t capacity);

    std::unique_ptr<uint64_t[]> m_slots;
    size_t m_capacity;
    size_t m_count;
    bool m_emptyCode;
};
