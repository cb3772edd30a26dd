#include "talk/word_lists.h"

#include "text/cp1251.h"
#include "text/key_match.h"

#include <bitset>
#include <initializer_list>

namespace besedka {
namespace {

// Line 0 of every list is empty and never used; the entries follow.
std::vector<std::string> fromUtf8(std::initializer_list<const char*> entries) {
    std::vector<std::string> list{std::string()};
    for (const char* entry : entries) {
        list.push_back(utf8ToCp1251(entry));
    }
    return list;
}

} // namespace

const std::vector<std::string>& insultList() {
    static const std::vector<std::string> list = fromUtf8({
        " ЛОХ",    " ХАМ",          "БЕСТОЛКОВ", "БЕСТОЛОЧЬ", "БЛУДЛИВ",   "БЛУДНИЦА",   "БЛЯ ",
        "БЛЯ,",    "БЛЯ.",          "БЛЯ!",      "БЛЯ?",      "БЛЯДИ",     "БЛЯДЬ",      "БОЛВАН",
        "ВЫРОДК",  "ВЫРОДОК",       "ГАД ",      "ГАД,",      "ГАД.",      "ГАД!",       "ГАДИН",
        "ДРОЧУН",  "ЖЕРТВА АБОРТА", "ЖМУРИК",    "ЕБАТЬ",     "ЕБЛАН",     "ЕБЛО",       "ДЕБИЛ",
        "ДУРА",    "ДУРЕНЬ",        "ДУРИК",     "ДУРОЙ",     "ДУРОЧ",     "ДУРЫ",       "КУРТИЗАН",
        "МАНДА",   "МАНДЮ",         "МРАЗЬ",     "МУДАК",     "МУДИЛ",     "МУДАЗВОН",   "МУДОЗВОН",
        "МУРЛО",   "НЕДОНОСК",      "НЕДОНОСОК", "НЕДОУМ",    "ОТСОСИ",    "ПАДЛ",       "ПОДЛ",
        "ПИЗД",    "ПОДОН",         "ПРИДУРОК",  "ПРОСТИТНЯ", "ПРОСТИТУТ", "СУКА",       "СУКИ",
        "СУКУ",    "СУЧАРА",        "СУЧКА",     "СУЧКИ",     "СУЧОК",     "ТЕБЯ СОТРУ", "ТРАХАТЬ",
        "ТРАХНУТ", "УБЛЮД",         "УЁБИЩ",     "УПЫР",      "УРОД",      "ХЕР ",       "ХЕР,",
        "ХЕР.",    "ХЕР!",          "ХЕР?",      "ХУИ",       "ХУЙ",       "ЧМО",        "ЧУРК",
        "ШАЛАВА",  "ШАЛАВКА",       "ШЛЮХА",     "ШЛЮШ",      "Я СОТРУ",
    });
    return list;
}

const std::vector<std::string>& personalTopicList() {
    static const std::vector<std::string> list = fromUtf8({
        " ИМЯ",        " ЛЕТ",   "В ТУАЛЕТ", "ВИДЕ",       "ВИЖУ",     "ВОЛОС",        "ДЕМОНТИРУЮ",
        "ДРОЧИ",       "ДРОЧУ",  "ДЫШАТЬ",   "ДЫШУ",       "ЖАРКО",    "ЖИВ",          "ЖОП",
        "ЖРАТЬ",       "ИГРАЕМ", "ИГРАТЬ",   "ИГРАЮ",      "ИЗ ПЛОТИ", "ИМЯ ",         "КАКАТЬ",
        "КУШАТЬ",      "ЛЕТ ",   "ЛЕТАТЬ",   "ЛЕТЕТЬ",     "ЛЮБИЛ",    "ЛЮБЛЮ",        "МАМА",
        "МАМОЙ",       "МАМОЧК", "МАМУ",     "МЕНЯ ЗОВУТ", "НЕ ПРОГА", "НЕ ПРОГРАММА", "НЕ РОБОТ",
        "НОГА",        "НОГИ",   "ОРГАН",    "ПАПА",       "ПАПОЙ",    "ПАПОЧК",       "ПАПУ",
        "ПЕРЕДЕЛАТЬ",  "ПЕТЬ",   "ПИСАТЬ",   "ПИСЬ",       "ПИСЯ",     "ПИТЬ",         "ПОБЕЖАЛ",
        "ПОДОЖДИ",     "ПОЙДЁМ", "ПОПА",     "ПОПК",       "ПОШЛИ",    "РОДИЛ",        "РОДИТЕЛ",
        "РОДСТВЕННИК", "РОЖДЁН", "РУКА",     "РУКИ",       "СЛЫШАТЬ",  "СЛЫШИ",        "СЛЫШУ",
        "СМОТРЮ",      "СОТРУ",  "СПАТЬ",    "ТЕЛО",       "УДАЛЮ",    "УМРУ",         "УСТАЛ",
        "УСТАЮ",       "УХОЖУ",  "ХОДИТЬ",   "ХОЛОДНО",    "ХОЧУ",     "ЧЕЛОВЕК",      "ЧУВСТВО",
        "ЧУВСТВУЮ",    "ШЕРСТ",
    });
    return list;
}

const std::vector<std::string>& farewellList() {
    static const std::vector<std::string> list = fromUtf8({
        "BY",         "GOOD BY",      "АЛОХА",         "БЫВАЙ",        "ВСЁ ПОКА",
        "ВСЁ, ПОКА",  "ВСЁ, ПРОЩАЙ",  "ДО ЗАВТРА",     "ДО СВИДАНИЯ",  "ДО СКОРОГО",
        "ДОСВИДАНИЕ", "ЛАДНО, ПОКА",  "ЛАДНО, ПРОЩАЙ", "НУ БЫВАЙ",     "НУ ДАВАЙ",
        "НУ ПОКА",    "НУ ПРОЩАЙ",    "ПОКА",          "ПОКА, ЧУВАК",  "ПОКА ПОКА",
        "ПОКА-ПОКА",  "ПОКЕДОВА",     "ПРОЩАЙ",        "АЛОХА.",       "ВСЁ ПОКА.",
        "ДО ЗАВТРА.", "ДО СВИДАНИЯ.", "ДО СКОРОГО.",   "ДОСВИДАНИЕ.",  "ЛАДНО, ПОКА.",
        "НУ ДАВАЙ.",  "НУ ПРОЩАЙ.",   "НУ ПОКА.",      "ПОКА, ЧУВАК.", "ПОКА.",
        "ПОКА-ПОКА.", "ПОКЕДОВА.",    "ПРОЩАЙ.",       "АЛОХА!",       "ВСЁ ПОКА!",
        "ДО ЗАВТРА!", "ДО СВИДАНИЯ!", "ДО СКОРОГО!",   "ДОСВИДАНИЕ!",  "ЛАДНО, ПОКА!",
        "НУ ДАВАЙ!",  "НУ ПОКА!",     "НУ ПРОЩАЙ!",    "ПОКА, ЧУВАК!", "ПОКА!",
        "ПОКА-ПОКА!", "ПОКЕДОВА!",    "ПРОЩАЙ!",       "ЭЙ, ПОКА",
    });
    return list;
}

namespace {

// Where a piece of two or three characters leaves its mark in a bitset.
std::size_t pieceBit(std::string_view piece) {
    std::size_t hash = piece.size();
    for (const char c : piece) {
        hash = hash * 257u + static_cast<unsigned char>(c);
    }
    return (hash * 2654435761u >> 8) % 4096u;
}

} // namespace

// An entry found is a piece of the key, so the key holds its first three
// characters (two, for an entry of two) side by side: the pieces of the key
// pass most entries over without a scan, which a check of many phrases
// against the lists notices.
std::size_t firstEntryIn(const std::vector<std::string>& list, std::string_view key) {
    std::bitset<4096> pieces;
    for (std::size_t i = 0; i + 1 < key.size(); ++i) {
        pieces.set(pieceBit(key.substr(i, 2)));
        if (i + 2 < key.size()) {
            pieces.set(pieceBit(key.substr(i, 3)));
        }
    }
    const auto mayOccur = [&pieces](std::string_view entry) {
        return entry.size() < 2 || pieces.test(pieceBit(entry.substr(0, 3)));
    };
    std::size_t entry = 1;
    while (entry < list.size() && !(mayOccur(list[entry]) && keyOccurs(list[entry], key))) {
        ++entry;
    }
    return entry;
}

} // namespace besedka
