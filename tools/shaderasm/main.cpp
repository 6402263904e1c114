// Command-line face of the shader assembler: `halvorine_shaderasm in.asm out.bin` writes a
// stream, `halvorine_shaderasm -l in.bin` lists one, and `halvorine_shaderasm -d dir in.asm...`
// writes each input as dir/<name>.bin (the fuzz seeds).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/shaderasm/shader_asm.h"

namespace {

bool readFile(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  out = s.str();
  return true;
}

bool assembleFile(const std::string& in, const std::string& out) {
  std::string text, err;
  if (!readFile(in, text)) {
    std::cerr << in << ": cannot read\n";
    return false;
  }
  std::vector<uint32_t> words;
  if (!halvorine::shaderasm::assemble(text, words, err)) {
    std::cerr << in << ": " << err << "\n";
    return false;
  }
  std::ofstream f(out, std::ios::binary);
  f.write(reinterpret_cast<const char*>(words.data()), std::streamsize(words.size() * 4));
  if (!f) {
    std::cerr << out << ": cannot write\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "-l") {
    std::string bytes, text;
    if (!readFile(args[1], bytes) || bytes.size() % 4) {
      std::cerr << args[1] << ": not a stream of words\n";
      return 1;
    }
    std::vector<uint32_t> words(bytes.size() / 4);
    for (size_t k = 0; k < words.size(); ++k)
      words[k] = uint32_t(uint8_t(bytes[4 * k])) | uint32_t(uint8_t(bytes[4 * k + 1])) << 8 |
                 uint32_t(uint8_t(bytes[4 * k + 2])) << 16 | uint32_t(uint8_t(bytes[4 * k + 3])) << 24;
    if (!halvorine::shaderasm::list(words.data(), words.size(), text)) {
      std::cerr << args[1] << ": cannot list\n";
      return 1;
    }
    std::cout << text;
    return 0;
  }
  if (args.size() >= 2 && args[0] == "-d") {
    bool ok = true;
    for (size_t k = 2; k < args.size(); ++k) {
      std::string name = args[k].substr(args[k].find_last_of('/') + 1);
      name = name.substr(0, name.find_last_of('.'));
      ok = assembleFile(args[k], args[1] + "/" + name + ".bin") && ok;
    }
    return ok ? 0 : 1;
  }
  if (args.size() == 2) return assembleFile(args[0], args[1]) ? 0 : 1;
  std::cerr << "usage: halvorine_shaderasm in.asm out.bin | -l in.bin | -d dir in.asm...\n";
  return 2;
}
