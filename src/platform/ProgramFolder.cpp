// The program's folder on a POSIX system (Linux: /proc/self/exe).
#include "ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace helmax {

namespace {

// The name used for the user data folder and sibling files when the
// executable's path cannot be read.
constexpr std::string_view kFallbackName = "helmax";

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The folder part of a path, ending in '/'; empty when there is none.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExecutableFileName() {
  const std::string exe = ExecutablePath();
  const std::size_t slash = exe.rfind('/');
  const std::string name = slash == std::string::npos ? exe : exe.substr(slash + 1);
  return name.empty() ? std::string(kFallbackName) : name;
}

// $HOME, else the home folder in the password database, else the temporary
// folder so that there is always somewhere to write.
std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] != '\0')
    return found->pw_dir;
  std::error_code ec;
  const auto temp = std::filesystem::temp_directory_path(ec);
  return ec ? std::string("/tmp") : temp.string();
}

}  // namespace

std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return {};
    // readlink truncates silently; a result that fills the buffer may be cut.
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      return path;
    }
    if (path.size() >= 65536) return {};
    path.resize(path.size() * 2);
  }
}

std::string UserDataFolder(std::string_view appName) {
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') base = xdg;
  else base = WithSlash(HomeFolder()) + ".local/share";
  return WithSlash(WithSlash(base) + std::string(appName));
}

bool FolderIsWritable(const std::string& folder) {
  if (folder.empty()) return false;
  std::string probe = WithSlash(folder) + ".write-probe-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

std::string ChooseProgramFolder(const std::string& exeFolder, const std::string& userDataFolder) {
  if (FolderIsWritable(exeFolder)) return WithSlash(exeFolder);
  // A folder that cannot be created shows up later, as an error naming the
  // file that could not be written there.
  std::error_code ec;
  std::filesystem::create_directories(userDataFolder, ec);
  return WithSlash(userDataFolder);
}

bool IsInstalledProgramFolder(const std::string& exeFolder) {
  if (exeFolder.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(WithSlash(exeFolder) + "../share/doc/helmax/copyright", ec);
}

namespace {

// The executable's folder when the program may keep files there, else empty.
std::string OwnExecutableFolder() {
  const std::string folder = FolderOf(ExecutablePath());
  return IsInstalledProgramFolder(folder) ? std::string() : folder;
}

}  // namespace

std::string ProgramFolder() { return ChooseProgramFolder(OwnExecutableFolder(), UserDataFolder(ExecutableFileName())); }

std::string ProgramBaseName() { return std::filesystem::path(ExecutableFileName()).stem().string(); }

std::string ProgramSiblingFile(std::string_view extension) {
  return ProgramFolder() + ProgramBaseName() + std::string(extension);
}

std::string FindSiblingFile(const std::string& exeFolder, const std::string& userDataFolder,
                            const std::string& fileName) {
  for (const std::string& folder : {exeFolder, userDataFolder}) {
    if (folder.empty()) continue;
    const std::string path = WithSlash(folder) + fileName;
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  return {};
}

std::string FindProgramSiblingFile(std::string_view extension) {
  return FindSiblingFile(OwnExecutableFolder(), UserDataFolder(ExecutableFileName()),
                         ProgramBaseName() + std::string(extension));
}

}  // namespace helmax
