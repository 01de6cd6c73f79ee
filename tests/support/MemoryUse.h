#pragma once

#include <QFile>
#include <QRegularExpression>

// The resident memory of this process in MiB, read from /proc.
class MemoryUse {
public:
    // AddressSanitizer holds freed memory back (its quarantine) and pads every allocation: bounds
    // on memory are checked in the plain build only.
#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool Bounded = false;
#else
    static constexpr bool Bounded = true;
#endif

    // Starts the peak afresh from what is resident now.
    static void resetPeak() {
        QFile refs(QStringLiteral("/proc/self/clear_refs"));
        if (refs.open(QIODevice::WriteOnly))
            refs.write("5");
    }
    static double peakMiB() {
        return statusValue("VmHWM");
    }
    static double currentMiB() {
        return statusValue("VmRSS");
    }

private:
    static double statusValue(const char* name) {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        const QRegularExpression line(QLatin1String(name) + QLatin1String(":\\s+(\\d+) kB"));
        const QRegularExpressionMatch match = line.match(QString::fromLatin1(status.readAll()));
        return match.hasMatch() ? match.captured(1).toDouble() / 1024.0 : 0;
    }
};
