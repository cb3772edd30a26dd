// Builds, from the input, an RTF document shaped like those of the word
// processors that write knowledge-base files (a font table, \ucN with \uN and
// their fallbacks, \'XX, escaped symbols, hidden text, \*-destinations,
// pictures with \bin data, nested groups), knowing the lines it holds. The
// reader must give exactly those lines, and the fast load path the same as
// the plain reader.

#include "files/string_list.h"
#include "text/rtf.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

constexpr const char* kHeaders[] = {
    "{\\rtf1\\ansi\\ansicpg1251\\deff0",
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\nouicompat\\deflang1049",
    "{\\rtf1\\ansi\\ansicpg1251\\uc1\\deff0\\stshfdbch0",
};

constexpr const char* kFrontMatter[] = {
    "{\\fonttbl{\\f0\\fnil\\fcharset204 Tahoma;}{\\f1\\fswiss\\fcharset0 Arial;}}",
    "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset204 Times New Roman{\\*\\falt Times};}}",
    "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}",
    "{\\stylesheet{\\s0\\snext0 Normal;}{\\*\\cs10 Default Paragraph Font;}}",
    "{\\*\\generator Msftedit 5.41.21.2510;}",
    "{\\info{\\title \\'c7\\'e0\\'e3}{\\author x}{\\creatim\\yr2001\\mo1}}",
    "\\viewkind4\\uc1\\pard\\lang1049\\f0\\fs20 ",
};

// Pieces of a paragraph that hold no text of it.
constexpr const char* kNoText[] = {
    "{\\*\\bkmkstart x}",
    "{\\v hidden}",
    "{\\*\\shppict{\\pict\\pngblip 89504e47}}",
    "\\b ",
    "\\b0 ",
    "\\i ",
    "\\fs24 ",
    "\\plain ",
    "{\\*\\unknowndest {nested {deeper}} text}",
    "\\cf1 ",
};

// A Windows-1251 letter and its code point.
std::pair<char, int> cyrillicLetter(FuzzedDataProvider& input) {
    const int index = input.ConsumeIntegralInRange(0, 65);
    if (index == 64) {
        return {'\xA8', 0x401}; // Ё
    }
    if (index == 65) {
        return {'\xB8', 0x451}; // ё
    }
    return {static_cast<char>(0xC0 + index), 0x410 + index};
}

void addPiece(FuzzedDataProvider& input, std::string& rtf, std::string& line) {
    switch (input.ConsumeIntegralInRange(0, 8)) {
    case 0: { // plain text
        for (char c : input.ConsumeRandomLengthString(12)) {
            if (c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}') {
                rtf += c;
                line += c;
            }
        }
        break;
    }
    case 1: { // \'XX
        const auto [byte, code] = cyrillicLetter(input);
        static constexpr char kHex[] = "0123456789abcdef";
        const auto value = static_cast<unsigned char>(byte);
        rtf += std::string("\\'") + kHex[value >> 4] + kHex[value & 15];
        line += byte;
        break;
    }
    case 2: { // \uN with as many fallback characters as \ucN says, in a group
        const auto [byte, code] = cyrillicLetter(input);
        const int skip = input.ConsumeIntegralInRange(0, 2);
        rtf += "{\\uc" + std::to_string(skip) + "\\u" + std::to_string(code) +
               std::string(static_cast<std::size_t>(skip), '?') + "}";
        line += byte;
        break;
    }
    case 3: { // an escaped symbol
        const char symbol = "\\{}"[input.ConsumeIntegralInRange(0, 2)];
        rtf += std::string("\\") + symbol;
        line += symbol;
        break;
    }
    case 4: // a picture whose binary data holds braces and backslashes
        rtf += "{\\pict\\wmetafile8\\bin6 {\\}\\{}}";
        break;
    case 5: // raw line breaks are no text
        rtf += "\r\n";
        break;
    case 6: { // text in a formatting group
        rtf += "{\\b ";
        addPiece(input, rtf, line);
        rtf += "}";
        break;
    }
    default:
        rtf += kNoText[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kNoText) - 1)];
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::string rtf = kHeaders[input.ConsumeIntegralInRange<std::size_t>(0, 2)];
    const int matter = input.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < matter; ++i) {
        rtf +=
            kFrontMatter[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kFrontMatter) - 1)];
    }
    rtf += "\\pard ";
    std::vector<std::string> lines;
    const int paragraphs = input.ConsumeIntegralInRange(1, 12);
    for (int p = 0; p < paragraphs; ++p) {
        std::string line;
        const int pieces = input.ConsumeIntegralInRange(0, 10);
        for (int i = 0; i < pieces; ++i) {
            addPiece(input, rtf, line);
        }
        rtf += input.ConsumeBool() ? "\\par " : "\\line ";
        lines.push_back(line);
    }
    rtf += "}";

    const auto read = besedka::readRtf(rtf);
    check(read.has_value() && *read == lines);
    check(besedka::parseKnowledgeFile(rtf) == lines);
    const auto shared = std::make_shared<const std::string>(rtf);
    check(besedka::knowledgeFileLines(shared).toStrings() == lines);
    check(besedka::readRtf(besedka::writeRtf(lines)) == lines);
    return 0;
}
