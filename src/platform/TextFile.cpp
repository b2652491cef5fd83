// Text decoding, line handling and POSIX file input/output.
#include "TextFile.h"
#include "FixedTexts.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace helmax {

namespace {

// Unicode code points of the Windows-1252 bytes 0x80..0x9F; the rest of the
// code page equals Latin-1.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead == 0xE0) {
      length = 3, low = 0xA0;
    } else if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF) {
      length = 3;
    } else if (lead == 0xED) {
      length = 3, high = 0x9F;
    } else if (lead == 0xF0) {
      length = 4, low = 0x90;
    } else if (lead >= 0xF1 && lead <= 0xF3) {
      length = 4;
    } else if (lead == 0xF4) {
      length = 4, high = 0x8F;
    } else {
      return false;
    }
    if (n - i < length) return false;
    const auto second = static_cast<unsigned char>(s[i + 1]);
    if (second < low || second > high) return false;
    for (std::size_t k = 2; k < length; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    // Windows-1252 never needs more than three bytes.
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string DecodeCp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, (b >= 0x80 && b <= 0x9F) ? kCp1252High[b - 0x80] : char32_t{b});
  }
  return out;
}

// strerror_r comes in two flavours: the GNU one returns the text, the XSI one
// fills the buffer and returns a status. Overloading picks whichever is there.
[[maybe_unused]] const char* StrerrorText(const char* result, const char*) { return result; }
[[maybe_unused]] const char* StrerrorText(int result, const char* buffer) {
  return result == 0 ? buffer : "Unknown error";
}

std::string ErrnoText(int err) {
  char buffer[256] = {};
  return StrerrorText(strerror_r(err, buffer, sizeof buffer), buffer);
}

// Sets error to e.g. "Cannot open file \"path\". No such file or directory"
// and returns false, so that callers can write `return Fail(...)`.
bool Fail(std::string& error, const char* action, const std::string& path, int err) {
  error = std::string("Cannot ") + action + " file \"" + path + "\". " + ErrnoText(err);
  return false;
}

// Sets error to e.g. "Cannot read file \"path\". It is not a regular file"
// and returns false.
bool Refuse(std::string& error, const char* action, const std::string& path, std::string_view reason) {
  error = std::string("Cannot ") + action + " file \"" + path + "\". " + std::string(reason);
  return false;
}

std::string SizeText(std::size_t bytes) {
  if (bytes % kMebibyte == 0) return std::to_string(bytes / kMebibyte) + " MB";
  return std::to_string(bytes) + texts::kBytesSuffix;
}

// The folder part of a path with its final '/'; empty when there is none.
std::string FolderPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows symbolic links from path to the name they finally give, which
// need not exist yet (a dangling link names the file a save creates).
// Returns 0 or the errno of the failure.
int ResolveLinks(const std::string& path, std::string& resolved) {
  resolved = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(resolved.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
    std::string target(256, '\0');
    for (;;) {
      const ssize_t n = ::readlink(resolved.c_str(), target.data(), target.size());
      if (n < 0) return errno;
      if (static_cast<std::size_t>(n) < target.size()) {
        target.resize(static_cast<std::size_t>(n));
        break;
      }
      if (target.size() >= 65536) return ENAMETOOLONG;
      target.resize(target.size() * 2);
    }
    if (target.empty()) return ENOENT;
    resolved = target.front() == '/' ? target : FolderPart(resolved) + target;
  }
  return ELOOP;
}

// Writes all of bytes; returns 0 or the errno of the failure.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// The process umask. Linux shows it in /proc/self/status; elsewhere it can
// only be read by setting it, so it is set back at once.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) != 0) continue;
    char* end = nullptr;
    const unsigned long value = std::strtoul(line.c_str() + 6, &end, 8);
    if (end != line.c_str() + 6 && value <= 0777) return static_cast<mode_t>(value);
    break;
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

// Flushes the folder entry of a renamed file. A failure here does not undo
// the write, so it is not reported.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string DecodeText(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return DecodeCp1252(bytes);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.emplace_back(text.substr(start, i - start));
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string RemoveLineEnds(std::string_view text) {
  std::string out;
  if (text.empty()) return out;  // (an empty view may have no data at all)
  out.reserve(text.size());
  const char* p = text.data();
  const char* const end = p + text.size();
  if (std::memchr(p, '\r', text.size()) == nullptr) {
    // Only line feeds: whole lines at a time, found by the library's search.
    while (p < end) {
      const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      const char* lineEnd = found != nullptr ? static_cast<const char*>(found) : end;
      out.append(p, static_cast<std::size_t>(lineEnd - p));
      p = lineEnd == end ? end : lineEnd + 1;
    }
    return out;
  }
  // Whole stretches between line ends at a time.
  while (p < end) {
    const char* stretchEnd = p;
    while (stretchEnd < end && *stretchEnd != '\r' && *stretchEnd != '\n') ++stretchEnd;
    out.append(p, static_cast<std::size_t>(stretchEnd - p));
    p = stretchEnd == end ? end : stretchEnd + 1;
  }
  return out;
}

std::string TrimText(std::string_view s) {
  std::size_t begin = 0, end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 0x20) --end;
  return std::string(s.substr(begin, end - begin));
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error, std::size_t maxBytes) {
  // Not blocking, so that a FIFO without a writer is refused, not waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return Fail(error, "open", path, errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int err = errno;
    ::close(fd);
    return Fail(error, "read", path, err);
  }
  const std::string tooLarge = "It is too large (more than " + SizeText(maxBytes) + ")";
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return Refuse(error, "read", path, "It is not a regular file");
  }
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    ::close(fd);
    return Refuse(error, "read", path, tooLarge);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  try {
    std::string data;
    data.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        return Fail(error, "read", path, err);
      }
      // The file may have grown since it was measured.
      if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
        ::close(fd);
        return Refuse(error, "read", path, tooLarge);
      }
      data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    bytes = std::move(data);
  } catch (const std::bad_alloc&) {
    ::close(fd);
    return Refuse(error, "read", path, texts::kOutOfMemory);
  }
  error.clear();
  return true;
}

