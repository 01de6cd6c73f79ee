#pragma once

#include <QIcon>

class QPalette;

// The control bar's icons, drawn in the palette's button text colour so that they stand out on
// a light or a dark desktop alike.
namespace TransportIcons {
enum class Kind { Previous, Play, Pause, Stop, Next, Volume, Muted };

QIcon icon(Kind kind, const QPalette& palette);
} // namespace TransportIcons
