#include "qt_sound_player.h"

#include "files/path_map.h"
#include "sound_files.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace besedka {

QtSoundPlayer::QtSoundPlayer(const PathMap& paths)
    : hasAudio_(!QMediaDevices::audioOutputs().isEmpty()) {
    if (!hasAudio_) {
        return;
    }
    for (const Cue cue : kAllCues) {
        auto effect = std::make_unique<QSoundEffect>();
        const auto file = paths.resolve(cueFile(cue));
        effect->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
        effects_[static_cast<std::size_t>(cue)] = std::move(effect);
    }
}

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::play(Cue cue) {
    QSoundEffect* effect = effects_[static_cast<std::size_t>(cue)].get();
    // A cue still sounding goes on; QSoundEffect::play() would restart it.
    if (effect != nullptr && !effect->isPlaying()) {
        effect->play();
    }
}

} // namespace besedka
