// The runner's object-file modes: a case compiled, written and run back.
#include "tests/scripts/runner/object_modes.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>

#include "runtime/compiler/compile_driver.h"
#include "runtime/compiler/compile_scope.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/runtime_log.h"
#include "tests/runtime/compiler/objfile_listing.h"

namespace kv::test {
namespace {

constexpr const char* kListing = "main.listing.txt";

}  // namespace

void writeModuleObjects(const std::string& caseFolder) {
  std::ifstream list(caseFolder + "/objects.txt");
  for (std::string module; std::getline(list, module);) {
    if (module.empty()) continue;
    std::string path = caseFolder + "/" + module;
    try {
      resetCompilerState();
      compileSourceFile(path.c_str(), false);
      const CompileResults& r = compileResults();
      if (r.program) writeObjFile(LoadedProgram{&r.program->body, r.builtinCount, r.globalCount}, path.c_str());
    } catch (const CompileError& e) {
      logCompileError(e);
    } catch (const ObjfileError&) {
      // Logged by the writer.
    }
  }
}

void writeProgramObject(const LoadedProgram& program, const std::string& mainPath) {
  logSystem("writing OBJ-file.");
  writeObjFile(program, mainPath.c_str());
  std::ofstream out(kListing);
  for (const std::string& line : kvtest::carriedListing(*program.main->code)) out << line << "\n";
}

std::optional<LoadedProgram> readProgramObject() {
  std::optional<LoadedProgram> p = readObjFile("main.obj", true);
  if (!p) return p;
  std::ifstream in(kListing);
  std::vector<std::string> written;
  for (std::string l; std::getline(in, l);) written.push_back(l);
  std::vector<std::string> loaded = kvtest::carriedListing(*p->main->code);
  if (loaded != written) {
    std::cerr << "the program read back lists differently from the one written\n";
    for (size_t i = 0; i < std::max(loaded.size(), written.size()); ++i)
      std::cerr << (i < written.size() ? written[i] : "-") << " | " << (i < loaded.size() ? loaded[i] : "-") << "\n";
    return std::nullopt;
  }
  return p;
}

std::string withoutPositions(const std::string& line) {
  static const std::regex position("F:[0-9]+ L:[0-9]+");
  return std::regex_replace(line, position, "F:0 L:0");
}

std::vector<std::string> expectedFromObject(const std::vector<std::string>& expected) {
  std::vector<std::string> out;
  for (const std::string& line : expected)
    if (line.find("(Wc") == std::string::npos && line.find("(Ec") == std::string::npos)
      out.push_back(withoutPositions(line));
  return out;
}

}  // namespace kv::test
