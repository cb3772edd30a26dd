#pragma once

namespace besedka::paths {

// The program's files, named as the program names them.
inline constexpr const char* kWords = "Base\\Words.Dat";
inline constexpr const char* kWordsAtCreation = "Base\\Words.dat"; // window creation and exit
inline constexpr const char* kPause = "Base\\Pause.Dat";
inline constexpr const char* kPovtor = "Base\\Povtor.Dat";
inline constexpr const char* kInsultReplies = "Base\\X.Dat";
inline constexpr const char* kBigString = "Base\\BigString.Dat";
inline constexpr const char* kQuestions = "Base\\W1.Dat";
inline constexpr const char* kStatements = "Base\\W2.Dat";
inline constexpr const char* kLog = "Base\\Log.Halden";
inline constexpr const char* kExchange = "D:\\Txt.Dat";
inline constexpr const char* kReadMe = "ReadMe.Txt";

} // namespace besedka::paths
