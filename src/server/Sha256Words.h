#pragma once

#include <cstdint>
#include <stdexcept>

// The word operations of the digest. Shift counts outside 0..31 are a caller's bug and raise an
// overflow error rather than producing an undefined result.
namespace Sha256Words {

using Word = std::uint32_t;

inline Word ShiftLeft(Word value, int bits) {
    if (bits < 0 || bits > 31)
        throw std::overflow_error("shift count out of range");
    return value << bits;
}

inline Word ShiftRight(Word value, int bits) {
    if (bits < 0 || bits > 31)
        throw std::overflow_error("shift count out of range");
    return value >> bits;
}

constexpr Word AddWords(Word x, Word y) {
    return x + y;
}
constexpr Word Choose(Word x, Word y, Word z) {
    return (x & y) ^ (~x & z);
}
constexpr Word Majority(Word x, Word y, Word z) {
    return (x & (y ^ z)) ^ (y & z);
}
constexpr Word Rotr(Word x, int n) {
    n &= 31;
    return n == 0 ? x : (x >> n) | (x << (32 - n));
}
constexpr Word Shr(Word x, int n) {
    return x >> (n & 31);
}
constexpr Word BigSigma0(Word x) {
    return Rotr(x, 2) ^ Rotr(x, 13) ^ Rotr(x, 22);
}
constexpr Word BigSigma1(Word x) {
    return Rotr(x, 6) ^ Rotr(x, 11) ^ Rotr(x, 25);
}
constexpr Word SmallSigma0(Word x) {
    return Rotr(x, 7) ^ Rotr(x, 18) ^ Shr(x, 3);
}
constexpr Word SmallSigma1(Word x) {
    return Rotr(x, 17) ^ Rotr(x, 19) ^ Shr(x, 10);
}

} // namespace Sha256Words
