#pragma once

#include "CatalogueModel.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// The catalogue's names folded for a search that ignores case and accents, built once per
// catalogue (off the GUI thread: it reads every name); each search is then one scan of one text.
class CatalogueSearch {
public:
    // Compatibility decomposition with the combining marks taken out, then Unicode's case
    // folding: "Zoë", "ZOE" and "zoe" are one text, and so are "ﬁ" and "fi".
    static QString fold(QStringView text);

    explicit CatalogueSearch(const CatalogueModel::Contents& contents);

    // The artists and albums (by their place in the contents) whose name contains the text,
    // folded.
    struct Matches {
        std::vector<std::uint32_t> artists;
        std::vector<std::uint32_t> albums;
    };
    Matches find(QStringView foldedText) const;

private:
    QString m_names; // every name folded, the artists' then the albums', each ended by '\n'
    std::vector<qsizetype> m_starts; // where each name starts, and one past the last
    std::uint32_t m_artists = 0;
};
