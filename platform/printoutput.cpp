// Where a drawn document goes: the default printer or a PDF file in the
// print folder, or the recording seam of the window tests.
#include "platform/printcanvas.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QMutex>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <cstdio>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/datadir.h"
#include "platform/pdfnotice.h"

namespace {
// The page as a printer gives it: the printable area at the printer's
// resolution. Texts are placed by their top, Qt draws at the baseline.
class PainterCanvas : public Canvas {
 public:
  PainterCanvas(QPrinter& printer, QPainter& painter) : printer_(printer), painter_(painter) {
    // The thinnest line a reader still sees on paper.
    QPen pen(Qt::black);
    pen.setWidth(std::max(1, printer.logicalDpiX() / 300));
    painter_.setPen(pen);
  }
  int Dpi() const override { return printer_.logicalDpiX(); }
  QSize PageSize() const override { return printer_.pageRect(QPrinter::DevicePixel).size().toSize(); }
  void SetFont(const QString& name, int pointSize) override {
    QFont font(PrintFace(name));
    font.setPointSize(pointSize);
    painter_.setFont(font);
  }
  void TextOut(int x, int y, const QString& text) override {
    painter_.drawText(x, y + painter_.fontMetrics().ascent(), text);
  }
  void Line(int x1, int y1, int x2, int y2) override { painter_.drawLine(x1, y1, x2, y2); }
  void NewPage() override {
    if (!printer_.newPage()) throw PrintError(QStringLiteral("对不起，打印机无法换页，打印已取消"));
  }

 private:
  QPrinter& printer_;
  QPainter& painter_;
};

QString FileTitle(const QString& title) {
  QString name = title.trimmed();
  for (QChar& c : name)
    if (c.isSpace() || QStringLiteral("/\\:*?\"<>|").contains(c) || c.category() == QChar::Other_Control)
      c = QLatin1Char('_');
  return name.isEmpty() ? QStringLiteral("打印") : name;
}

// Takes a name not yet taken in the folder, from the title and the moment:
// the file and its ".part" beside it are created here, each only if no one
// else has created it, so two desks printing the same title in the same
// second each get their own. Empty when the folder refuses new files.
QString ReservePdfPath(const QString& folder, const QString& title) {
  const QString stem = QDir(folder).filePath(FileTitle(title) + Clock::now().toString(QStringLiteral("-yyyyMMdd-hhmmss")));
  for (int n = 1; n < 10000; ++n) {
    const QString path = n == 1 ? stem + QStringLiteral(".pdf") : stem + QStringLiteral("-%1.pdf").arg(n);
    QFile reserved(path);
    if (!reserved.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      if (reserved.exists()) continue;
      return QString();
    }
    reserved.close();
    QFile part(path + QStringLiteral(".part"));
    if (part.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return path;
    QFile::remove(path);
  }
  return QString();
}

// The PDF writer reports no failed write: a file cut short by a full disk
// comes back as done. A whole file reaches the disk (flushed) and ends
// with its trailer.
bool WholePdfOnDisk(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite)) return false;
  if (::fsync(file.handle()) != 0) return false;
  const qint64 size = file.size();
  if (size < 16 || !file.seek(std::max<qint64>(0, size - 64))) return false;
  return file.readAll().trimmed().endsWith("%%EOF");
}

struct Seam {
  bool recording = false;
  int dpi = 100;
  QSize pageSize;
  QString failNext;
  QList<PrintOutput::RecordedJob> jobs;
};

Seam& seam() {
  static Seam s;
  return s;
}

PrintResult Failed(const QString& error, const QString& partFile) {
  if (!partFile.isEmpty()) {
    QFile::remove(partFile);
    // The name the part was reserved under goes too.
    if (partFile.endsWith(QStringLiteral(".part"))) QFile::remove(partFile.chopped(5));
  }
  return {FailureText(error), QString()};
}

