// A job file given as text, split into sections and lines the way the
// profile routines hand them over.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/saved_job.h"

namespace mb::testing {

class TextJobSource : public SavedJobSource {
public:
    explicit TextJobSource(const std::string& text) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::size_t open = line.find_first_not_of(" \t");
            if (open != std::string::npos && line[open] == '[') {
                const std::size_t close = line.find(']', open);
                sections_.emplace_back(line.substr(open + 1, close - open - 1), std::vector<std::string>{});
            } else if (!sections_.empty()) {
                sections_.back().second.push_back(line);
            }
        }
    }

    std::vector<std::string> SectionNames() override {
        std::vector<std::string> names;
        for (const auto& s : sections_) names.push_back(s.first);
        return names;
    }
    // The first section of the name, matched exactly (the tests spell it
    // as the names list gives it).
    std::vector<std::string> SectionLines(const std::string& section) override {
        for (const auto& s : sections_)
            if (s.first == section) return s.second;
        return {};
    }

private:
    std::vector<std::pair<std::string, std::vector<std::string>>> sections_;
};

}  // namespace mb::testing
