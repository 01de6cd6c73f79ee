#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

struct z_stream_s;

// Expands a body sent with Content-Encoding gzip or deflate as it arrives, so that a damaged
// stream is told apart from one that expands too far (Qt's own decoder reports both alike).
class ContentDecoder {
public:
    enum class Status {
        Expanding,
        Ended,
        Damaged,
        // Grown past the most it may, or so far beyond what arrived that it looks like a bomb:
        // it stops before it takes up the memory.
        TooLarge,
    };

    // The decoder for an encoding the client asks for; none for any other.
    static std::unique_ptr<ContentDecoder> forEncoding(QByteArrayView encoding, qint64 maxBytes);
    // What the client asks servers for.
    static QByteArray acceptedEncodings();

    ~ContentDecoder();
    ContentDecoder(const ContentDecoder&) = delete;
    ContentDecoder& operator=(const ContentDecoder&) = delete;

    // Appends what the bytes expand to. Bytes after the end of the stream are damage too, but
    // for the next member of a gzip body.
    Status decode(QByteArrayView input, QByteArray& out);
    Status status() const { return m_status; }

private:
    enum class Format { Gzip, Deflate };
    ContentDecoder(Format format, qint64 maxBytes);
    bool tooLarge(qint64 inputUsed) const;
    bool start(QByteArrayView firstBytes);
    Status expand(QByteArrayView input, QByteArray& out);

    Format m_format;
    qint64 m_maxBytes;
    std::unique_ptr<z_stream_s> m_stream;
    QByteArray m_head; // the first bytes, until there are enough to tell the format
    bool m_started = false;
    Status m_status = Status::Expanding;
    qint64 m_in = 0;
    qint64 m_out = 0;
};
