#include "chat/qt_sound_player.h"

#include "chat/sound_files.h"
#include "files/path_map.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace besedka {
namespace {

QtMessageHandler passOn = nullptr;

void withoutSoundServerNoise(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    if (!message.startsWith(QLatin1String("PulseAudioService:")) && passOn != nullptr) {
        passOn(type, context, message);
    }
}

// Without a sound server, Qt's sound backend says on stderr that it could not
// connect; the program then plays nothing, which needs no word.
bool audioOutputAvailable() {
    passOn = qInstallMessageHandler(withoutSoundServerNoise);
    const bool available = !QMediaDevices::audioOutputs().isEmpty();
    qInstallMessageHandler(passOn);
    return available;
}

} // namespace

QtSoundPlayer::QtSoundPlayer(const PathMap& paths) : hasAudio_(audioOutputAvailable()) {
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
