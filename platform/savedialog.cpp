#include "platform/savedialog.h"

#include <QDir>
#include <QFileDialog>
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
    QFileDialog dialog(parent, request.caption, QDir(request.folder).filePath(request.fileName), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
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
