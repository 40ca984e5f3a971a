#include "platform/savedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QRegularExpression>

namespace {
std::function<QString(const SaveRequest&)>& responder() {
  static std::function<QString(const SaveRequest&)> r;
  return r;
}
QList<SaveRequest>& recorded() {
  static QList<SaveRequest> list;
  return list;
}

// Tells a file's type and icon by its name alone. Qt's own provider reads
// each listed file to guess its type, and a store's file opened and closed
// by this process drops every lock the process holds on it: the next
// program to close the store then takes it for the last user and removes
// the write-ahead log from under the running desk.
class NameOnlyIconProvider : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override {
    if (!info.isFile()) return QFileIconProvider::icon(info.isDir() ? Folder : File);
    const QMimeType mime = MimeByName(info);
    return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), icon(File)));
  }
  QString type(const QFileInfo& info) const override {
    // Only a plain file's type is guessed from its contents.
    if (!info.isFile()) return QFileIconProvider::type(info);
    const QMimeType mime = MimeByName(info);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
  }

 private:
  static QMimeType MimeByName(const QFileInfo& info) {
    return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
  }
};

// "*.xlsx" in "Excel 工作簿 (*.xlsx)" gives "xlsx".
QString FilterSuffix(const QString& filter) {
  const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
  return m.hasMatch() ? m.captured(1) : QString();
}
}  // namespace

QString AskSaveFileName(QWidget* parent, const SaveRequest& request) {
  QString chosen;
  if (responder()) {
    recorded().append(request);
    chosen = responder()(request);
  } else {
    // Qt's own dialog, so that it speaks the program's language and stands
    // as a modal window of the program.
    NameOnlyIconProvider icons;
    QFileDialog dialog(parent, request.caption, QDir(request.folder).filePath(request.fileName), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&icons);
    dialog.setDefaultSuffix(FilterSuffix(request.filter));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) chosen = dialog.selectedFiles().first();
  }
  if (chosen.isEmpty()) return chosen;
  const QString suffix = FilterSuffix(request.filter);
  if (!suffix.isEmpty() && !chosen.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
    chosen += QLatin1Char('.') + suffix;
  return chosen;
}

namespace SaveDialog {
void InstallResponder(std::function<QString(const SaveRequest&)> r) {
  responder() = std::move(r);
  recorded().clear();
}
void RemoveResponder() { responder() = nullptr; }
const QList<SaveRequest>& Recorded() { return recorded(); }
}  // namespace SaveDialog
