#include "FileDialog.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <array>

namespace helmax {

namespace {

// Icons by kind and types by extension only: the stock provider asks the
// MIME database, which reads a file's first bytes.
class TPlainIconProvider : public QFileIconProvider {
 public:
  TPlainIconProvider()
      : File_(QFileIconProvider::icon(QAbstractFileIconProvider::File)),
        Folder_(QFileIconProvider::icon(QAbstractFileIconProvider::Folder)) {
    setOptions(QAbstractFileIconProvider::DontUseCustomDirectoryIcons);
  }
  using QFileIconProvider::icon;
  // Called on the dialog's gatherer thread too: copies of icons made here.
  QIcon icon(const QFileInfo& info) const override { return info.isDir() ? Folder_ : File_; }
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) return QStringLiteral("Folder");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("File") : suffix.toUpper() + QStringLiteral(" File");
  }

 private:
  QIcon File_;
  QIcon Folder_;
};

QAbstractFileIconProvider* PlainIconProvider() {
  // Made once and never changed; it outlives every dialog.
  static auto* const provider = new TPlainIconProvider;
  return provider;
}

QString DocumentsFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

}  // namespace

bool IsPseudoFileSystem(const QString& path) {
  static constexpr std::array<const char*, 22> kKernelFileSystems = {
      "proc",      "sysfs",     "devtmpfs", "devpts",     "debugfs",  "tracefs",        "securityfs", "cgroup",
      "cgroup2",   "pstore",    "bpf",      "configfs",   "efivarfs", "binfmt_misc",    "fusectl",    "mqueue",
      "hugetlbfs", "selinuxfs", "autofs",   "rpc_pipefs", "nsfs",     "fuse.gvfsd-fuse"};
  const QFileInfo info(path);
  const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
  const QStorageInfo storage(folder);
  if (!storage.isValid()) return false;
  const QByteArray type = storage.fileSystemType();
  return std::any_of(kKernelFileSystems.begin(), kKernelFileSystems.end(),
                     [&](const char* name) { return type == name; });
}

QString DialogStartFolder(const QString& wanted) {
  if (!wanted.isEmpty()) {
    const QFileInfo info(wanted);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    if (QFileInfo(folder).isDir() && !IsPseudoFileSystem(folder)) return folder;
  }
  return DocumentsFolder();
}

namespace {
// The start folder, with the file name of start when it names a file in it.
QString StartPath(const QString& start) {
  const QString folder = DialogStartFolder(start);
  const QFileInfo info(start);
  if (start.isEmpty() || info.isDir() || info.absolutePath() != folder) return folder;
  return QDir(folder).filePath(info.fileName());
}
}  // namespace

TFileDialog::TFileDialog(QWidget* owner, const QString& caption, const QString& start, const QString& filter)
    : QFileDialog(owner, caption, StartPath(start), filter) {
  setOption(QFileDialog::DontUseNativeDialog);
  setOption(QFileDialog::DontUseCustomDirectoryIcons);
  setIconProvider(PlainIconProvider());
}

QString TFileDialog::OpenFileName(QWidget* owner, const QString& caption, const QString& start, const QString& filter) {
  TFileDialog dialog(owner, caption, start, filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString TFileDialog::SaveFileName(QWidget* owner, const QString& caption, const QString& start, const QString& filter,
                                  const QString& suffix) {
  TFileDialog dialog(owner, caption, start, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString FolderOf(const std::string& file) {
  return file.empty() ? QString() : QFileInfo(QString::fromStdString(file)).absolutePath();
}

}  // namespace helmax
