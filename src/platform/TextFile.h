// Text files as the calculator keeps them: read in UTF-8 or Windows-1252 and
// handed on as UTF-8, written with CR LF line ends, replaced atomically so
// that a crash or a full disk never leaves a half-written file behind.
#pragma once

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

// Removes the bytes up to the blank (control characters included) at both ends.
std::string TrimText(std::string_view s);

// True when path names an existing file that is not a folder.
bool FileExists(const std::string& path);

// Reads and decodes the whole file. On failure returns false, leaves text
// unchanged and sets error to a readable message naming the file, e.g.
// "Cannot open file \"/x/y.txt\". No such file or directory".
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);

// Replaces the file with bytes: they go to a uniquely named temporary file in
// the same folder, which is flushed to disk, given its mode (0600 when
// ownerOnly, else what a normal file create gives: 0666 less the umask) and
// renamed over path. On any failure the temporary file is removed, the old
// file is left untouched and false is returned with a message such as
// "Cannot create file \"path\". Permission denied".
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string& error, bool ownerOnly = false);

// Appends bytes to the file, creating it when missing. Errors as above.
bool AppendToFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace helmax
