#include "talk/phrase.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

namespace besedka {
namespace {

struct Forms {
    const char* typed;
    const char* shown;
    const char* key;
};

TEST(Phrase, ShownPhraseAndKey) {
    const Forms cases[] = {
        {"привет", "Привет.", "ПРИВЕТ"},
        {"как дела?", "Как дела?", "КАК ДЕЛА?"},
        {"да,", "Да.", "ДА,"},
        {"hello", "hello.", "hello"},
        {"ёлка", "Ёлка.", "ЁЛКА"},
        {"да ", "Да .", "ДА "},
        {"  привет", "  привет.", "  ПРИВЕТ"},
        {"...", "...", "..."},
        {"?!", "?!", "?!"},
        {"!,", "!.", "!,"},
        {"ура:", "Ура:.", "УРА:"},
        {"1 раз", "1 раз.", "1 РАЗ"},
        {"і ї є", "і ї є.", "і ї є"}, // other Cyrillic letters keep their case
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cp1251ToUtf8(shownPhrase(utf8ToCp1251(c.typed))), c.shown) << c.typed;
        EXPECT_EQ(cp1251ToUtf8(phraseKey(utf8ToCp1251(c.typed))), c.key) << c.typed;
    }
}

TEST(Phrase, UppercasingMapsExactlyTheSmallLetters) {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const int upper = static_cast<unsigned char>(cyrillicUpper(c));
        if (byte >= 0xE0) {
            EXPECT_EQ(upper, byte - 0x20);
        } else if (byte == 0xB8) {
            EXPECT_EQ(upper, 0xA8);
        } else {
            EXPECT_EQ(upper, byte);
        }
    }
}

// The "." that the end fix put after a final line break is dropped when the
// text before the break already ends a sentence.
TEST(Phrase, LearnedFormOfAPhraseWithLineBreaks) {
    const std::pair<const char*, const char*> cases[] = {
        {"Понятно.\r\n.", "Понятно."}, {"Неужели?\r\n.", "Неужели?"}, {"Привет\r\n.", "Привет."},
        {"А\r\nБ\r\n.", "А Б."},       {"Ну!\r\n\r\n.", "Ну!"},       {"Ну…\r\n.", "Ну…"},
    };
    for (const auto& [shown, learned] : cases) {
        EXPECT_EQ(learnedText(utf8ToCp1251(shown)), utf8ToCp1251(learned)) << shown;
    }
}

TEST(Phrase, LineBreaksStayAndGetAFinalPeriod) {
    EXPECT_EQ(shownPhrase("\xEF\xF0\xE8\r\n"), "\xCF\xF0\xE8\r\n.");
    EXPECT_EQ(shownPhrase(""), "");
}

} // namespace
} // namespace besedka
