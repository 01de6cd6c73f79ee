#pragma once

#include "CatalogueModel.h"
#include "SongListModel.h"

#include <QObject>
#include <QString>

// The library as the window shows it: the catalogue tree, the two song lists, the artist count,
// and whether searching is open (from the first refresh on). Commands fill it; it never asks the
// server anything.
class Library : public QObject {
    Q_OBJECT

public:
    enum SongList { LibraryList = 0, SearchList = 1 };

    explicit Library(QObject* parent = nullptr)
        : QObject(parent), m_catalogue(this), m_librarySongs(this), m_searchSongs(this) {}

    CatalogueModel* catalogue() { return &m_catalogue; }
    SongListModel* songs(int list) { return list == SearchList ? &m_searchSongs : &m_librarySongs; }

    QString artistCountText() const { return m_artistCountText; }
    void setArtistCountText(const QString& text) {
        if (text == m_artistCountText)
            return;
        m_artistCountText = text;
        emit artistCountTextChanged(text);
    }
    bool isSearchEnabled() const { return m_searchEnabled; }
    void enableSearch() {
        if (m_searchEnabled)
            return;
        m_searchEnabled = true;
        emit searchEnabledChanged(true);
    }

signals:
    void artistCountTextChanged(const QString& text);
    void searchEnabledChanged(bool enabled);

private:
    CatalogueModel m_catalogue;
    SongListModel m_librarySongs;
    SongListModel m_searchSongs;
    QString m_artistCountText;
    bool m_searchEnabled = false;
};
