#include "frontdesk/deskcontrols.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

#include "platform/widgets.h"
#include "stock/controls.h"

namespace {
class TypedCharacters : public QObject {
 public:
  TypedCharacters(QObject* parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const QString text = static_cast<QKeyEvent*>(event)->text();
      if (!text.isEmpty() && !HasControlCharacter(text)) {
        action_();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> action_;
};
}  // namespace

QLineEdit* NewReadOnlyEdit(QWidget* parent, const QString& name, const QString& text) {
  QLineEdit* box = NewEdit(parent, name, text);
  box->setReadOnly(true);
  return box;
}

DataGrid* NewGrid(QWidget* parent, const QString& name, RowStripes stripes) {
  auto* grid = new DataGrid(parent);
  grid->setObjectName(name);
  grid->SetStripes(stripes);
  return grid;
}

void OnTypedCharacter(DataGrid* grid, std::function<void()> action) {
  grid->installEventFilter(new TypedCharacters(grid, std::move(action)));
}
