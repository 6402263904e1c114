// Reading the media log file back in tests: each line as its indent depth and its text
// after the time stamp.
#pragma once
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace halvorine_test {

inline std::vector<std::pair<int, std::u16string>> logFileLines() {
  std::vector<std::pair<int, std::u16string>> lines;
  FILE* f = std::fopen("Log.txt", "rb");
  if (!f) return lines;
  std::u16string text;
  for (int lo, hi; (lo = std::fgetc(f)) != EOF && (hi = std::fgetc(f)) != EOF;)
    text += static_cast<char16_t>(lo | (hi << 8));
  std::fclose(f);
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    size_t colon = line.find(u':');
    size_t at = colon == std::u16string::npos ? 0 : colon + 1;
    int depth = 0;
    while (at < line.size() && line[at] == u'\t') ++depth, ++at;
    lines.emplace_back(depth, line.substr(at));
    start = end + 2;
  }
  return lines;
}

// The depth of the first line that holds the text, or -1.
inline int depthOf(const std::vector<std::pair<int, std::u16string>>& lines, const std::u16string& text) {
  for (const auto& [depth, line] : lines)
    if (line.find(text) != std::u16string::npos) return depth;
  return -1;
}

}  // namespace halvorine_test
