#pragma once

#include <cstdint>
#include <stdexcept>

// The word operations of the digest. Shift counts outside 0..31 are a caller's bug and raise an
// overflow error rather than producing an undefined result.
namespace Sha256Words {

using Word = std::uint32_t;

inline Word shiftLeft(Word value, int bits) {
    if (bits < 0 || bits > 31)
        throw std::overflow_error("shift count out of range");
    return value << bits;
}

inline Word shiftRight(Word value, int bits) {
    if (bits < 0 || bits > 31)
        throw std::overflow_error("shift count out of range");
    return value >> bits;
}

constexpr Word addWords(Word x, Word y) {
    return x + y;
}
constexpr Word choose(Word x, Word y, Word z) {
    return (x & y) ^ (~x & z);
}
constexpr Word majority(Word x, Word y, Word z) {
    return (x & (y ^ z)) ^ (y & z);
}
constexpr Word rotr(Word x, int n) {
    n &= 31;
    return n == 0 ? x : (x >> n) | (x << (32 - n));
}
constexpr Word shr(Word x, int n) {
    return x >> (n & 31);
}
constexpr Word bigSigma0(Word x) {
    return rotr(x, 2) ^ rotr(x, 13) ^ rotr(x, 22);
}
constexpr Word bigSigma1(Word x) {
    return rotr(x, 6) ^ rotr(x, 11) ^ rotr(x, 25);
}
constexpr Word smallSigma0(Word x) {
    return rotr(x, 7) ^ rotr(x, 18) ^ shr(x, 3);
}
constexpr Word smallSigma1(Word x) {
    return rotr(x, 17) ^ rotr(x, 19) ^ shr(x, 10);
}

} // namespace Sha256Words
