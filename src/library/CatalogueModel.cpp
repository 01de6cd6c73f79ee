#include "CatalogueModel.h"

#include "CatalogueSearch.h"

#include <QThread>
#include <QThreadPool>

#include <mutex>
#include <numeric>

// Where a worker hands its folded names back: the model clears `owner` under the mutex before it
// goes, and Qt drops what was queued for an object that goes. Neither waits for the other.
struct CatalogueModel::Outbox {
    std::mutex mutex;
    CatalogueModel* owner = nullptr;
};

CatalogueModel::CatalogueModel(QObject* parent)
    : QAbstractItemModel(parent), m_outbox(std::make_shared<Outbox>()) {
    m_outbox->owner = this;
}

CatalogueModel::~CatalogueModel() {
    const std::lock_guard lock(m_outbox->mutex);
    m_outbox->owner = nullptr;
}

void CatalogueModel::clear() {
    setContents({});
}

CatalogueModel::Contents CatalogueModel::takeContents() {
    Contents taken = std::move(m_contents);
    setContents({});
    return taken;
}

void CatalogueModel::setContents(Contents contents) {
    // Views read the model while they paint: it changes on their thread or not at all.
    if (QThread::currentThread() != thread())
        qFatal("CatalogueModel filled from a thread it does not belong to");
    m_contents = std::move(contents);
    if (m_contents.firstAlbum.size() != m_contents.artists.size() + 1)
        m_contents.firstAlbum.assign(m_contents.artists.size() + 1, 0);
    m_search.reset();
    ++m_generation;
    if (!m_foldedFilter.isEmpty())
        indexNames();
    show();
}

void CatalogueModel::setFilter(const QString& text) {
    const QString folded = CatalogueSearch::fold(text);
    m_filter = text;
    if (folded == m_foldedFilter)
        return;
    m_foldedFilter = folded;
    // Folded only once somebody filters: a refresh never shares the workers with it.
    if (!m_foldedFilter.isEmpty() && !m_search)
        indexNames();
    show();
}

void CatalogueModel::indexNames() {
    if (m_contents.artists.empty() || m_indexing == m_generation)
        return;
    m_indexing = m_generation;
    QThreadPool::globalInstance()->start([outbox = m_outbox, generation = m_generation,
                                          contents = std::make_shared<Contents>(m_contents)] {
        auto search = std::make_shared<const CatalogueSearch>(*contents);
        const std::lock_guard lock(outbox->mutex);
        if (CatalogueModel* owner = outbox->owner)
            QMetaObject::invokeMethod(
                owner, [owner, generation, search] { owner->onIndexed(generation, search); },
                Qt::QueuedConnection);
    });
}

void CatalogueModel::onIndexed(std::uint64_t generation,
                               std::shared_ptr<const CatalogueSearch> search) {
    if (generation != m_generation)
        return;
    m_search = std::move(search);
    if (!m_foldedFilter.isEmpty())
        show();
}

void CatalogueModel::show() {
    beginResetModel();
    m_shownArtists.clear();
    m_shownAlbums.clear();
    m_firstShown.assign(1, 0);
    m_rowsToExpand.clear();
    const std::vector<std::uint32_t>& firstAlbum = m_contents.firstAlbum;
    if (m_foldedFilter.isEmpty()) {
        m_shownArtists.resize(m_contents.artists.size());
        std::iota(m_shownArtists.begin(), m_shownArtists.end(), 0u);
        m_shownAlbums.resize(m_contents.albums.size());
        std::iota(m_shownAlbums.begin(), m_shownAlbums.end(), 0u);
        m_firstShown = firstAlbum;
    } else if (m_search) {
        const CatalogueSearch::Matches found = m_search->find(m_foldedFilter);
        std::size_t named = 0, album = 0;
        for (std::uint32_t artist = 0; artist < m_contents.artists.size(); ++artist) {
            const bool isNamed = named < found.artists.size() && found.artists[named] == artist;
            named += isNamed;
            const std::size_t firstFound = album;
            while (album < found.albums.size() && found.albums[album] < firstAlbum[artist + 1])
                ++album;
            if (!isNamed && album == firstFound)
                continue;
            if (album > firstFound)
                m_rowsToExpand.push_back(static_cast<int>(m_shownArtists.size()));
            m_shownArtists.push_back(artist);
            if (isNamed) {
                for (std::uint32_t a = firstAlbum[artist]; a < firstAlbum[artist + 1]; ++a)
                    m_shownAlbums.push_back(a);
            } else {
                m_shownAlbums.insert(m_shownAlbums.end(), found.albums.begin() + firstFound,
                                     found.albums.begin() + album);
            }
            m_firstShown.push_back(static_cast<std::uint32_t>(m_shownAlbums.size()));
        }
    }
    endResetModel();
    emit filterApplied();
}

QString CatalogueModel::textAt(std::uint32_t at, std::uint32_t size) const {
    return QString::fromUtf8(m_contents.text.data() + at, static_cast<qsizetype>(size));
}

// An album's index carries its artist's row, plus one; an artist's carries 0.
QModelIndex CatalogueModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || row >= rowCount(parent))
        return {};
    return createIndex(row, 0, parent.isValid() ? quintptr(parent.row()) + 1 : quintptr(0));
}

QModelIndex CatalogueModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr(0));
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return static_cast<int>(m_shownArtists.size());
    if (parent.internalId() != 0)
        return 0;
    const auto row = static_cast<std::size_t>(parent.row());
    return static_cast<int>(m_firstShown[row + 1] - m_firstShown[row]);
}

int CatalogueModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return tr("Artists and albums");
    return QAbstractItemModel::headerData(section, orientation, role);
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != KeyRole))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const bool album = index.internalId() != 0;
    const Node& node =
        album ? m_contents.albums[m_shownAlbums[m_firstShown[index.internalId() - 1] + row]]
              : m_contents.artists[m_shownArtists[row]];
    if (role == KeyRole)
        return (album ? QStringLiteral("album") : QStringLiteral("artist")) +
               textAt(node.idAt, node.idSize);
    const QString text = textAt(node.textAt, node.textSize);
    // Qt shows a tool tip that looks like markup as markup: the server's text goes in escaped,
    // so it shows as it is.
    if (role == Qt::ToolTipRole)
        return QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(text.toHtmlEscaped());
    return text;
}
