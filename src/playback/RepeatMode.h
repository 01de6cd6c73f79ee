#pragma once

#include <QMetaType>

// What plays once an entry ends: the next one until the list ends (Off), the list over and over
// (All), or the same entry again (One).
enum class RepeatMode { Off, All, One };

Q_DECLARE_METATYPE(RepeatMode)
