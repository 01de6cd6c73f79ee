#include "CatalogueModel.h"

#include <QThread>

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
    beginResetModel();
    m_contents = std::move(contents);
    if (m_contents.firstAlbum.size() != m_contents.artists.size() + 1)
        m_contents.firstAlbum.assign(m_contents.artists.size() + 1, 0);
    endResetModel();
}

int CatalogueModel::albumCount(int artistRow) const {
    const auto row = static_cast<std::size_t>(artistRow);
    return static_cast<int>(m_contents.firstAlbum[row + 1] - m_contents.firstAlbum[row]);
}

QString CatalogueModel::textAt(std::uint32_t at, std::uint32_t size) const {
    return QString::fromUtf8(m_contents.text.data() + at, static_cast<qsizetype>(size));
}

// Top-level indexes carry no pointer; an album's index points at its artist's record, which is
// also what makes Qt's index hashing spread well.
QModelIndex CatalogueModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < artistCount() ? createIndex(row, 0, nullptr) : QModelIndex();
    if (parent.internalPointer() != nullptr || row >= albumCount(parent.row()))
        return {};
    return createIndex(
        row, 0, const_cast<Node*>(&m_contents.artists[static_cast<std::size_t>(parent.row())]));
}

QModelIndex CatalogueModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalPointer() == nullptr)
        return {};
    const auto* artist = static_cast<const Node*>(child.internalPointer());
    return createIndex(static_cast<int>(artist - m_contents.artists.data()), 0, nullptr);
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return artistCount();
    if (parent.internalPointer() != nullptr)
        return 0;
    return albumCount(parent.row());
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
    const Node* node = nullptr;
    bool album = false;
    if (index.internalPointer() == nullptr) {
        node = &m_contents.artists[static_cast<std::size_t>(index.row())];
    } else {
        const auto* artist = static_cast<const Node*>(index.internalPointer());
        const auto artistRow = static_cast<std::size_t>(artist - m_contents.artists.data());
        node =
            &m_contents
                 .albums[m_contents.firstAlbum[artistRow] + static_cast<std::size_t>(index.row())];
        album = true;
    }
    if (role == KeyRole)
        return (album ? QStringLiteral("album") : QStringLiteral("artist")) +
               textAt(node->idAt, node->idSize);
    const QString text = textAt(node->textAt, node->textSize);
    // Qt shows a tool tip that looks like markup as markup: the server's text goes in escaped,
    // so it shows as it is.
    if (role == Qt::ToolTipRole)
        return QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(text.toHtmlEscaped());
    return text;
}
