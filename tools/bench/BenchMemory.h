#pragma once

#include "App.h"
#include "Sha256.h"

#include <QFile>

#include <cstring>

// Resident memory now ("VmRSS:"), or the peak since resetPeak() ("VmHWM:"), in MB, from /proc.
inline double statusMb(const char* field) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(std::strlen(field)) + 1)
                       .trimmed()
                       .split(' ')
                       .first()
                       .toDouble() /
                   1024.0;
    return 0;
}

inline void resetPeak() {
    QFile refs("/proc/self/clear_refs");
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// The session of the test server's user "demo".
inline void configure(App& app, const QString& base) {
    app.setServername(base);
    app.setUsername("demo");
    app.setHashKey(Sha256().hex(QStringLiteral("demo")));
}
