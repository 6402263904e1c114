// Test support: a program as text with exactly what an object file carries,
// member names spelled out, so a program compiled in one process and one read
// back in another can be compared line by line.
#pragma once

#include <string>
#include <vector>

#include "runtime/vm/code.h"

namespace kvtest {

std::string carriedRecord(const kv::CodeNode* n);
// One line per record; a nested function follows its closure record, indented.
std::vector<std::string> carriedListing(const kv::CodeVector& code);

}  // namespace kvtest
