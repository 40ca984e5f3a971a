#include "platform/widgets.h"

#include <QApplication>
#include <QColorDialog>
#include <QFont>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>
#include <QPointer>
#include <QTimer>
#include <QValidator>
#include <algorithm>

#include "platform/messages.h"
#include "platform/textrule.h"

namespace {
class PasswordStyle : public QProxyStyle {
 public:
  explicit PasswordStyle(QChar c) : character_(c) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return character_.unicode();
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }

 private:
  QChar character_;
};

std::function<std::optional<QColor>(const QColor&)>& chooser() {
  static std::function<std::optional<QColor>(const QColor&)> c;
  return c;
}
}  // namespace

void SetPasswordCharacter(QLineEdit* edit, QChar character) {
  auto* style = new PasswordStyle(character);
  style->setParent(edit);
  edit->setStyle(style);
  edit->setEchoMode(QLineEdit::Password);
}

std::optional<QColor> PickColor(const QColor& initial, QWidget* parent) {
  if (chooser()) return chooser()(initial);
  const QColor c = QColorDialog::getColor(initial, parent);
  if (!c.isValid()) return std::nullopt;
  return c;
}

std::optional<QColor> PickColor(const QColor& initial, QColorDialog* dialog) {
  if (chooser()) return chooser()(initial);
  dialog->setCurrentColor(initial);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  return dialog->selectedColor();
}

void InstallColorChooser(std::function<std::optional<QColor>(const QColor&)> c) { chooser() = std::move(c); }

QColor DesktopColor() { return QColor(0x3A, 0x6E, 0xA5); }

namespace {
// The validator every text box takes: a single-line box keeps a pasted
// text up to its first line break, as such boxes commonly do, so that a
// name copied from a spreadsheet cell ("李四\r\n") comes in as "李四".
// What then still holds a tab, another control character or an invisible
// format character is refused whole and the clerk is told. A box with a
// filter of its own (the number boxes) hands the text on to it.
class TextBoxGuard : public QValidator {
 public:
  TextBoxGuard(QLineEdit* box, QValidator* inner) : QValidator(box), box_(box), inner_(inner) {
    if (inner_) inner_->setParent(this);
  }
  State validate(QString& input, int& pos) const override {
    const qsizetype lineBreak = FirstLineBreak(input);
    if (lineBreak >= 0) {
      // The box held no line break before: the one found came with the
      // text just put in, which ends at the cursor.
      const qsizetype end = std::max<qsizetype>(pos, lineBreak + 1);
      input.remove(lineBreak, end - lineBreak);
      pos = int(lineBreak);
      while (FirstLineBreak(input) >= 0) input.remove(FirstLineBreak(input), 1);
      pos = std::min(pos, int(input.size()));
    }
    if (HasRefusedCharacter(input)) {
      tell();
      return Invalid;
    }
    return inner_ ? inner_->validate(input, pos) : Acceptable;
  }
  void fixup(QString& input) const override {
    if (inner_) inner_->fixup(input);
  }

 private:
  static qsizetype FirstLineBreak(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i)
      if (text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\r')) return i;
    return -1;
  }
  // Once for each refused text, after the box has put its old text back
  // (the validator is asked in the middle of the change).
  void tell() const {
    if (told_ || !box_ || !box_->isVisible()) return;
    told_ = true;
    QTimer::singleShot(0, this, [this] {
      told_ = false;
      ShowMessage(RefusedTextMessage());
    });
  }

  QPointer<QLineEdit> box_;
  QValidator* inner_;
  mutable bool told_ = false;
};

// Every text box is guarded as it is first polished, whatever made it,
// unless it already has a validator of its own (the number boxes' keep
// only their digits and take the guard in front of it as they are made;
// a date box's belongs to its own editing).
class TextBoxGuards : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Polish)
      if (auto* box = qobject_cast<QLineEdit*>(watched); box && !box->validator()) GuardTextBox(box);
    return false;
  }
};
}  // namespace

void GuardTextBox(QLineEdit* box, QValidator* filter) { box->setValidator(new TextBoxGuard(box, filter)); }

bool HasControlCharacter(const QString& text) { return HasRefusedCharacter(text); }

void InstallPlatformDefaults() {
  // The windows name Windows fonts; these stand-ins carry Chinese text.
  // Noto Serif is hinted for the small sizes the windows use; printing
  // names its own face for "宋体".
  QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
  QFont::insertSubstitution(QStringLiteral("新宋体"), QStringLiteral("Noto Serif CJK SC"));
  QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Noto Sans CJK SC"));
  // Chinese whatever the machine's own language: calendars, date pickers,
  // numbers and every standard dialog.
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  static bool translated = false;
  if (!translated && qApp) {
    for (const char* catalogue : {"qtbase_zh_CN", "qtmultimedia_zh_CN"}) {
      auto* translator = new QTranslator(qApp);
      if (translator->load(QString::fromLatin1(catalogue), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
      else
        delete translator;
    }
    translated = true;
  }
  static bool guarded = false;
  if (!guarded && qApp) {
    qApp->installEventFilter(new TextBoxGuards(qApp));
    guarded = true;
  }
}