// Desks may print from threads of their own.
QMutex pdfListenerLock;
std::function<void(const QString&)>& pdfListener() {
  static std::function<void(const QString&)> listener;
  return listener;
}
}  // namespace
QString PrintFolder() {
  const QString data = DataDir();
  QString folder = qEnvironmentVariable("BRIMWICK_PRINT_DIR").trimmed();
  if (folder.isEmpty()) {
    const QSettings settings(data + QStringLiteral("brimwick.ini"), QSettings::IniFormat);
    folder = settings.value(QStringLiteral("print/folder")).toString().trimmed();
  }
  if (folder.isEmpty()) {
    if (!QPrinterInfo::defaultPrinter().isNull()) return QString();
    folder = QStringLiteral("prints");
  }
  return QDir::cleanPath(QDir(data).absoluteFilePath(folder));
}

PrintResult PrintReport(const QString& title, const DrawDocument& draw) {
  Seam& s = seam();
  if (!s.failNext.isEmpty()) return Failed(std::exchange(s.failNext, QString()), QString());
  if (s.recording) {
    RecordingCanvas canvas(s.dpi, s.pageSize);
    if (const QString error = DrawOn(canvas, draw); !error.isEmpty()) return Failed(error, QString());
    s.jobs.append({title, canvas});
    return {};
  }

  const QString folder = PrintFolder();
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(title);
  QString pdf;
  QString part;
  if (folder.isEmpty()) {
    printer.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
  } else {
    if (!QDir().mkpath(folder))
      return Failed(QStringLiteral("对不起，无法建立打印文件夹“%1”").arg(folder), QString());
    pdf = ReservePdfPath(folder, title);
    if (pdf.isEmpty()) return Failed(QStringLiteral("对不起，无法写入打印文件夹“%1”").arg(folder), QString());
    part = pdf + QStringLiteral(".part");
    printer.setOutputFileName(part);
    printer.setOutputFormat(QPrinter::PdfFormat);
    // Documents rule up to 8 in from the printable left edge: on A4 that
    // leaves margins of 3 mm.
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(3, 3, 3, 3),
                                      QPageLayout::Millimeter));
  }
  if (!printer.isValid())
    return Failed(QStringLiteral("对不起，打印机“%1”无法使用").arg(printer.printerName()), part);

  // The whole document is drawn before the printer sees a page, so an error
  // in it prints nothing.
  RecordingCanvas document(printer.logicalDpiX(), printer.pageRect(QPrinter::DevicePixel).size().toSize());
  if (const QString error = DrawOn(document, draw); !error.isEmpty()) return Failed(error, part);

  const QString target = pdf.isEmpty() ? printer.printerName() : pdf;
  QPainter painter;
  if (!painter.begin(&printer)) return Failed(QStringLiteral("对不起，无法打开“%1”打印").arg(target), part);
  try {
    PainterCanvas canvas(printer, painter);
    document.Replay(canvas);
  } catch (const PrintError& e) {
    printer.abort();
    painter.end();
    return Failed(e.text(), part);
  }
  if (!painter.end()) return Failed(QStringLiteral("对不起，“%1”打印未完成").arg(target), part);
  // The part replaces the empty file that holds its name, in one step.
  if (!pdf.isEmpty() &&
      (!WholePdfOnDisk(part) || std::rename(QFile::encodeName(part).constData(), QFile::encodeName(pdf).constData()) != 0))
    return Failed(QStringLiteral("对不起，无法写入打印文件“%1”").arg(pdf), part);
  if (!pdf.isEmpty()) {
    const QMutexLocker locked(&pdfListenerLock);
    if (pdfListener()) pdfListener()(pdf);
  }
  return {QString(), pdf};
}

void OnPdfWritten(std::function<void(const QString&)> listener) {
  const QMutexLocker locked(&pdfListenerLock);
  pdfListener() = std::move(listener);
}

namespace PrintOutput {
void RecordInstead(int dpi, QSize pageSize) {
  seam().recording = true;
  seam().dpi = dpi;
  seam().pageSize = pageSize;
}
void FailNext(const QString& error) { seam().failNext = error; }
void PrintNormally() {
  seam().recording = false;
  seam().failNext.clear();
}
const QList<RecordedJob>& RecordedJobs() { return seam().jobs; }
void ClearRecordedJobs() { seam().jobs.clear(); }
}  // namespace PrintOutput
