#include "StatusText.h"

void StatusText::show(const QString& text) {
    set(text, false);
}

void StatusText::showPassing(const QString& text) {
    set(text, true);
}

void StatusText::endPassing() {
    if (m_passing)
        set(QString(), false);
}

void StatusText::set(const QString& text, bool passing) {
    m_passing = passing;
    m_text = text;
    emit textChanged(text);
}
