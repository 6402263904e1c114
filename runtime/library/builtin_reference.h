// The reference of every built-in class, global function and namespace member
// a script can name, made from the built-in table and the namespace tables
// with a hand-written description for each, so the reference cannot drift.
#pragma once

#include <string>
#include <vector>

namespace kv {

struct BuiltinReference {
  std::string markdown;
  std::vector<std::string> undescribed;  // names in the tables without a description
  std::vector<std::string> unknown;      // descriptions naming nothing in the tables
};

// Needs a bootstrapped object system. `descriptions` holds lines "name: text"
// (namespace members as "Math.abs: text"); blank lines and lines starting
// with '#' are skipped.
BuiltinReference makeBuiltinReference(const std::string& descriptions);

}  // namespace kv
