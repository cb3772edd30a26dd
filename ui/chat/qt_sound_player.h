#pragma once

#include "chat/sound_player.h"

#include <array>
#include <memory>

class QSoundEffect;

namespace besedka {

class PathMap;

// One sound effect per cue, each bound to its wave file. A machine without an
// audio output gets no effects at all and stays silent.
class QtSoundPlayer final : public SoundPlayer {
  public:
    explicit QtSoundPlayer(const PathMap& paths);
    ~QtSoundPlayer() override;

    void play(Cue cue) override;
    bool hasAudio() const { return hasAudio_; }

  private:
    std::array<std::unique_ptr<QSoundEffect>, 6> effects_;
    bool hasAudio_ = false;
};

} // namespace besedka
