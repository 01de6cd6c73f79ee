#include "HttpRequest.h"

#include "HttpTransfer.h"

#include <QThreadPool>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <vector>

namespace {
constexpr qsizetype LargeReplyBytes = 32 * 1024 * 1024;
} // namespace

// The pieces on their way to the worker, and what the worker is to do with them. One worker at
// a time runs for a request, from the thread pool, while there are pieces; it ends itself when
// it has none.
struct HttpRequest::Feed {
    // A reply that arrives faster than it is read waits in the connection beyond this much, not
    // in memory; the transfer goes on once half of it has been read.
    static constexpr qsizetype HeldBytes = 8 * 1024 * 1024;

    std::mutex mutex;
    std::condition_variable idle;
    std::deque<QByteArray> pieces;
    qsizetype queuedBytes = 0;
    qsizetype readBytes = 0;
    bool paused = false;   // the transfer waits for the reader
    bool resuming = false; // and is about to go on
    bool ended = false;    // the last piece is in: read the end after it
    bool dropped = false;  // read no further
    bool running = false;  // a worker runs
    bool tooLarge = false; // the reader ran out of memory
};

HttpRequest::Consumer HttpRequest::whole(std::function<void(QByteArray body)> consume) {
    auto pieces = std::make_shared<HttpReply>();
    return {[pieces](const QByteArray& piece) { pieces->pieces.push_back(piece); },
            [pieces, consume = std::move(consume)] { consume(pieces->takeBody()); }};
}

HttpRequest::HttpRequest(QNetworkAccessManager& manager, const QUrl& url, HttpLimits limits,
                         Consumer consume, QObject* parent)
    : QObject(parent), m_manager(manager), m_url(url), m_limits(limits),
      m_consume(std::move(consume)), m_feed(std::make_shared<Feed>()) {
}

HttpRequest::~HttpRequest() {
    stopReading();
}

void HttpRequest::start() {
    emit started();
    const QString scheme = m_url.scheme().toLower();
    if (!m_url.isValid() || m_url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        // Qt's own words for this ("Protocol "" is unknown") leave the user guessing.
        HttpReply refused;
        refused.error = FetchError::BadAddress;
        refused.reason = tr("The server name is not a valid http or https address.");
        QMetaObject::invokeMethod(
            this, [this, refused] { finish(refused); }, Qt::QueuedConnection);
        return;
    }
    m_transfer = new HttpTransfer(m_manager, m_url, m_limits);
    m_transfer->setParent(this);
    connect(m_transfer, &HttpTransfer::progress, this, &HttpRequest::progress);
    connect(m_transfer, &HttpTransfer::finished, this, &HttpRequest::onTransferFinished);
    if (m_consume) {
        m_transfer->setStreaming(true);
        connect(m_transfer, &HttpTransfer::received, this, &HttpRequest::onPiece);
    }
    m_transfer->start();
}

void HttpRequest::cancel() {
    m_cancelled = true;
    if (m_transfer) {
        m_transfer->cancel();
    } else if (m_readingTail) {
        // The transfer is over: what is left of the reading is not waited for.
        stopReading();
        QMetaObject::invokeMethod(this, &HttpRequest::onRead, Qt::QueuedConnection);
    }
}

void HttpRequest::onPiece(const QByteArray& piece) {
    bool pause = false;
    {
        std::lock_guard lock(m_feed->mutex);
        if (m_feed->dropped)
            return;
        m_feed->pieces.push_back(piece);
        m_feed->queuedBytes += piece.size();
        m_feed->readBytes += piece.size();
        pause = m_feed->queuedBytes > Feed::HeldBytes && !m_feed->paused;
        m_feed->paused = m_feed->paused || pause;
    }
    if (pause && m_transfer)
        m_transfer->setPaused(true);
    wakeReader();
}

void HttpRequest::resumeTransfer() {
    {
        std::lock_guard lock(m_feed->mutex);
        m_feed->paused = false;
        m_feed->resuming = false;
    }
    if (m_transfer)
        m_transfer->setPaused(false);
}

