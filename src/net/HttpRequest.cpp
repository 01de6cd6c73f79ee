#include "HttpRequest.h"

#include "HttpTransfer.h"

#include <QThreadPool>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <atomic>
#include <deque>
#include <mutex>
#include <new>

namespace {
// From this size on, what a reply's reading allocated goes back to the system once it is over.
constexpr qsizetype LargeReplyBytes = 8 * 1024 * 1024;
} // namespace

// The pieces on their way to the worker, and what the worker is to do with them. It is shared by
// the request and the worker, so that either may go first: the request never waits for the
// worker, and the worker tells the request only while it is there. One worker at a time runs for
// a request, from the thread pool, while there are pieces; it ends itself when it has none. The
// mutex guards short bookkeeping only, never a reading.
struct HttpRequest::Feed {
    // A reply that arrives faster than it is read waits in the connection beyond this much, not
    // in memory; the transfer goes on once half of it has been read.
    static constexpr qsizetype HeldBytes = 8 * 1024 * 1024;

    explicit Feed(HttpRequest* request, Consumer consumer)
        : owner(request), consume(std::move(consumer)) {}

    // Queues a call on the request if it is still there. Under the mutex: the request clears
    // `owner` under it before it goes, and Qt drops what was queued for an object that goes.
    void post(void (HttpRequest::*slot)()) {
        if (owner)
            QMetaObject::invokeMethod(owner, slot, Qt::QueuedConnection);
    }

    std::mutex mutex;
    HttpRequest* owner;
    Consumer consume; // the worker's alone once the request has started
    std::deque<QByteArray> pieces;
    qsizetype queuedBytes = 0;
    qsizetype readBytes = 0;
    bool paused = false;               // the transfer waits for the reader
    bool resuming = false;             // and is about to go on
    bool ended = false;                // the last piece is in: read the end after it
    bool running = false;              // a worker runs
    bool tooLarge = false;             // the reader ran out of memory
    bool refused = false;              // the reader refused a piece
    std::atomic<bool> dropped = false; // read no further; checked between slices
};

HttpRequest::HttpRequest(QNetworkAccessManager& manager, const QUrl& url, HttpLimits limits,
                         Consumer consume, QObject* parent)
    : QObject(parent), m_manager(manager), m_url(url), m_limits(limits),
      m_consuming(static_cast<bool>(consume)),
      m_feed(std::make_shared<Feed>(this, std::move(consume))) {
}

HttpRequest::~HttpRequest() {
    stopReading();
    std::lock_guard lock(m_feed->mutex);
    m_feed->owner = nullptr;
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
    if (m_consuming) {
        m_transfer->setStreaming(true);
        connect(m_transfer, &HttpTransfer::received, this, &HttpRequest::onPiece);
    }
    m_transfer->start();
}

