#pragma once

#include <string>
#include <string_view>

namespace besedka::kb {

// What a backup records of the change that followed it is written in Russian,
// by the chat, the kb commands and the knowledge window alike, and the window
// shows it so; the terminal says it in English like the rest of its output:
// "перед: забыть строку 3" is "before: forgetting line 3". Names, numbers and
// quoted phrases stay as they are; a reason in no form known here (of a later
// version) is given as recorded.
std::string englishBackupReason(std::string_view recorded);

} // namespace besedka::kb
