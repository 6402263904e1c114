// Writes the built-in reference: builtin_reference <descriptions.txt> <out.md>.
// Names without a description are listed on standard error; the file is
// written either way, and the library's reference test fails on them.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "runtime/library/builtin_reference.h"
#include "runtime/library/library_hooks.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/heap.h"
#include "runtime/vm/runtime_log.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: builtin_reference <builtin_descriptions.txt> <out.md>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << argv[1] << "\n";
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  // The start-up's log lines would go to standard output.
  std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
  (void)quiet;
  kv::initGcHeap();
  kv::installRuntimeLibrary();
  kv::bootstrapObjectSystem();
  kv::BuiltinReference r = kv::makeBuiltinReference(text.str());
  for (const std::string& n : r.undescribed) std::cerr << "no description: " << n << "\n";
  for (const std::string& n : r.unknown) std::cerr << "description of nothing: " << n << "\n";
  for (const std::string& n : r.mismatched) std::cerr << "argument count: " << n << "\n";
  std::ofstream out(argv[2], std::ios::binary);
  out << r.markdown;
  kv::initGcHeap();
  return out ? 0 : 1;
}
