#pragma once

#include <QIcon>

// The program's icon, drawn rather than loaded, so that it needs no image plugin.
class ApplicationIcon {
public:
    static QIcon icon();
};
