#pragma once
// The larger and the smaller of two signed 32-bit integers.

inline int IntMax(int A, int B) { return A > B ? A : B; }
inline int IntMin(int A, int B) { return A < B ? A : B; }
