#include "AboutText.h"

#include "SonaricVersion.h"

#include <QCoreApplication>

namespace {
QString tr(const char* text) {
    return QCoreApplication::translate("AboutText", text);
}
} // namespace

QString AboutText::caption() {
    return QLatin1String("About ") + title();
}

QString AboutText::title() {
    return QString::fromUtf8(SonaricVersion::Title);
}

QString AboutText::version(int major, int minor, int revision) {
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString AboutText::description() {
    return tr("Written by the Sonaric Client developers.") + QLatin1Char('\n') +
           tr("SHA-256 digest code by the author of the CSHA256 class, used with thanks.") +
           QLatin1Char('\n') + QStringLiteral("Developed using mpv media player technology.");
}

QString AboutText::disclaimer() {
    return tr("Warning: this program is provided as is, without any warranty. Use it only with "
              "servers and music you are entitled to access.");
}
