// Text files as the calculator keeps them: read in UTF-8 or Windows-1252 and
// handed on as UTF-8, written with CR LF line ends, replaced atomically so
// that a crash or a full disk never leaves a half-written file behind.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace helmax {

// File bytes to UTF-8 text. A UTF-8 byte-order mark is skipped. When the rest
// is valid UTF-8 it is kept as it is; otherwise the whole of it is decoded as
// Windows-1252, the five bytes that code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) becoming the C1 controls of the same number.
std::string DecodeText(std::string_view bytes);

// Splits text into lines: CR LF, LF and a lone CR each end a line. A line end
// at the very end does not add an empty last line, so "" gives no lines and
// "a\r\n\r\nb" gives {"a", "", "b"}.
std::vector<std::string> SplitLines(std::string_view text);

// The text with every CR and LF removed: pane lines joined without separator.
std::string RemoveLineEnds(std::string_view text);

// Removes the bytes up to the blank (control characters included) at both
// ends; bytes above 0x7F stay. The engine's Trim (TextUtil.h) does the same
// above this layer, which the engine does not link.
std::string TrimText(std::string_view s);

// True when path names an existing file that is not a folder.
bool FileExists(const std::string& path);

// The largest file each reader takes, in bytes (the README lists them).
inline constexpr std::size_t kMebibyte = std::size_t{1} << 20;
inline constexpr std::size_t kDocumentFileLimit = 8 * kMebibyte;       // documents (.txt)
inline constexpr std::size_t kSettingsFileLimit = 1 * kMebibyte;       // settings (.ini)
inline constexpr std::size_t kConstantsFileLimit = 4 * kMebibyte;      // constants libraries (.con)
inline constexpr std::size_t kConversionFileLimit = 1 * kMebibyte;     // conversion tables (.cnv)
inline constexpr std::size_t kLinearSystemFileLimit = 1 * kMebibyte;   // linear systems (.sle)
inline constexpr std::size_t kInterpolationFileLimit = 8 * kMebibyte;  // interpolation sheets (.dat)
inline constexpr std::size_t kPeriodicFileLimit = 8 * kMebibyte;       // element data (.pte)
inline constexpr std::size_t kRatesFileLimit = 512 * kMebibyte;        // exchange databases (.mdb, .fdb)

// Reads the whole file as bytes. Only a regular file is read: a folder, a
// device or a FIFO is refused at once, without waiting for a writer, with
// "Cannot read file \"path\". It is not a regular file"; a file of more than
// maxBytes with "... It is too large (more than 8 MB)". Running out of memory
// gives "... Out of memory". On failure returns false, leaves bytes
// unchanged and sets error to a message naming the file, e.g.
// "Cannot open file \"/x/y.txt\". No such file or directory".
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error, std::size_t maxBytes);

// ReadFileBytes, then decodes the bytes (DecodeText). UTF-16 text, known by
// its byte-order mark, is refused with "... It is UTF-16 text; save it as
// UTF-8". On failure text is left unchanged.
bool ReadTextFile(const std::string& path, std::string& text, std::string& error, std::size_t maxBytes);

// True when decoded text holds a control character other than tab, line
// feed and carriage return (U+0000 to U+001F, U+007F, U+0080 to U+009F),
// which no text file of the program holds: such a file is binary data.
bool HoldsControlCharacters(std::string_view text);

// ReadTextFile for files that must be plain text: one holding control
// characters is refused with "Cannot read file \"path\". It holds binary
// data, not text".
bool ReadPlainTextFile(const std::string& path, std::string& text, std::string& error, std::size_t maxBytes);

// Replaces the file with bytes, so that a crash or a full disk leaves either
// the old or the new content. A symbolic link is followed (through every
// link of a chain) and its target replaced, the link itself staying. The
// bytes go to a uniquely named temporary file beside the target
// (TARGET.helmax-tmp-XXXXXX, locked while it is written), which is flushed
// to disk, given the old file's mode, and its owner and group where the
// process may set them (a new file: 0600 when ownerOnly, else 0666 less the
// umask; ownerOnly always gives 0600), and renamed over the target. A file
// with more than one hard link is instead rewritten in place, so that every
// name keeps seeing the same file: the temporary copy is written and flushed
// first, so that a full disk or a size limit fails before the file is
// touched, and is removed afterwards. A file that nobody may write (no write
// bit, which root too respects here) or that this user may not write is
// refused with "Cannot write file \"path\". The file is read-only" or
// "... Permission denied", a target that is not a regular file with "... It
// is not a regular file". On any failure the temporary file is removed, the
// old file is left untouched and false is returned with a message such as
// "Cannot create file \"path\". Permission denied".
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string& error, bool ownerOnly = false);

// The ending WriteFileAtomic gives its temporary files before the six
// random characters.
inline constexpr std::string_view kTemporaryFileMark = ".helmax-tmp-";

// Removes the temporary files WriteFileAtomic left in folder when a save was
// interrupted (the program killed, the machine stopped): files named
// NAME.helmax-tmp-XXXXXX that belong to this user, were last changed before
// startedAt (the start of the running process) and that no save holds
// locked. Returns how many were removed; a folder that cannot be listed
// removes none.
int RemoveStaleTemporaryFiles(const std::string& folder, std::time_t startedAt);

// Removes the private folders that this program makes in parent and keeps
// locked (flock) while it uses them, named prefix + six random characters,
// when they belong to this user, were made before startedAt and no running
// program holds them; with everything in them. Returns how many went.
int RemoveStaleTemporaryFolders(const std::string& parent, std::string_view prefix, std::time_t startedAt);

// Makes a write beyond the process's file-size limit fail with EFBIG ("File
// too large") like any other failed write, instead of ending the process
// with SIGXFSZ. Programs call it once at start.
void IgnoreFileSizeSignal();

// Appends bytes to the file, creating it when missing. Errors as above.
bool AppendToFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace helmax
