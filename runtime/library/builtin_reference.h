// The reference of every built-in class, global function and namespace member
// a script can name, made from the built-in table, the namespace tables, the
// class prototypes and the key-name table, with hand-written descriptions read
// from runtime/library/builtin_descriptions.txt, so the reference cannot drift.
#pragma once

#include <string>
#include <vector>

namespace kv {

struct BuiltinReference {
  std::string markdown;
  std::vector<std::string> undescribed;  // names in the tables without a description
  std::vector<std::string> unknown;      // descriptions naming nothing in the tables
  // "name: documented n, declared m" for entries whose documented arguments
  // disagree with the count the table declares.
  std::vector<std::string> mismatched;
};

// Needs a bootstrapped object system. `descriptions` holds blocks, each
// starting with a line "== name" (a row of the built-in table, a namespace
// member as "Math.abs", or "# Title" for a section of plain text printed near
// the end). Within a block:
//   arg NAME: text        an argument the table declares, in order
//   arg+ NAME: text       an argument read beyond the declared count
//   result: text          what a function answers
//   member NAME: rw|ro text   a member of the objects, writable or not
//   method NAME(a, b) -> result: text   a method of the objects; "{n}"
//                         after the brackets says the table declares n
//                         parameters, and "(...)" any number
//   any other line        the purpose (in a "# Title" block: markdown)
// Blank lines and lines starting with "#" outside a heading are skipped.
BuiltinReference makeBuiltinReference(const std::string& descriptions);

}  // namespace kv