void HttpRequest::cancel() {
    m_cancelled = true;
    if (m_afterReader && !m_done) {
        m_afterReader.reset();
        HttpReply cancelled;
        cancelled.error = FetchError::Cancelled;
        cancelled.reason = tr("The request was cancelled.");
        QMetaObject::invokeMethod(
            this, [this, cancelled] { finish(cancelled); }, Qt::QueuedConnection);
    } else if (m_transfer) {
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
    QThreadPool::globalInstance()->start([feed = m_feed] { readFeed(feed); });
}

// The worker's loop: the pieces in order, each in slices, then the end.
void HttpRequest::readFeed(const std::shared_ptr<Feed>& feedPointer) {
    Feed& feed = *feedPointer;
    bool over = false; // nothing more is read for this request
    for (;;) {
        QByteArray piece;
        bool end = false;
        {
            std::lock_guard lock(feed.mutex);
            if (feed.dropped || (feed.pieces.empty() && !feed.ended)) {
                // Decided with `running`: once it is false, another worker may start.
                over = feed.dropped;
                feed.running = false;
                break;
            }
            if (!feed.pieces.empty()) {
                piece = std::move(feed.pieces.front());
                feed.pieces.pop_front();
                feed.queuedBytes -= piece.size();
                if (feed.paused && !feed.resuming && feed.queuedBytes < Feed::HeldBytes / 2) {
                    feed.resuming = true;
                    feed.post(&HttpRequest::resumeTransfer);
                }
            } else {
                end = true;
            }
        }
        // An exception must not end the program from a worker thread: a reply too large to read
        // is a failure like any other.
        try {
            if (end) {
                feed.consume.end();
            } else {
                for (qsizetype at = 0; at < piece.size() && !feed.dropped; at += SliceBytes) {
                    if (feed.consume.read(QByteArray::fromRawData(
                            piece.constData() + at, std::min(SliceBytes, piece.size() - at))))
                        continue;
                    std::lock_guard lock(feed.mutex);
                    feed.refused = true;
                    feed.dropped = true;
                    feed.post(&HttpRequest::onRefused);
                }
            }
        } catch (const std::bad_alloc&) {
            std::lock_guard lock(feed.mutex);
            feed.tooLarge = true;
            feed.dropped = true;
        }
        if (end) {
            std::lock_guard lock(feed.mutex);
            feed.running = false;
            feed.dropped = true;
            over = true;
            break;
        }
    }
    if (!over)
        return; // more pieces will come, and another worker for them
    // The reader's state goes here, on the worker that built it, not with the request.
    feed.consume = {};
#ifdef __GLIBC__
    // A large reply's pieces and the reader's scratch were allocated on this worker, in an arena
    // the GUI thread does not allocate from: unless what was freed goes back to the system now,
    // it stays resident beside everything built next.
    if (feed.readBytes > LargeReplyBytes)
        malloc_trim(0);
#endif
    std::lock_guard lock(feed.mutex);
    feed.post(feed.ended ? &HttpRequest::onRead : &HttpRequest::onReaderStopped);
}

// Nothing is read after the slice under way, which is not waited for.
void HttpRequest::stopReading() {
    std::lock_guard lock(m_feed->mutex);
    m_feed->dropped = true;
    m_feed->pieces.clear();
}

// Nothing more of the reply is wanted: the transfer is aborted, not read to its end.
void HttpRequest::onRefused() {
    if (m_done)
        return;
    if (m_transfer) {
        m_transfer->disconnect(this);
        m_transfer->deleteLater();
        m_transfer = nullptr;
    }
    HttpReply refused;
    refused.error = m_cancelled ? FetchError::Cancelled : FetchError::Refused;
    refused.reason = m_cancelled ? tr("The request was cancelled.") : tr("The reply was refused.");
    finish(std::move(refused));
}

void HttpRequest::onTransferFinished() {
    HttpReply reply = m_transfer->takeResult();
    m_transfer->deleteLater();
    m_transfer = nullptr;
    if (!reply.ok() || !m_consuming) {
        stopReading();
        // Whoever cancels reads nothing of the reader's.
        if (reply.error == FetchError::Cancelled)
            return finish(std::move(reply));
        return finishAfterReader(std::move(reply));
    }
    m_result = std::move(reply);
    bool dropped = false;
    {
        std::lock_guard lock(m_feed->mutex);
        if (m_feed->refused)
            return; // onRefused() is on its way
        dropped = m_feed->dropped;
        m_feed->ended = !dropped;
    }
    if (dropped) {
        // The reader gave up on a piece already, and has stopped or is about to.
        m_result.error = FetchError::TooLarge;
        m_result.reason = tr("The reply is too large to read.");
        return finishAfterReader(std::move(m_result));
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
    bool tooLarge = false;
    {
        std::lock_guard lock(m_feed->mutex);
        tooLarge = m_feed->tooLarge;
    }
    stopReading();
    if (m_cancelled) {
        reply.error = FetchError::Cancelled;
        reply.reason = tr("The request was cancelled.");
    } else if (tooLarge) {
        reply.error = FetchError::TooLarge;
        reply.reason = tr("The reply is too large to read.");
    }
    finish(std::move(reply));
}

void HttpRequest::finishAfterReader(HttpReply reply) {
    {
        std::lock_guard lock(m_feed->mutex);
        if (m_feed->running) {
            m_afterReader = std::move(reply);
            return;
        }
    }
    finish(std::move(reply));
}

void HttpRequest::onReaderStopped() {
    if (m_afterReader && !m_done)
        finish(std::move(*m_afterReader));
}

void HttpRequest::finish(HttpReply reply) {
    m_done = true;
    m_readingTail = false;
    m_result = std::move(reply);
    emit finished();
}