bool ReadTextFile(const std::string& path, std::string& text, std::string& error, std::size_t maxBytes) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes, error, maxBytes)) return false;
  const std::string_view start = std::string_view(bytes).substr(0, 2);
  if (start == "\xFF\xFE" || start == "\xFE\xFF")
    return Refuse(error, "read", path, "It is UTF-16 text; save it as UTF-8");
  try {
    text = DecodeText(bytes);
  } catch (const std::bad_alloc&) { return Refuse(error, "read", path, texts::kOutOfMemory); }
  error.clear();
  return true;
}

bool HoldsControlCharacters(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return true;
    // U+0080..U+009F are C2 80..C2 9F in UTF-8.
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
        static_cast<unsigned char>(text[i + 1]) >= 0x80)
      return true;
  }
  return false;
}

bool ReadPlainTextFile(const std::string& path, std::string& text, std::string& error, std::size_t maxBytes) {
  std::string read;
  if (!ReadTextFile(path, read, error, maxBytes)) return false;
  if (HoldsControlCharacters(read)) return Refuse(error, "read", path, "It holds binary data, not text");
  text = std::move(read);
  return true;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string& error, bool ownerOnly) {
  std::string target;
  if (const int err = ResolveLinks(path, target); err != 0) return Fail(error, "write", path, err);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISDIR(old.st_mode)) {
    // (A folder is left to the rename, which says "Is a directory".)
    if (!S_ISREG(old.st_mode)) return Refuse(error, "write", path, "It is not a regular file");
    // Root may write anything, so the write bits decide: a file nobody may
    // write is meant to stay as it is.
    if ((old.st_mode & 0222) == 0) return Refuse(error, "write", path, "The file is read-only");
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return Fail(error, "write", path, errno);
  }
  const bool inPlace = exists && S_ISREG(old.st_mode) && old.st_nlink > 1;

  std::string temp = target + std::string(kTemporaryFileMark) + "XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Fail(error, "create", path, errno);
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  // Held until the file is closed: a program starting meanwhile does not
  // take it for the remains of an interrupted save.
  ::flock(fd, LOCK_EX);

  int err = WriteAll(fd, bytes);
  if (err == 0 && !inPlace) {
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
      // Root keeps the owner; an ordinary user can at least keep a group
      // of their own. Neither failure stops the save.
      if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    // mkstemp creates the file as 0600; a replaced file keeps its mode, a
    // new shared one gets the mode a plain create would have given it.
    const mode_t mode = ownerOnly ? mode_t{0600}
                        : exists  ? static_cast<mode_t>(old.st_mode & 0777)
                                  : static_cast<mode_t>(0666 & ~CurrentUmask());
    if (::fchmod(fd, mode) != 0) err = errno;
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (err == 0 && inPlace) {
    // The whole text is on the disk beside the file, so the space it needs
    // is there; now the file itself, which all its names share.
    const int out = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (out < 0) {
      err = errno;
    } else {
      err = WriteAll(out, bytes);
      if (err == 0 && ::ftruncate(out, static_cast<off_t>(bytes.size())) != 0) err = errno;
      if (err == 0 && ::fsync(out) != 0) err = errno;
      if (::close(out) != 0 && err == 0) err = errno;
    }
  }
  // The data may only reach the disk at close (network file systems), so a
  // failed close is a failed write.
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && !inPlace && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0 || inPlace) ::unlink(temp.c_str());
  if (err != 0) return Fail(error, "write", path, err);
  SyncFolderOf(target);
  error.clear();
  return true;
}

int RemoveStaleTemporaryFiles(const std::string& folder, std::time_t startedAt) {
  const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return 0;
  DIR* dir = ::fdopendir(dirFd);
  if (dir == nullptr) {
    ::close(dirFd);
    return 0;
  }
  constexpr std::size_t kRandomPart = 6;  // mkstemp's XXXXXX
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    const std::size_t tail = kTemporaryFileMark.size() + kRandomPart;
    if (name.size() <= tail || name.substr(name.size() - tail, kTemporaryFileMark.size()) != kTemporaryFileMark)
      continue;
    struct stat info {};
    if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || info.st_mtime >= startedAt)
      continue;
    const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(dirFd, entry->d_name, 0) == 0) ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

int RemoveStaleTemporaryFolders(const std::string& parent, std::string_view prefix, std::time_t startedAt) {
  const int dirFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return 0;
  DIR* dir = ::fdopendir(dirFd);
  if (dir == nullptr) {
    ::close(dirFd);
    return 0;
  }
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
    struct stat info {};
    if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || info.st_mtime >= startedAt)
      continue;
    const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    // The lock stays taken while the folder goes, so that no program
    // starts using it meanwhile.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      std::error_code ec;
      if (std::filesystem::remove_all(std::filesystem::path(parent) / std::string(name), ec) > 0 && !ec) ++removed;
    }
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

bool AppendToFile(const std::string& path, std::string_view bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(error, "open", path, errno);
  int err = WriteAll(fd, bytes);
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) return Fail(error, "write", path, err);
  error.clear();
  return true;
}

}  // namespace helmax
