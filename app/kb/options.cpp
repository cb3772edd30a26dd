#include "kb/options.h"
#include "kb/messages.h"

#include <algorithm>

namespace besedka::kb {

std::optional<OptionWords> parseOptions(const Args& args, std::string_view command,
                                        std::initializer_list<std::string_view> flags,
                                        std::ostream& err,
                                        std::initializer_list<std::string_view> valued) {
    const auto among = [](std::initializer_list<std::string_view> list, std::string_view word) {
        return std::find(list.begin(), list.end(), word) != list.end();
    };
    OptionWords parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (among(flags, word)) {
            parsed.flags.insert(word);
        } else if (among(valued, word)) {
            if (i + 1 == args.size()) {
                usageError(err, std::string(command) + ": " + word + " needs a value");
                return std::nullopt;
            }
            parsed.words.push_back(word);
            parsed.words.push_back(args[++i]);
        } else if (word.starts_with('-') && word != "-") {
            usageError(err, std::string(command) + ": unknown option \"" + word + "\"");
            return std::nullopt;
        } else {
            parsed.words.push_back(word);
        }
    }
    return parsed;
}

} // namespace besedka::kb
