#include "Sha256.h"

#include "Sha256Words.h"

#include <array>

using namespace Sha256Words;

namespace {

constexpr std::array<Word, 64> RoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::array<Word, 8> InitialHash = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

} // namespace

std::vector<std::uint32_t> Sha256::messageToWords(const QByteArray& bytes) {
    const std::uint64_t length = static_cast<std::uint64_t>(bytes.size());
    // Message, the 0x80 byte and the 64-bit bit length, rounded up to whole 64-byte blocks.
    const std::uint64_t wordCount = ((length + 8) / 64 + 1) * 16;
    std::vector<Word> words(wordCount, 0);
    auto placeByte = [&words](std::uint64_t position, Word byte) {
        words[position / 4] |= shiftLeft(byte, static_cast<int>((3 - position % 4) * 8));
    };
    for (std::uint64_t k = 0; k < length; ++k)
        placeByte(k, static_cast<unsigned char>(bytes[static_cast<qsizetype>(k)]));
    placeByte(length, 0x80);
    const std::uint64_t bitLength = length * 8;
    words[wordCount - 1] = static_cast<Word>(bitLength);
    words[wordCount - 2] = static_cast<Word>(bitLength >> 32);
    return words;
}

QString Sha256::hex(const QString& message) const {
    return hex(message.toUtf8());
}

QString Sha256::hex(const QByteArray& bytes) const {
    std::array<Word, 8> hash = InitialHash;
    const std::vector<Word> m = messageToWords(bytes);
    std::array<Word, 64> w{};
    for (std::size_t i = 0; i < m.size(); i += 16) {
        Word a = hash[0], b = hash[1], c = hash[2], d = hash[3];
        Word e = hash[4], f = hash[5], g = hash[6], h = hash[7];
        for (std::size_t j = 0; j < 64; ++j) {
            w[j] = j < 16 ? m[i + j]
                          : addWords(addWords(addWords(smallSigma1(w[j - 2]), w[j - 7]),
                                              smallSigma0(w[j - 15])),
                                     w[j - 16]);
            const Word t1 = h + bigSigma1(e) + choose(e, f, g) + RoundConstants[j] + w[j];
            const Word t2 = addWords(bigSigma0(a), majority(a, b, c));
            h = g;
            g = f;
            f = e;
            e = addWords(d, t1);
            d = c;
            c = b;
            b = a;
            a = addWords(t1, t2);
        }
        const std::array<Word, 8> worked = {a, b, c, d, e, f, g, h};
        for (std::size_t k = 0; k < 8; ++k)
            hash[k] = addWords(worked[k], hash[k]);
    }
    QString digest;
    digest.reserve(64);
    for (Word word : hash)
        digest += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0'));
    return digest;
}
