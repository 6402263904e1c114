// Fixtures for the file tests: a scratch folder, files in it, and paths in the media
// layer's form.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace filetest {

class TempFolder {
 public:
  TempFolder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvorine-file-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder()
  {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> noise(std::size_t size, unsigned seed)
{
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

// Compresses well: short runs of a few values.
inline std::vector<std::uint8_t> pattern(std::size_t size)
{
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>("halvorine"[i % 9] + i / 700);
  return bytes;
}

// A POSIX path as the media layer writes it: "C:" and backslashes.
inline std::u16string mediaPath(const std::string& posix)
{
  std::u16string out = u"C:";
  for (char c : posix) out += c == '/' ? u'\\' : static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

inline std::string narrow(const std::u16string& text)
{
  std::string out;
  for (char16_t c : text) out += static_cast<char>(c);
  return out;
}

}  // namespace filetest
