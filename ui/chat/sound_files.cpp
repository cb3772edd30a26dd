#include "chat/sound_files.h"

#include "files/kb_paths.h"
#include "files/path_map.h"

#include <array>
#include <cstring>
#include <fstream>

namespace besedka {
namespace {

enum class WaveCheck { Ok, Missing, Unreadable, NotWave };

WaveCheck checkWave(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return WaveCheck::Missing;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return WaveCheck::Unreadable;
    }
    std::array<char, 12> header{};
    in.read(header.data(), static_cast<std::streamsize>(header.size()));
    if (in.gcount() != static_cast<std::streamsize>(header.size()) ||
        std::memcmp(header.data(), "RIFF", 4) != 0 ||
        std::memcmp(header.data() + 8, "WAVE", 4) != 0) {
        return WaveCheck::NotWave;
    }
    return WaveCheck::Ok;
}

QString reason(WaveCheck check) {
    switch (check) {
    case WaveCheck::Missing:
        return QStringLiteral("файл не найден");
    case WaveCheck::Unreadable:
        return QStringLiteral("файл не удаётся прочитать");
    case WaveCheck::NotWave:
        return QStringLiteral("это не звуковой файл WAVE");
    case WaveCheck::Ok:
        break;
    }
    return {};
}

} // namespace

const char* cueFile(Cue cue) {
    switch (cue) {
    case Cue::KeyBoard:
        return paths::kKeystrokeSound;
    case Cue::UserLine:
        return paths::kUserLineSound;
    case Cue::Layout:
        return paths::kLayoutSound;
    case Cue::Shake:
        return paths::kShakeSound;
    case Cue::Reply:
        return paths::kReplySound;
    case Cue::Close:
        return paths::kCloseSound;
    }
    return "";
}

std::optional<QString> soundFileProblem(const PathMap& paths) {
    for (const Cue cue : kAllCues) {
        const WaveCheck check = checkWave(paths.resolve(cueFile(cue)));
        if (check != WaveCheck::Ok) {
            return QStringLiteral("Не удаётся открыть звуковой файл %1: %2.")
                .arg(QString::fromLatin1(cueFile(cue)), reason(check));
        }
    }
    return std::nullopt;
}

} // namespace besedka
