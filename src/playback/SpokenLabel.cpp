#include "SpokenLabel.h"

SpokenLabel::SpokenLabel(const QString& role, QWidget* parent) : QLabel(parent), m_role(role) {
    setTextFormat(Qt::PlainText);
    setAccessibleName(role);
}

void SpokenLabel::showText(const QString& text) {
    setText(text);
    // Isolation marks only keep the lines apart on screen; a reader has nothing to say of them.
    QString spoken = text;
    spoken.remove(QChar(0x2068))
        .remove(QChar(0x2069))
        .replace(QLatin1Char('\n'), QLatin1String(", "));
    // Setting the name tells assistive technology that it has changed.
    setAccessibleName(spoken.isEmpty() ? m_role : m_role + QLatin1String(": ") + spoken);
}
