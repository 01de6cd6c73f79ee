#include "StatusText.h"

void StatusText::show(const QString& text) {
    set(text, false);
}

void StatusText::showPassing(const QString& text) {
    set(text, true);
}

void StatusText::endPassing() {
    if (m_passing)
        set(m_standing, false);
}

void StatusText::commandStarted() {
    if (!m_passing)
        m_standing = m_text;
}

void StatusText::set(const QString& text, bool passing) {
    m_passing = passing;
    m_text = text;
    emit textChanged(text);
}
