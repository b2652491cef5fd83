// A fresh folder under the system's temporary folder, removed with its
// content afterwards (even when a test made it read-only), and small file
// helpers for tests.
#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace helmax::test {

class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "helmax-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    Path = pattern;
  }
  ~TTempFolder() {
    std::error_code ec;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(Path, ec);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  std::string File(const std::string& name) const { return Path + "/" + name; }
  std::string Folder() const { return Path + "/"; }  // with its separator
  bool IsEmpty() const { return std::filesystem::is_empty(Path); }
  std::vector<std::string> Names() const { return NamesIn(Path); }
  static std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    return names;
  }

  std::string Path;  // no trailing separator
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

// Files of this process may not grow beyond a few bytes while it lives: a
// write past the limit fails with EFBIG, as on a full disk, for root too.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Old_);
    OldHandler_ = ::signal(SIGXFSZ, SIG_IGN);  // fail the write, not the process
    rlimit limit = Old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Old_);
    ::signal(SIGXFSZ, OldHandler_);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit Old_{};
  sighandler_t OldHandler_;
};

// The exit code a check run by RunAsOrdinaryUser gives when its child could
// not become an ordinary user.
constexpr int CouldNotBecomeNobody = 100;

// Runs a check the way an ordinary user meets it: in a child process that,
// when this one is root, first becomes nobody (permissions do not bind root).
// The check returns 0 when it holds, else a small number naming what failed;
// the result is that number, or -1 when the child did not end normally.
template <class Check>
int RunAsOrdinaryUser(Check check) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(CouldNotBecomeNobody);
    ::_exit(check());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace helmax::test
