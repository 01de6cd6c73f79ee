#pragma once

#include <QMetaType>

// What the engine is doing, as it reports it: nothing loaded, an entry loaded but paused, or an
// entry loaded and playing.
enum class PlaybackState { Stopped, Paused, Playing };

Q_DECLARE_METATYPE(PlaybackState)
