// Files that no reader may take, made for one file kind: a reader given any
// of them must say what is wrong and keep what it held before.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace helmax::test {

struct THostileFile {
  std::string Kind;  // what is wrong with it, for the test's messages
  std::string Path;
};

// In dir, for files of the extension (".con"), built from valid, a good file
// of the kind, and limit, its reader's cap: an empty file, random bytes,
// valid in UTF-16 (with its byte-order mark), valid behind bytes that are
// neither UTF-8 nor Windows-1252 text, a device, a FIFO without a writer, a
// folder, a file one byte over the cap, and valid cut in half with a zeroed
// tail, as a crash during a write can leave it.
inline std::vector<THostileFile> MakeHostileFiles(const TTempFolder& dir, const std::string& extension,
                                                  const std::string& valid, std::size_t limit) {
  std::vector<THostileFile> files;
  auto file = [&](const std::string& kind, const std::string& bytes) {
    files.push_back({kind, dir.File(kind + extension)});
    WriteBytes(files.back().Path, bytes);
  };
  file("empty", "");
  std::mt19937 random(7);
  std::string binary;
  for (int i = 0; i < 4096; ++i)
    binary.push_back(static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random)));
  file("binary", binary);
  std::string utf16 = "\xFF\xFE";
  for (char c : valid) utf16 += std::string{c, '\0'};
  file("utf16", utf16);
  file("bad-utf8", "\x81\x8D\x8F\xC3" + valid);  // undefined in Windows-1252 too
  files.push_back({"device", "/dev/zero"});
  files.push_back({"fifo", dir.File("fifo" + extension)});
  ::mkfifo(files.back().Path.c_str(), 0600);
  files.push_back({"folder", dir.File("folder" + extension)});
  std::filesystem::create_directory(files.back().Path);
  file("over-size", valid + std::string(limit + 1 - valid.size(), '\n'));
  file("truncated", valid.substr(0, valid.size() / 2) + std::string(4096, '\0'));
  return files;
}

}  // namespace helmax::test
