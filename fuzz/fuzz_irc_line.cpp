// Takes any bytes as one line an IRC server sent and checks the bot's grammar
// and text rules on it: what is read is whole UTF-8, a parsed message builds
// back into a line that reads the same, stripped text holds no control
// characters, and a reply cut from it fits its budget in whole characters.

#include "irc/addressing.h"
#include "irc/ctcp.h"
#include "irc/encoding.h"
#include "irc/formatting.h"
#include "irc/message.h"
#include "irc/reply_split.h"
#include "text/cp1251.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace besedka::irc;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool lineSafe(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void checkMessage(const Message& message) {
    check(!message.command.empty());
    bool buildable = true;
    for (std::size_t i = 0; i < message.params.size(); ++i) {
        buildable = buildable && lineSafe(message.params[i]);
        if (i + 1 < message.params.size()) {
            const std::string& middle = message.params[i];
            check(!middle.empty() && middle.find(' ') == std::string::npos &&
                  !middle.starts_with(':'));
        }
    }
    const auto line = buildLine(message.command, message.params);
    check(line.has_value() == buildable);
    if (line) {
        const auto back = parseMessage(*line);
        check(back && back->command == message.command && back->params == message.params);
    }
}

void checkText(std::string_view text, std::size_t budget) {
    const std::string plain = stripFormatting(text);
    for (const char c : plain) {
        check(static_cast<unsigned char>(c) >= 0x20 && c != '\x7F');
    }
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Cp1251}) {
        for (const std::string& piece : splitText(plain, budget, encoding)) {
            check(!piece.empty() && encodedSize(piece, encoding) <= budget);
            check(!besedka::firstInvalidUtf8(piece));
        }
    }
    if (const auto rest = addressedText(text, "besedka", CaseMapping::Rfc1459)) {
        check(rest->size() < text.size());
    }
    if (const auto ctcp = parseCtcp(text)) {
        check(ctcp->command.find('\x01') == std::string::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks a budget for the cut; at least a character's four bytes.
    const std::size_t budget = 4 + data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string text = decodeReceived(bytes);
    check(!besedka::firstInvalidUtf8(text));
    if (const auto message = parseMessage(text)) {
        checkMessage(*message);
        checkText(message->param(1), budget);
    }
    checkText(text, budget);
    return 0;
}
