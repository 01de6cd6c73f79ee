#include "CompressionBomb.h"

#include <brotli/encode.h>
#include <zlib.h>
#include <zstd.h>

#include <memory>
#include <vector>

namespace {

constexpr std::size_t ChunkBytes = 1 << 20;
constexpr char Head[] = "<root>";

// Feeds the expanded text to `compress` chunk by chunk; the last call has `last` set.
template <typename Compress> void feed(std::size_t expandedBytes, Compress&& compress) {
    std::string chunk(ChunkBytes, ' ');
    std::size_t left = expandedBytes;
    bool first = true;
    while (left > 0) {
        std::size_t size = std::min(left, ChunkBytes);
        if (first)
            chunk.replace(0, sizeof Head - 1, Head);
        compress(chunk.data(), size, left == size);
        if (first) {
            chunk.replace(0, sizeof Head - 1, std::string(sizeof Head - 1, ' '));
            first = false;
        }
        left -= size;
    }
}

template <typename Feed> std::optional<std::string> zlibStream(int windowBits, Feed&& feedAll) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 9,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    std::string out;
    std::vector<unsigned char> buffer(ChunkBytes);
    feedAll([&](char* data, std::size_t size, bool last) {
        stream.next_in = reinterpret_cast<Bytef*>(data);
        stream.avail_in = static_cast<uInt>(size);
        do {
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(reinterpret_cast<char*>(buffer.data()), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0 || (last && stream.avail_in > 0));
    });
    deflateEnd(&stream);
    return out;
}

std::optional<std::string> brotli(std::size_t expandedBytes) {
    std::unique_ptr<BrotliEncoderState, decltype(&BrotliEncoderDestroyInstance)> state(
        BrotliEncoderCreateInstance(nullptr, nullptr, nullptr), &BrotliEncoderDestroyInstance);
    if (!state)
        return std::nullopt;
    BrotliEncoderSetParameter(state.get(), BROTLI_PARAM_QUALITY, 5);
    std::string out;
    feed(expandedBytes, [&](char* data, std::size_t size, bool last) {
        std::size_t availIn = size;
        const auto* nextIn = reinterpret_cast<const std::uint8_t*>(data);
        const BrotliEncoderOperation op = last ? BROTLI_OPERATION_FINISH : BROTLI_OPERATION_PROCESS;
        while (availIn > 0 || (last && !BrotliEncoderIsFinished(state.get())) ||
               BrotliEncoderHasMoreOutput(state.get())) {
            std::size_t availOut = 0;
            BrotliEncoderCompressStream(state.get(), op, &availIn, &nextIn, &availOut, nullptr,
                                        nullptr);
            std::size_t produced = 0;
            const std::uint8_t* output = BrotliEncoderTakeOutput(state.get(), &produced);
            out.append(reinterpret_cast<const char*>(output), produced);
        }
    });
    return out;
}

std::optional<std::string> zstd(std::size_t expandedBytes) {
    std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(), &ZSTD_freeCCtx);
    if (!context)
        return std::nullopt;
    std::string out;
    std::vector<char> buffer(ZSTD_CStreamOutSize());
    feed(expandedBytes, [&](char* data, std::size_t size, bool last) {
        ZSTD_inBuffer input{data, size, 0};
        const ZSTD_EndDirective mode = last ? ZSTD_e_end : ZSTD_e_continue;
        for (;;) {
            ZSTD_outBuffer output{buffer.data(), buffer.size(), 0};
            const std::size_t remaining =
                ZSTD_compressStream2(context.get(), &output, &input, mode);
            out.append(buffer.data(), output.pos);
            if (ZSTD_isError(remaining))
                return;
            if (last ? remaining == 0 : input.pos == input.size)
                return;
        }
    });
    return out;
}

} // namespace

std::optional<std::string> CompressionBomb::make(const std::string& encoding,
                                                 std::size_t expandedBytes) {
    const auto blanks = [expandedBytes](auto&& compress) { feed(expandedBytes, compress); };
    if (encoding == "gzip")
        return zlibStream(15 + 16, blanks);
    if (encoding == "deflate")
        return zlibStream(15, blanks);
    if (encoding == "br")
        return brotli(expandedBytes);
    if (encoding == "zstd")
        return zstd(expandedBytes);
    return std::nullopt;
}

std::optional<std::string> CompressionBomb::compress(const std::string& encoding,
                                                     const std::string& text) {
    // Two gzip members one after the other, as RFC 1952 allows: each half of the text its own.
    if (encoding == "gzip-members") {
        const std::size_t half = text.size() / 2;
        std::optional<std::string> first = compress("gzip", text.substr(0, half));
        std::optional<std::string> second = compress("gzip", text.substr(half));
        if (!first || !second)
            return std::nullopt;
        return *first + *second;
    }
    const int windowBits = encoding == "gzip"          ? 15 + 16
                           : encoding == "deflate"     ? 15
                           : encoding == "raw-deflate" ? -15
                                                       : 0;
    if (windowBits == 0)
        return std::nullopt;
    std::string copy = text;
    return zlibStream(windowBits,
                      [&copy](auto&& compress) { compress(copy.data(), copy.size(), true); });
}
