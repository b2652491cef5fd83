// The program's file dialogs: Qt's own dialog, started in a folder on a real
// file system and never reading a file's contents to tell its type (in
// /proc, say, a read can wait for ever on the window system's thread).
#pragma once

#include <QFileDialog>
#include <QString>
#include <string>

namespace helmax {

// True when the folder (or the folder of the file) lies on a file system of
// the kernel's own (/proc, /sys, /dev and the like) rather than on a disk.
bool IsPseudoFileSystem(const QString& path);

// Where a dialog starts: wanted (a folder, or a file whose folder is meant)
// when its folder exists on a real file system, else the documents folder.
QString DialogStartFolder(const QString& wanted);

// The folder a file lies in, for a dialog to start in; empty (the documents
// folder) when there is no file yet.
QString FolderOf(const std::string& file);

class TFileDialog : public QFileDialog {
 public:
  // start: the folder (or a file in it, preselected) the kind of file was
  // last read from or written to; empty for the documents folder.
  TFileDialog(QWidget* owner, const QString& caption, const QString& start, const QString& filter);

  // An existing file to open, or empty when the user cancelled.
  static QString OpenFileName(QWidget* owner, const QString& caption, const QString& start, const QString& filter);

  // A file to write, with suffix added when the user typed none; the dialog
  // asks before it lets the user pick a file that exists. Empty when the
  // user cancelled.
  static QString SaveFileName(QWidget* owner, const QString& caption, const QString& start, const QString& filter,
                              const QString& suffix = {});
};

}  // namespace helmax
