#include "support/workbookfile.h"

#include <QProcess>
#include <QXmlStreamReader>

namespace {
QByteArray Unzip(const QString& path, const QString& member, QString* error) {
  QProcess unzip;
  unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, member});
  if (!unzip.waitForFinished(30000) || unzip.exitStatus() != QProcess::NormalExit || unzip.exitCode() != 0) {
    *error = QStringLiteral("unzip %1 %2: %3").arg(path, member, QString::fromLocal8Bit(unzip.readAllStandardError()));
    return {};
  }
  return unzip.readAllStandardOutput();
}

QString Attr(const QXmlStreamReader& xml, const char* name) {
  return xml.attributes().value(QLatin1String(name)).toString();
}

struct Style {
  int numFmt = 0;
  int font = 0;
  int border = 0;
  QString alignment;
};
struct Font {
  QString name;
  double size = 0;
};

const QHash<int, QString> kBuiltInFormats = {{0, QStringLiteral("General")}, {2, QStringLiteral("0.00")},
                                             {4, QStringLiteral("#,##0.00")}};
}  // namespace

bool WorkbookFile::Load(const QString& path) {
  cells_.clear();
  merges_.clear();
  widths_.clear();
  heights_.clear();
  error_.clear();
  const QByteArray sheetXml = Unzip(path, QStringLiteral("xl/worksheets/sheet1.xml"), &error_);
  if (!error_.isEmpty()) return false;
  const QByteArray stylesXml = Unzip(path, QStringLiteral("xl/styles.xml"), &error_);
  if (!error_.isEmpty()) return false;
  QString ignored;
  const QByteArray stringsXml = Unzip(path, QStringLiteral("xl/sharedStrings.xml"), &ignored);

  QStringList strings;
  for (QXmlStreamReader xml(stringsXml); !xml.atEnd();) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == QLatin1String("si")) strings << QString();
    if (xml.isStartElement() && xml.name() == QLatin1String("t")) strings.last() += xml.readElementText();
  }

  QHash<int, QString> formats = kBuiltInFormats;
  QList<Font> fonts;
  QList<bool> borders;
  QList<Style> styles;
  QString section;
  for (QXmlStreamReader xml(stylesXml); !xml.atEnd();) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    const auto name = xml.name();
    if (name == QLatin1String("fonts") || name == QLatin1String("borders") || name == QLatin1String("cellXfs") ||
        name == QLatin1String("cellStyleXfs"))
      section = name.toString();
    else if (name == QLatin1String("numFmt"))
      formats.insert(Attr(xml, "numFmtId").toInt(), Attr(xml, "formatCode"));
    else if (name == QLatin1String("font") && section == QLatin1String("fonts"))
      fonts << Font{};
    else if (name == QLatin1String("sz") && section == QLatin1String("fonts"))
      fonts.last().size = Attr(xml, "val").toDouble();
    else if (name == QLatin1String("name") && section == QLatin1String("fonts"))
      fonts.last().name = Attr(xml, "val");
    else if (name == QLatin1String("border") && section == QLatin1String("borders"))
      borders << true;
    else if (section == QLatin1String("borders") &&
             (name == QLatin1String("left") || name == QLatin1String("right") || name == QLatin1String("top") ||
              name == QLatin1String("bottom")))
      borders.last() = borders.last() && Attr(xml, "style") == QLatin1String("thin");
    else if (name == QLatin1String("xf") && section == QLatin1String("cellXfs"))
      styles << Style{Attr(xml, "numFmtId").toInt(), Attr(xml, "fontId").toInt(), Attr(xml, "borderId").toInt(), {}};
    else if (name == QLatin1String("alignment") && section == QLatin1String("cellXfs"))
      styles.last().alignment = Attr(xml, "horizontal");
  }

  QXmlStreamReader xml(sheetXml);
  QString reference;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    const auto name = xml.name();
    if (name == QLatin1String("col")) {
      for (int c = Attr(xml, "min").toInt(); c <= Attr(xml, "max").toInt(); ++c)
        widths_.insert(c, Attr(xml, "width").toDouble());
    } else if (name == QLatin1String("row")) {
      if (!Attr(xml, "ht").isEmpty()) heights_.insert(Attr(xml, "r").toInt(), Attr(xml, "ht").toDouble());
    } else if (name == QLatin1String("mergeCell")) {
      merges_ << Attr(xml, "ref");
    } else if (name == QLatin1String("c")) {
      reference = Attr(xml, "r");
      const QString type = Attr(xml, "t");
      const int s = Attr(xml, "s").toInt();
      WorkbookCell cell;
      if (s > 0 && s < styles.size()) {
        const Style& style = styles.at(s);
        cell.numberFormat = formats.value(style.numFmt);
        cell.fontName = fonts.value(style.font).name;
        cell.fontSize = fonts.value(style.font).size;
        cell.alignment = style.alignment;
        cell.bordered = style.border > 0 && borders.value(style.border);
      } else if (!fonts.isEmpty()) {
        cell.fontName = fonts.first().name;
        cell.fontSize = fonts.first().size;
      }
      cells_.insert(reference, cell);
      // The value follows as <v>; text is an index into the shared strings.
      while (!(xml.isEndElement() && xml.name() == QLatin1String("c")) && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("v")) {
          const QString v = xml.readElementText();
          cells_[reference].value = type == QLatin1String("s") ? QVariant(strings.value(v.toInt())) : QVariant(v.toDouble());
        }
      }
    }
  }
  if (xml.hasError()) {
    error_ = xml.errorString();
    return false;
  }
  return true;
}

WorkbookCell WorkbookFile::Cell(const QString& reference) const { return cells_.value(reference); }
