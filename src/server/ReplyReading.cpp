#include "ReplyReading.h"

bool ReplyReading::feed(const QByteArray& piece) {
    if (m_whole)
        m_body += piece;
    return m_stream.feed(piece);
}

void ReplyReading::end() {
    if (!m_stream.finish())
        m_document.setFetchFailure(m_stream.refusalMessage(), false);
    else if (m_whole)
        m_document.loadBytes(std::exchange(m_body, QByteArray()));
    else
        m_document.loadStreamed(m_stream);
}
