#include "ContentDecoder.h"

#include <QScopeGuard>

#include <zlib.h>

#include <utility>

namespace {
// Expanded in steps of this size, so a small input never asks for a large buffer at once.
constexpr qsizetype OutputStep = 256 * 1024;
// Past this size, more than this many times what arrived is taken for a bomb (as Qt's own
// decoder does for gzip).
constexpr qint64 RatioCheckBytes = 10 * 1024 * 1024;
constexpr qint64 MaxRatio = 40;
} // namespace

std::unique_ptr<ContentDecoder> ContentDecoder::forEncoding(QByteArrayView encoding,
                                                            qint64 maxBytes) {
    const QByteArray name = encoding.trimmed().toByteArray().toLower();
    if (name == "gzip" || name == "x-gzip")
        return std::unique_ptr<ContentDecoder>(new ContentDecoder(Format::Gzip, maxBytes));
    if (name == "deflate")
        return std::unique_ptr<ContentDecoder>(new ContentDecoder(Format::Deflate, maxBytes));
    return nullptr;
}

QByteArray ContentDecoder::acceptedEncodings() {
    return QByteArrayLiteral("gzip, deflate");
}

ContentDecoder::ContentDecoder(Format format, qint64 maxBytes)
    : m_format(format), m_maxBytes(maxBytes), m_stream(std::make_unique<z_stream_s>()) {
}

bool ContentDecoder::tooLarge(qint64 inputUsed) const {
    return m_out > m_maxBytes || (m_out > RatioCheckBytes && m_out > MaxRatio * inputUsed);
}

ContentDecoder::~ContentDecoder() {
    if (m_started)
        inflateEnd(m_stream.get());
}

// "deflate" is meant to be a zlib stream, but some servers send the bare deflate data: the
// first two bytes tell which.
bool ContentDecoder::start(QByteArrayView firstBytes) {
    int windowBits = 15 + 16;
    if (m_format == Format::Deflate) {
        const auto b0 = static_cast<unsigned char>(firstBytes[0]);
        const auto b1 = static_cast<unsigned char>(firstBytes[1]);
        const bool zlibHeader = (b0 & 0x0F) == Z_DEFLATED && (b0 * 256 + b1) % 31 == 0;
        windowBits = zlibHeader ? 15 : -15;
    }
    m_started = inflateInit2(m_stream.get(), windowBits) == Z_OK;
    return m_started;
}

ContentDecoder::Status ContentDecoder::decode(QByteArrayView input, QByteArray& out) {
    if (input.isEmpty())
        return m_status;
    if (m_status == Status::Ended && m_format == Format::Gzip) {
        // A gzip body may be several members one after the other (RFC 1952): each is expanded.
        inflateReset(m_stream.get());
        m_status = Status::Expanding;
    }
    if (m_status != Status::Expanding)
        return m_status = Status::Damaged;
    if (m_started)
        return expand(input, out);
    m_head += input;
    if (m_head.size() < 2)
        return m_status;
    if (!start(m_head))
        return m_status = Status::Damaged;
    const QByteArray head = std::exchange(m_head, {});
    return expand(head, out);
}

ContentDecoder::Status ContentDecoder::expand(QByteArrayView input, QByteArray& out) {
    z_stream_s& z = *m_stream;
    // zlib counts in 32 bits; replies are read in pieces far below that.
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    const auto counted = qScopeGuard([&] { m_in += input.size() - z.avail_in; });
    while (z.avail_in > 0) {
        const qsizetype had = out.size();
        out.resize(had + OutputStep);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + had);
        z.avail_out = static_cast<uInt>(OutputStep);
        const int result = inflate(&z, Z_NO_FLUSH);
        const qsizetype produced = OutputStep - static_cast<qsizetype>(z.avail_out);
        out.resize(had + produced);
        m_out += produced;
        if (tooLarge(m_in + input.size() - static_cast<qsizetype>(z.avail_in)))
            return m_status = Status::TooLarge;
        if (result == Z_STREAM_END) {
            if (z.avail_in == 0)
                return m_status = Status::Ended;
            if (m_format != Format::Gzip)
                return m_status = Status::Damaged;
            inflateReset(&z);
            continue;
        }
        if (result != Z_OK && !(result == Z_BUF_ERROR && produced > 0))
            return m_status = Status::Damaged;
    }
    return m_status;
}
