#pragma once

#include "talk/host.h"

namespace besedka {

// Plays the six sound cues. Playing returns at once and never reports errors.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    // Starts the cue from its beginning unless it is still sounding; cues of
    // different kinds overlap.
    virtual void play(Cue cue) = 0;
};

} // namespace besedka
