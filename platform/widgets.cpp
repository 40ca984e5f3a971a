#include "platform/widgets.h"

#include <QApplication>
#include <QColorDialog>
#include <QFont>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>
#include <QValidator>

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
// Text holding a control character (NUL and the like) is refused whole:
// the stores either fail on it with their raw text or keep it unseen.
class ControlCharacterGuard : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return HasControlCharacter(input) ? Invalid : Acceptable;
  }
};

// Every text box is guarded as it is first polished, whatever made it,
// unless it already has a validator of its own (the number boxes' keep
// only their digits, which refuses control characters too).
class TextBoxGuard : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Polish)
      if (auto* box = qobject_cast<QLineEdit*>(watched); box && !box->validator())
        box->setValidator(new ControlCharacterGuard(box));
    return false;
  }
};
}  // namespace

bool HasControlCharacter(const QString& text) {
  for (const QChar c : text)
    if (c.category() == QChar::Other_Control) return true;
  return false;
}

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
    qApp->installEventFilter(new TextBoxGuard(qApp));
    guarded = true;
  }
}
