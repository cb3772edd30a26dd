#pragma once

#include <array>
#include <string_view>

namespace besedka::paths {

// The program's files, named as the program names them; every other part of
// the program takes the names from here.
inline constexpr const char* kWords = "Base\\Words.Dat";
inline constexpr const char* kWordsAtCreation = "Base\\Words.dat"; // window creation and exit
inline constexpr const char* kPause = "Base\\Pause.Dat";
inline constexpr const char* kPovtor = "Base\\Povtor.Dat";
inline constexpr const char* kInsultReplies = "Base\\X.Dat";
inline constexpr const char* kBigString = "Base\\BigString.Dat";
inline constexpr const char* kQuestions = "Base\\W1.Dat";
inline constexpr const char* kStatements = "Base\\W2.Dat";
inline constexpr const char* kLog = "Base\\Log.Halden";
inline constexpr const char* kExchange = "D:\\Txt.Dat"; // read; the default write path too
inline constexpr const char* kReadMe = "ReadMe.Txt";    // the about box's history

// The reply lists, beside the tree and the log in Base.
inline constexpr std::array<const char*, 6> kReplyLists{
    kPause, kPovtor, kInsultReplies, kBigString, kQuestions, kStatements,
};

// The sound cues' wave files.
inline constexpr const char* kKeystrokeSound = "Sound\\KeyBoard.wav";
inline constexpr const char* kUserLineSound = "Sound\\Button3.wav";
inline constexpr const char* kLayoutSound = "Sound\\Button2.wav";
inline constexpr const char* kShakeSound = "Sound\\Button1.wav";
inline constexpr const char* kReplySound = "Sound\\CpuSound.wav";
inline constexpr const char* kCloseSound = "Sound\\Close.wav";

// Every file the program opens from its working directory; it creates none.
inline constexpr std::array<const char*, 15> kWorkingDirectoryFiles{
    kWords,       kPause,         kPovtor,     kInsultReplies,  kBigString,
    kQuestions,   kStatements,    kLog,        kKeystrokeSound, kShakeSound,
    kLayoutSound, kUserLineSound, kReplySound, kCloseSound,     kReadMe,
};

// A program path's last part: "Base\\Log.Halden" -> "Log.Halden".
constexpr std::string_view fileNameOf(std::string_view windowsPath) {
    return windowsPath.substr(windowsPath.rfind('\\') + 1);
}

} // namespace besedka::paths
