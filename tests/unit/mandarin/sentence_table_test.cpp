// The hand-checked table of children's sentences (sentences.tsv): what the
// readings give must be what a teacher reads, sentence by sentence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "mandarin/readings.h"
#include "sentence_table.h"

namespace mandarin {
namespace {

using testing::loadSentenceTable;
using testing::Sentence;

std::vector<Sentence> loadTable(const char* name) {
    return loadSentenceTable(std::string(MANDARIN_SOURCE_DIR "/tests/unit/mandarin/") + name);
}

// The readings of a sentence in the table's notation: one syllable after
// another, English words in lower case, nothing for punctuation.
std::string readAloud(const std::string& utf8) {
    const std::u32string text = utf8ToUtf32(utf8);
    const TextReading reading = Readings::instance().read(text);
    std::string out;
    const auto append = [&out](std::string_view word) {
        if (!out.empty())
            out += ' ';
        out += word;
    };
    for (const Token& token : reading.tokens) {
        if (token.kind == TokenKind::Latin) {
            std::u32string letters(text.substr(token.begin, token.end - token.begin));
            for (char32_t& c : letters)
                c = asciiForm(c);
            std::string word = utf32ToUtf8(letters);
            std::transform(word.begin(), word.end(), word.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            append(word);
        }
        for (uint32_t k = 0; k < token.syllableCount; ++k)
            append(reading.syllables[token.firstSyllable + k]);
    }
    return out;
}

std::string normalised(const std::string& expected) {
    std::istringstream words(expected);
    std::string word, out;
    while (words >> word)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

// The share of sentences read entirely right, with a list of the others.
double readTable(const char* name, size_t minimumSentences, std::string& wrong) {
    const std::vector<Sentence> sentences = loadTable(name);
    EXPECT_GE(sentences.size(), minimumSentences) << name << " is missing or short";
    if (sentences.empty())
        return 0;
    size_t right = 0;
    for (const Sentence& s : sentences) {
        const std::string got = readAloud(s.text);
        if (got == normalised(s.expected)) {
            ++right;
        } else {
            wrong += "  line " + std::to_string(s.line) + ": " + s.text + "\n    expected " +
                     s.expected + "\n    read     " + got + "\n";
        }
    }
    const double share = 100.0 * right / sentences.size();
    std::printf("%s: %zu of %zu sentences read right (%.1f %%)\n", name, right, sentences.size(),
                share);
    if (!wrong.empty())
        std::printf("read differently:\n%s", wrong.c_str());
    return share;
}

TEST(SentenceTable, AtLeast97PercentOfSentencesAreReadAsATeacherReadsThem) {
    std::string wrong;
    const double share = readTable("sentences.tsv", 300, wrong);
    EXPECT_GE(share, 97.0) << "sentences read differently:\n" << wrong;
}

// The held-out table is never used to tune the readings, only to measure
// them; the floor catches a change that makes unseen text worse.
TEST(SentenceTable, HeldOutSentencesAreMostlyReadAsATeacherReadsThem) {
    std::string wrong;
    const double share = readTable("held-out.tsv", 200, wrong);
    EXPECT_GE(share, 80.0) << "sentences read differently:\n" << wrong;
}

}  // namespace
}  // namespace mandarin
