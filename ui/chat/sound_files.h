#pragma once

#include "talk/host.h"

#include <QString>

#include <array>
#include <optional>

namespace besedka {

class PathMap;

inline constexpr std::array<Cue, 6> kAllCues{Cue::KeyBoard, Cue::UserLine, Cue::Layout,
                                             Cue::Shake,    Cue::Reply,    Cue::Close};

// The wave file of a cue, named as the program names it ("Sound\KeyBoard.wav").
const char* cueFile(Cue cue);

// Checks that every cue's file can be opened and is a RIFF/WAVE file; returns
// the report for the first that is not. The sound effects load asynchronously,
// so this is the only point where a bad file can stop the start.
std::optional<QString> soundFileProblem(const PathMap& paths);

} // namespace besedka