// Starts a worker when none runs and there is something to read.
void HttpRequest::wakeReader() {
    {
        std::lock_guard lock(m_feed->mutex);
        if (m_feed->running || m_feed->dropped)
            return;
        m_feed->running = true;
    }
    QThreadPool::globalInstance()->start([this, feedPointer = m_feed, consume = m_consume] {
        Feed& feed = *feedPointer;
        for (;;) {
            QByteArray piece;
            bool end = false;
            {
                std::lock_guard lock(feed.mutex);
                if (feed.dropped || (feed.pieces.empty() && !feed.ended)) {
                    feed.running = false;
                    feed.idle.notify_all();
                    return;
                }
                if (!feed.pieces.empty()) {
                    piece = std::move(feed.pieces.front());
                    feed.pieces.pop_front();
                    feed.queuedBytes -= piece.size();
                    if (feed.paused && !feed.resuming && feed.queuedBytes < Feed::HeldBytes / 2) {
                        feed.resuming = true;
                        QMetaObject::invokeMethod(this, &HttpRequest::resumeTransfer,
                                                  Qt::QueuedConnection);
                    }
                } else {
                    end = true;
                }
            }
            // An exception must not end the program from a worker thread: a reply too large to
            // read is a failure like any other.
            try {
                if (end)
                    consume.end();
                else
                    consume.read(piece);
            } catch (const std::bad_alloc&) {
                std::lock_guard lock(feed.mutex);
                feed.tooLarge = true;
                feed.dropped = true;
            }
            if (end) {
#ifdef __GLIBC__
                // A large reply's pieces and the reader's scratch were allocated on this worker,
                // in an arena the GUI thread does not allocate from: unless what was freed goes
                // back to the system now, it stays resident beside everything built next.
                if (feed.readBytes > LargeReplyBytes)
                    malloc_trim(0);
#endif
                // Posted before the worker says it has ended: the request is still there.
                QMetaObject::invokeMethod(this, &HttpRequest::onRead, Qt::QueuedConnection);
                std::lock_guard lock(feed.mutex);
                feed.running = false;
                feed.dropped = true;
                feed.idle.notify_all();
                return;
            }
        }
    });
}

// Waits for the piece under way, if any; nothing is read after it.
void HttpRequest::stopReading() {
    std::unique_lock lock(m_feed->mutex);
    m_feed->dropped = true;
    m_feed->pieces.clear();
    m_feed->idle.wait(lock, [this] { return !m_feed->running; });
}

void HttpRequest::onTransferFinished() {
    HttpReply reply = m_transfer->takeResult();
    m_transfer->deleteLater();
    m_transfer = nullptr;
    if (!reply.ok() || !m_consume) {
        stopReading();
        return finish(std::move(reply));
    }
    m_result = std::move(reply);
    {
        std::lock_guard lock(m_feed->mutex);
        if (m_feed->dropped) {
            // The reader gave up on a piece already.
            m_result.error = FetchError::TooLarge;
            m_result.reason = tr("The reply is too large to read.");
            return finish(std::move(m_result));
        }
        m_feed->ended = true;
    }
    m_readingTail = true;
    wakeReader();
    // Last: whoever hears it may drop the request.
    emit reading();
}

void HttpRequest::onRead() {
    if (m_done)
        return;
    HttpReply reply = std::move(m_result);
    stopReading();
    if (m_feed->tooLarge) {
        reply.error = FetchError::TooLarge;
        reply.reason = tr("The reply is too large to read.");
    } else if (m_cancelled) {
        reply.error = FetchError::Cancelled;
        reply.reason = tr("The request was cancelled.");
    }
    finish(std::move(reply));
}

void HttpRequest::finish(HttpReply reply) {
    m_done = true;
    m_readingTail = false;
    m_result = std::move(reply);
    emit finished();
}
