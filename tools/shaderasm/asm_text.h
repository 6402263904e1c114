// Text helpers both assemblers share: trimming and splitting an operand list.
#pragma once

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace halvorine::shaderasm {

inline std::string trimmed(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return std::string(s.substr(a, b - a));
}

// Splits at commas outside brackets, parentheses and braces; empty trailing parts go.
inline std::vector<std::string> splitTop(const std::string& s) {
  std::vector<std::string> out;
  std::string cur;
  int depth = 0;
  for (char c : s) {
    if (c == '[' || c == '(' || c == '{') ++depth;
    if (c == ']' || c == ')' || c == '}') --depth;
    if (c == ',' && depth == 0) {
      out.push_back(trimmed(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!trimmed(cur).empty()) out.push_back(trimmed(cur));
  return out;
}

}  // namespace halvorine::shaderasm
