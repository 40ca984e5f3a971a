#include "platform/amountkeys.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QWidget>

#include "platform/keys.h"

namespace {
const QString kAmountCharacters = QStringLiteral("0123456789.");
const QString kAgeCharacters = QStringLiteral("0123456789");

// A Chinese input method hands its text over as one commit, not as key
// presses, so the key filter never sees it: full-width digits or a word
// would land in a number box. A commit passes only when every character of
// it would have passed as a key; compositions are not shown at all.
class CommitFilter : public QObject {
 public:
  CommitFilter(QObject* parent, QString allowed) : QObject(parent), allowed_(std::move(allowed)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::InputMethod) {
      const auto* input = static_cast<QInputMethodEvent*>(event);
      if (!input->preeditString().isEmpty()) return true;
      for (const QChar c : input->commitString())
        if (!allowed_.contains(c)) return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QString allowed_;
};

void NumberBox(QWidget* box, const QString& allowed) {
  FilterKeys(box, allowed);
  box->installEventFilter(new CommitFilter(box, allowed));
}
}  // namespace

void AmountKeyFilter(QWidget* box) { NumberBox(box, kAmountCharacters); }

void AgeKeyFilter(QWidget* box) { NumberBox(box, kAgeCharacters); }
