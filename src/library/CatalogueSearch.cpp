#include "CatalogueSearch.h"

#include <algorithm>
#include <string_view>

QString CatalogueSearch::fold(QStringView text) {
    // Most names are plain ASCII: lower case is all they need.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        QString out = text.toString().toLower();
        out.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return out;
    }
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            out.append(c == QLatin1Char('\n') ? QLatin1Char(' ') : c);
    }
    return out.toCaseFolded();
}

CatalogueSearch::CatalogueSearch(const CatalogueModel::Contents& contents)
    : m_artists(static_cast<std::uint32_t>(contents.artists.size())) {
    m_starts.reserve(contents.artists.size() + contents.albums.size() + 1);
    m_names.reserve(static_cast<qsizetype>(contents.text.size()));
    for (const auto* nodes : {&contents.artists, &contents.albums}) {
        for (const CatalogueModel::Node& node : *nodes) {
            m_starts.push_back(m_names.size());
            const std::string_view name(contents.text.data() + node.textAt, node.nameSize);
            if (std::all_of(name.begin(), name.end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
                // Without a string of its own: most names are plain ASCII.
                for (const char c : name)
                    m_names += QLatin1Char(c == '\n' ? ' ' : (c >= 'A' && c <= 'Z') ? c + 32 : c);
            } else {
                m_names +=
                    fold(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
            }
            m_names += QLatin1Char('\n');
        }
    }
    m_starts.push_back(m_names.size());
}

CatalogueSearch::Matches CatalogueSearch::find(QStringView foldedText) const {
    Matches found;
    if (foldedText.isEmpty() || foldedText.contains(QLatin1Char('\n')))
        return found;
    const QStringView names(m_names);
    qsizetype from = 0;
    while ((from = names.indexOf(foldedText, from)) >= 0) {
        // Names end with a line break the text has none of, so a match lies within one name.
        const auto node = static_cast<std::uint32_t>(
            std::upper_bound(m_starts.begin(), m_starts.end(), from) - m_starts.begin() - 1);
        if (node < m_artists)
            found.artists.push_back(node);
        else
            found.albums.push_back(node - m_artists);
        from = m_starts[node + 1];
    }
    return found;
}
