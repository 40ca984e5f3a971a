#pragma once
// The dialog that asks where to save a file. Tests install a responder
// that records each request and answers it with a path (or Cancel) without
// showing anything, as they answer message boxes.
#include <QList>
#include <QString>
#include <functional>

class QWidget;

struct SaveRequest {
  QString caption;
  QString folder;    // where the dialog opens
  QString fileName;  // the name it proposes
  QString filter;    // such as "Excel 工作簿 (*.xlsx)"
};

// The path chosen, or empty when the user cancelled. A name typed without
// the filter's suffix gets it.
QString AskSaveFileName(QWidget* parent, const SaveRequest& request);

namespace SaveDialog {
// Every later request is recorded and answered by responder: a path, or
// empty for Cancel.
void InstallResponder(std::function<QString(const SaveRequest&)> responder);
void RemoveResponder();
const QList<SaveRequest>& Recorded();
}  // namespace SaveDialog
