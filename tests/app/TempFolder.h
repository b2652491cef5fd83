// A fresh folder under the system's temporary folder, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace helmax::test {

struct TTempFolder {
  std::filesystem::path Path;
  TTempFolder() {
    std::random_device rd;
    Path = std::filesystem::temp_directory_path() / ("helmax-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(Path);
  }
  ~TTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
  std::string File(const std::string& name) const { return (Path / name).string(); }
  std::string Folder() const { return Path.string() + "/"; }
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

}  // namespace helmax::test
