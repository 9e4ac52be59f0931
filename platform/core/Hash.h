#pragma once
// A fast 64-bit hash of a byte run, eight bytes at a step, for the in-memory
// indexes and caches of the data layers (not for anything stored).
#include <QtGlobal>
#include <cstring>

inline quint64 HashBytes(const char* p, qsizetype n)
{
    quint64 h = 0x9E3779B97F4A7C15ull ^ quint64(n);
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    quint64 w = 0;
    if (n > i) std::memcpy(&w, p + i, size_t(n - i));   // an empty text may have no bytes at all
    h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
}
