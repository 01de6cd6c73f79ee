#pragma once

#include "MediaPlayer.h"

// What libmpv itself holds, behind the player, for the tests to compare with what the player
// says.
class EngineProbe {
public:
    static MpvPlayer& of(MediaPlayer& player) { return player.m_mpv; }
};
