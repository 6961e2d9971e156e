// codeindex.cpp - the written-codes index: 64-bit keys in a table kept at most three quarters full.
#include "codeindex.h"

#include <cstring>

namespace {

const size_t kCodeKeyBytes = 8;
const size_t kPrefixBytes = 6;  // an asset code; a breakdown code adds its two-digit number

uint64_t CodeKey(const char* code, size_t length) {
    uint64_t key = 0;
    std::memcpy(&key, code, length < kCodeKeyBytes ? length : kCodeKeyBytes);
    return key;
}

// The top bits of the product, which every byte of the key reaches: codes that differ only in
// their last characters, as the breakdowns of one asset do, must not share a slot (bits 32 and up
// gave 1,158 instructions a breakdown code, these 110; CodeIndex.ManyCodesKeepTheirAnswers holds
// the answers).
size_t CodeSlot(uint64_t key, size_t capacity) {
    const int bits = __builtin_ctzll(capacity);  // capacity is a power of two, at least 1024
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

}  // namespace

ClCodeIndex::ClCodeIndex() : m_capacity(0), m_count(0), m_emptyCode(false) {}

bool ClCodeIndex::Find(uint64_t key) const {
    if (m_capacity == 0) return false;
    for (size_t i = CodeSlot(key, m_capacity);; i = (i + 1) & (m_capacity - 1)) {
        if (m_slots[i] == key) return true;
        if (m_slots[i] == 0) return false;
    }
}

void ClCodeIndex::Resize(size_t capacity) {
    std::unique_ptr<uint64_t[]> slots(new uint64_t[capacity]());
    for (size_t i = 0; i < m_capacity; ++i) {
        const uint64_t k = m_slots[i];
        if (k == 0) continue;
        size_t j = CodeSlot(k, capacity);
        while (slots[j] != 0) j = (j + 1) & (capacity - 1);
        slots[j] = k;
    }
    m_slots = std::move(slots);
    m_capacity = capacity;
}

// Kept at most three quarters full, so every probe meets a free slot soon.
void ClCodeIndex::Reserve(size_t codes) {
    size_t capacity = m_capacity ? m_capacity : 1024;
    while (codes * 4 > capacity * 3) capacity *= 2;
    if (capacity != m_capacity) Resize(capacity);
}

void ClCodeIndex::Add(uint64_t key) {
    Reserve(m_count + 1);
    size_t i = CodeSlot(key, m_capacity);
    while (m_slots[i] != 0) i = (i + 1) & (m_capacity - 1);
    m_slots[i] = key;
    ++m_count;
}

short ClCodeIndex::Register(const char* code) {
    const size_t length = strnlen(code, kCodeKeyBytes);
    if (length == 0) {
        if (m_emptyCode) return 1;
        m_emptyCode = true;
        return 0;
    }
    // When both a code and its prefix are registered, the code came first and the ordered walk
    // would meet it first: its own match decides.
    const uint64_t key = CodeKey(code, length);
    if (Find(key)) return 1;
    if (length > kPrefixBytes && Find(CodeKey(code, kPrefixBytes))) return 2;
    Add(key);
    return 0;
}
