// The texts people have, as teaching reads them: what tree lines each form of
// text gives, and which lines or texts it refuses.
#include "curation/dialogue_text.h"
#include "curation/outline_merge.h"
#include "curation/teach.h"
#include "files/string_list.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <string>
#include <vector>

namespace besedka::test {
namespace {

// glibc's converter, as an independent way of saving a text in a code page.
std::string iconvFromUtf8(const std::string& utf8, const char* encoding) {
    iconv_t cd = iconv_open(encoding, "UTF-8");
    std::string in = utf8;
    std::string out(4 * utf8.size() + 8, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(result, static_cast<size_t>(-1)) << encoding << ": " << utf8;
    out.resize(out.size() - outLeft);
    return out;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\n";
    }
    return text;
}

struct TextForm {
    std::string name;
    std::string bytes;
    std::vector<std::string> treeLines; // UTF-8, in any order
    std::vector<std::size_t> refusedLines = {};
    std::string refusal = {}; // of the text as a whole
};

struct Taught {
    std::vector<std::string> treeLines;
    std::vector<std::size_t> refusedLines;
    std::string refusal;
};

Taught teachText(const std::string& bytes) {
    const DialogueText text = readDialogueText(bytes);
    OutlineMerge tree(StringList(std::vector<std::string>{"header"}).textLines());
    const TeachReport report = teachOutline(tree, text);
    Taught taught{{}, {}, text.refusal};
    const TextLines lines = tree.lines();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        taught.treeLines.push_back(cp1251ToUtf8(lines[i]));
    }
    std::sort(taught.treeLines.begin(), taught.treeLines.end());
    for (const RefusedLine& refused : report.refused) {
        taught.refusedLines.push_back(refused.line);
    }
    return taught;
}

TEST(DialogueText, TeachesTheFormsOfTextPeopleHave) {
    const std::string joke =
        joined({"— Почему Дед Мороз ходит с пустым мешком?", "— Пустые бутылки собирает!"});
    const std::vector<std::string> jokeLines{
        "ПОЧЕМУ ДЕД МОРОЗ ХОДИТ С ПУСТЫМ МЕШКОМ^Пустые бутылки собирает!;"};
    const std::string binary = [] {
        std::string bytes;
        for (unsigned i = 0; i < 4000; ++i) {
            bytes += static_cast<char>((i * 7919 + i / 13) % 256);
        }
        return bytes;
    }();
    const std::vector<TextForm> forms{
        {"fortune file",
         joined({"Кто там?", "Почтальон.", "%", "— Который час?", "— Пять.", "%",
                 "Не всё то золото,", "что блестит.", "\t\t-- Народная мудрость", "%"}),
         {"КТО ТАМ^Почтальон.;", "КОТОРЫЙ ЧАС^Пять.;", "НЕ ВСЁ ТО ЗОЛОТО,^Что блестит.;"}},
        {"dialogue dashes",
         joined({"—Ты где?", "–Тут.", "", "― Кто?", "- Я.", "", "--Куда?", "-- Домой.", "",
                 "-Когда?", "—\u00A0Сейчас.", "- - -", "Один", "Два"}),
         {"ТЫ ГДЕ^Тут.;", "КТО^Я.;", "КУДА^Домой.;", "КОГДА^Сейчас.;", "ОДИН^Два.;"}},
        {"enclosing quotes",
         joined({"«Откуда ты?»", "«Из Простоквашино…»", "", "“Правда?”.", "„Да“", "",
                 "\"Ну и ну!\"", "Вот так..", "", "«Да» и «нет»", "Не говорите."}),
         {"ОТКУДА ТЫ^«Из Простоквашино…»;", "ПРАВДА^„Да“.;", "НУ И НУ^Вот так..;",
          "«ДА» И «НЕТ»^Не говорите.;"}},
        {"continued utterances",
         joined({"— Почему Дед Мороз ходит", "  с пустым мешком?", "— Пустые бутылки",
                 "    собирает!", "  — Где он?", "  Не сказал.", "", "- Кто был первым?",
                 "- Еврей, грузин и русский", "  - Гаврила."}),
         {"ПОЧЕМУ ДЕД МОРОЗ ХОДИТ С ПУСТЫМ МЕШКОМ^Пустые бутылки собирает!;", "_ГДЕ ОН^Не сказал.;",
          "КТО БЫЛ ПЕРВЫМ^Еврей, грузин и русский - Гаврила.;"}},
        {"speaker names",
         joined({"ГАМЛЕТ: Быть или не быть?", "ГОРАЦИО (в сторону): Вот в чём вопрос.", "",
                 "[12:30] Вася: привет", "[12:31] Петя: здорово", "", "Итог: ничья",
                 "Ну и ладно."}),
         {"БЫТЬ ИЛИ НЕ БЫТЬ^Вот в чём вопрос.;", "ПРИВЕТ^Здорово.;", "ИТОГ: НИЧЬЯ^Ну и ладно.;"}},
        {"UTF-16, little-endian", "\xFF\xFE" + iconvFromUtf8(joke, "UTF-16LE"), jokeLines},
        {"UTF-16, big-endian", "\xFE\xFF" + iconvFromUtf8(joke, "UTF-16BE"), jokeLines},
        {"KOI8-R",
         iconvFromUtf8(
             joined({"- Почему Дед Мороз ходит с пустым мешком?", "- Пустые бутылки собирает!"}),
             "KOI8-R"),
         jokeLines},
        {"Windows-1251 with a UTF-8 line",
         utf8ToCp1251(joined({"Привет, как дела?", "Хорошо, спасибо."})) +
             joined({"А у тебя?", "Тоже хорошо."}),
         {"ПРИВЕТ, КАК ДЕЛА^Хорошо, спасибо.;", "_А У ТЕБЯ^Тоже хорошо.;"}},
        {"lines no phrase can be",
         joined({"Привет", std::string("Ку\0ку", 5), "", "Раз", "Два", "", std::string(256, 'a'),
                 "Длинно.", "", std::string(255, 'b'), std::string(300, 'c')}),
         // A refused line ends its dialogue: "Длинно." opens the next.
         {"ПРИВЕТ^", "РАЗ^Два.;", "ДЛИННО^",
          std::string(255, 'b') + "^" + std::string(300, 'c') + ".;"},
         {2, 7}},
        {"binary file", binary, {}, {}, "this is not a text: "},
        {"export document",
         "{\"format\": \"besedka-knowledge\", \"version\": 1,\n\"tree\": [\n  {\"line\": "
         "\"\"}\n]}\n",
         {},
         {},
         "this is an export document: use kb import or kb merge"},
    };
    for (const TextForm& form : forms) {
        const Taught taught = teachText(form.bytes);
        std::vector<std::string> expected = form.treeLines;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(taught.treeLines, expected) << form.name;
        EXPECT_EQ(taught.refusedLines, form.refusedLines) << form.name;
        EXPECT_TRUE(taught.refusal.starts_with(form.refusal))
            << form.name << ": " << taught.refusal;
        EXPECT_EQ(taught.refusal.empty(), form.refusal.empty()) << form.name;
    }
}

} // namespace
} // namespace besedka::test
