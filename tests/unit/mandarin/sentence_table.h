// Reading the hand-checked tables of children's sentences: "#" lines are
// comments, every other line is TEXT, a tab, and the expected reading.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace mandarin::testing {

struct Sentence {
    std::string text;
    std::string expected;
    int line = 0;  // in the file, from 1
};

inline std::vector<Sentence> loadSentenceTable(const std::string& path) {
    std::ifstream file(path);
    std::vector<Sentence> sentences;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        sentences.push_back({line.substr(0, tab), line.substr(tab + 1), number});
    }
    return sentences;
}

}  // namespace mandarin::testing
