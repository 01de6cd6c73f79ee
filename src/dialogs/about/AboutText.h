#pragma once

#include <QString>

// The About dialog's texts.
struct AboutText {
    static QString caption();
    static QString title();
    static QString version(int major, int minor, int revision);
    static QString description();
    static QString disclaimer();
};
