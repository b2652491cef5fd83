// Where the program keeps its own files (settings, history, log): next to the
// executable when that folder is writable, as for a copy unpacked into a
// user's folder, otherwise in the user's data folder.
#pragma once

#include <string>
#include <string_view>

namespace helmax {

// The resolved path of the running executable; empty when it cannot be read.
std::string ExecutablePath();

// The per-user data folder for the program: $XDG_DATA_HOME/<appName>/ when
// XDG_DATA_HOME is set to an absolute path, else $HOME/.local/share/<appName>/.
// Always ends in '/'.
std::string UserDataFolder(std::string_view appName);

// True when a new file can be created in folder (found by creating and
// removing a uniquely named file there).
bool FolderIsWritable(const std::string& folder);

// exeFolder when it is writable, otherwise userDataFolder, which is created
// when missing. The result ends in '/'.
std::string ChooseProgramFolder(const std::string& exeFolder, const std::string& userDataFolder);

// True when exeFolder is the bin folder of an installation (make install, the
// Debian package): <prefix>/share/doc/helmax/copyright lies beside it. An
// installed program keeps its files in the user data folder even when its
// folder is writable (as /usr/bin is for root); a build or an unpacked copy
// has no such file.
bool IsInstalledProgramFolder(const std::string& exeFolder);

// ChooseProgramFolder for the executable's folder and the user data folder
// named after the executable's file name; the user data folder for an
// installed program.
std::string ProgramFolder();

// The executable's file name without its extension (e.g. "helmax-calc").
std::string ProgramBaseName();

// ProgramFolder() + ProgramBaseName() + extension, the extension given with
// its dot (e.g. ".ini").
std::string ProgramSiblingFile(std::string_view extension);

// Finds a file of the program without writing anything (for readers such as
// the command line, which must not probe or create folders): exeFolder +
// fileName when that file exists, else userDataFolder + fileName when that
// one does, else empty.
std::string FindSiblingFile(const std::string& exeFolder, const std::string& userDataFolder,
                            const std::string& fileName);

// FindSiblingFile for the running program's two folders (only the user data
// folder for an installed program) and its own name with the extension
// (e.g. ".cnv").
std::string FindProgramSiblingFile(std::string_view extension);

}  // namespace helmax
