// Under a real X server and window manager, the clinic windows as a clerk
// meets them: opened from the main window's commands, they show their boxes
// as they were made (Qt passing the focus along the controls on the way to
// the first one runs no entry or exit handler).
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <thread>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/textrule.h"
#include "support/clinicfixture.h"
#include "support/loginframe.h"
#include "support/testkit.h"

namespace {
const QStringList kSuppliers{"青禾医药公司", "东岭医药批发站"};

// Every clinic window's command.
const char* const kClinicCommands[] = {"N25", "N26", "N10", "N43", "N39", "N24", "N23", "N29",
                                       "Nfwlb", "N44", "N28", "N38", "N331", "N22", "N35", "N36",
                                       "N21", "N37", "N31", "N11", "N12", "N18", "N19", "N32"};

// What the window's named boxes show: each choice box's text, list and
// whether it takes input, each line box's text and whether it takes input.
QStringList Boxes(QWidget* window) {
  QStringList shown;
  for (const QComboBox* box : window->findChildren<QComboBox*>())
    shown << QStringLiteral("%1 \"%2\" [%3] %4")
                 .arg(box->objectName(), box->currentText(), Items(box).join(','), box->isEnabled() ? "on" : "off");
  for (const QLineEdit* box : window->findChildren<QLineEdit*>())
    if (!box->objectName().isEmpty() && !box->objectName().startsWith("qt_"))
      shown << QStringLiteral("%1 \"%2\" %3").arg(box->objectName(), box->text(), box->isEnabled() ? "on" : "off");
  return shown;
}
// Tries every way of writing into a choice box but a pick: typing,
// Backspace, Delete, cut and paste by keys and by its context menu, the
// middle button's paste of the selection, and a drop.
void TryToWriteInto(QComboBox* box) {
  const QString pasted = QStringLiteral("未知abc");
  QGuiApplication::clipboard()->setText(pasted);
  QGuiApplication::clipboard()->setText(pasted, QClipboard::Selection);
  QTest::keyClicks(box, "x");
  for (const int key : {Qt::Key_Backspace, Qt::Key_Delete}) QTest::keyClick(box, Qt::Key(key));
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
  QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
  const std::unique_ptr<QMenu> menu(box->lineEdit()->createStandardContextMenu());
  for (QAction* action : menu->actions())
    if (action->isEnabled() && action->objectName().contains(QRegularExpression("paste|cut|delete"))) action->trigger();
  QTest::mouseClick(box->lineEdit(), Qt::MiddleButton);
  QMimeData dragged;
  dragged.setText(pasted);
  const QPointF middle = box->lineEdit()->rect().center();
  QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box->lineEdit(), &enter);
  QDropEvent drop(middle, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box->lineEdit(), &drop);
}
// Notes a work window's boxes as it was made: when it moves into its frame,
// before it is shown.
class MadeBoxes : public QObject {
 public:
  const QWidget* window = nullptr;
  QStringList boxes;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::ParentChange && window && qobject_cast<QMdiSubWindow*>(window->parentWidget())) {
      this->window = window;
      boxes = Boxes(window);
    }
    return QObject::eventFilter(watched, event);
  }
};

// In the pricing window, types a patient's name and presses Enter, which
// moves on to the category box; returns that box.
QComboBox* StartVisit(QWidget* pricing) {
  auto* name = Find<QLineEdit>(pricing, "Edit1");
  name->setFocus(Qt::MouseFocusReason);
  TestKit::Type(name, "张三");
  QTest::keyClick(name, Qt::Key_Return);
  return Find<QComboBox>(pricing, "ComboBox3");
}
// A point of the widget where no control stands.
QPoint BarePoint(QWidget* widget) {
  for (int y = 5; y < widget->height(); y += 10)
    for (int x = 5; x < widget->width(); x += 10)
      if (!widget->childAt(x, y)) return {x, y};
  return {};
}

// The cursor the X server shows at the pointer, told apart by its serial
// (each cursor made has its own), read on a display connection of its own,
// as a clerk's eye would see it whatever the program believes it set.
quint32 ShownCursor() {
  xcb_connection_t* display = xcb_connect(nullptr, nullptr);
  quint32 serial = 0;
  if (!xcb_connection_has_error(display)) {
    free(xcb_xfixes_query_version_reply(display, xcb_xfixes_query_version(display, 4, 0), nullptr));
    if (auto* image = xcb_xfixes_get_cursor_image_reply(display, xcb_xfixes_get_cursor_image(display), nullptr)) {
      serial = image->cursor_serial;
      free(image);
    }
  }
  xcb_disconnect(display);
  return serial;
}
}  // namespace

class ClinicWindowsTest : public QObject {
  Q_OBJECT
  LoginFrame frame_;

 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != "xcb") QSKIP("needs an X server with a window manager");
  }
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    Clock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    frame_.Open();
    {
      Connection c = OpenClinicDatabase();
      for (const QString& supplier : kSuppliers) ClinicFixture::InsertRow(c.db(), "药品来源", {{"药品来源", supplier}});
    }
    frame_.LogInAsAdmin();
    QVERIFY(QTest::qWaitForWindowActive(frame_.main.get()));
  }
  void cleanup() {
    frame_.Close();
    Clock::Reset();
  }

  void everyClinicWindowOpensAsItWasMade() {
    MadeBoxes made;
    qApp->installEventFilter(&made);
    for (const char* command : kClinicCommands) {
      QWidget* window = frame_.Command(command);
      QVERIFY2(window && window == made.window, command);
      QCOMPARE(Boxes(window), made.boxes);
    }
    qApp->removeEventFilter(&made);
    // The choice boxes that show at opening, as a clerk first sees them.
    const QList<std::tuple<const char*, const char*, QString, QStringList>> prompts{
        {"职工用药", "ComboBox3", "请选择收费类别", {}},
        {"职工用药", "ComboBoxys", "请选择医师", {}},
        {"住院患者费用管理", "ComboBox1", "性别", {"男", "女"}},
        {"卫材报表", "ComboBox1", "供货商", kSuppliers},
        {"卫材报表", "ComboBox2", "供货商", kSuppliers},
        {"个人收入报表", "ComboBoxys", "选择被统计人", {}},
        {"住院患者费用统计表", "ComboBox1", "请选择患者姓名", {}},
    };
    for (const auto& [caption, name, text, items] : prompts) {
      QWidget* window = nullptr;
      for (QWidget* open : frame_.main->findChildren<QWidget*>())
        if (open->windowTitle() == caption && open->findChild<QComboBox*>(name)) window = open;
      QVERIFY2(window, caption);
      auto* box = Find<QComboBox>(window, name);
      QCOMPARE(box->currentText(), text);
      QCOMPARE(Items(box), items);
      QVERIFY2(box->isEnabled(), name);
    }
  }

  // Closing the window above hands the focus back to the category box, and
  // that is no entry: its list is not offered twice, no serial is drawn.
  void closingAWindowAboveEntersNothing() {
    QWidget* pricing = frame_.Command("N25");
    QComboBox* category = StartVisit(pricing);
    QVERIFY(category->hasFocus());
    const QString serial = Find<QLineEdit>(pricing, "Editlsh")->text();
    QCOMPARE(category->count(), 1);
    frame_.Command("N331");
    frame_.main->MdiArea()->activeSubWindow()->close();
    QTRY_VERIFY(category->hasFocus());
    QCOMPARE(category->count(), 1);
    QCOMPARE(Find<QLineEdit>(pricing, "Editlsh")->text(), serial);
  }

  // Bringing the pricing window back to the front hands the focus back to
  // its category box, and that is no entry either, whichever way: Ctrl+Tab
  // and Ctrl+Shift+Tab through the main window, a window list's pick, a
  // click on its title.
  void bringingAWindowBackEntersNothing() {
    QWidget* pricing = frame_.Command("N25");
    QComboBox* category = StartVisit(pricing);
    QVERIFY(category->hasFocus());
    const QString serial = Find<QLineEdit>(pricing, "Editlsh")->text();
    QMdiArea* area = frame_.main->MdiArea();
    QMdiSubWindow* pricingFrame = area->activeSubWindow();
    QWidget* cashier = frame_.Command("N26");
    QMdiSubWindow* cashierFrame = area->activeSubWindow();
    QVERIFY(pricing != cashier && !category->hasFocus());
    auto* doctor = Find<QComboBox>(pricing, "ComboBoxys");
    const auto backAtPricing = [&](const char* how) {
      QTRY_VERIFY2(area->activeSubWindow() == pricingFrame && pricing->isAncestorOf(QApplication::focusWidget()), how);
      QVERIFY2(category->count() == 1 && doctor->count() == 0, how);
    };
    QTest::keyClick(frame_.main->windowHandle(), Qt::Key_Tab, Qt::ControlModifier);
    backAtPricing("Ctrl+Tab");
    QVERIFY(category->hasFocus());
    QTest::keyClick(frame_.main->windowHandle(), Qt::Key_Tab, Qt::ControlModifier);
    QTRY_COMPARE(area->activeSubWindow(), cashierFrame);
    QTest::keyClick(frame_.main->windowHandle(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    backAtPricing("Ctrl+Shift+Tab");
    area->setActiveSubWindow(cashierFrame);
    area->setActiveSubWindow(pricingFrame);
    backAtPricing("window list");
    // Side by side, the cashier in front: a click on the pricing title.
    for (QMdiSubWindow* frame : {pricingFrame, cashierFrame}) frame->showNormal();
    pricingFrame->setGeometry(0, 0, 500, 400);
    cashierFrame->setGeometry(520, 0, 500, 400);
    area->setActiveSubWindow(cashierFrame);
    QTRY_VERIFY(!category->hasFocus());
    const int title = pricingFrame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, pricingFrame);
    QTest::mouseClick(pricingFrame, Qt::LeftButton, {}, QPoint(pricingFrame->width() / 3, title / 2));
    backAtPricing("title");
    QCOMPARE(Find<QLineEdit>(pricing, "Editlsh")->text(), serial);
  }

  // A name copied from a spreadsheet cell comes in without its line break,
  // by the keys, the middle button and the context menu alike; a tab or an
  // invisible format character is refused whole, and the clerk is told.
  void aPasteKeepsItsFirstLine() {
    auto* name = Find<QLineEdit>(frame_.Command("N25"), "Edit1");
    name->setFocus(Qt::MouseFocusReason);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto pasted = [&](const QString& text, const std::function<void()>& paste) {
      name->clear();
      clipboard->setText(text);
      clipboard->setText(text, QClipboard::Selection);
      paste();
      return name->text();
    };
    const std::function<void()> keys = [&] { QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier); };
    QCOMPARE(pasted("李四\r\n", keys), QString("李四"));
    QCOMPARE(pasted("李四\n王五\n", [&] { QTest::mouseClick(name, Qt::MiddleButton); }), QString("李四"));
    QCOMPARE(pasted("李四\r\n",
                    [&] {
                      const std::unique_ptr<QMenu> menu(name->createStandardContextMenu());
                      for (QAction* action : menu->actions())
                        if (action->text().endsWith(QKeySequence(QKeySequence::Paste).toString())) action->trigger();
                    }),
             QString("李四"));
    TestKit::ClearMessages();
    qsizetype told = 0;
    for (const QString& hidden : {QStringLiteral("张\t三"), QStringLiteral("王\u202E五")}) {
      clipboard->setText(hidden);
      name->selectAll();
      keys();
      QCOMPARE(name->text(), QString("李四"));
      QTRY_COMPARE(TestKit::MessageTexts().size(), told + 1);
      ++told;
    }
    QCOMPARE(TestKit::MessageTexts(), QStringList(2, RefusedTextMessage()));
  }

  // The pricing window's category and doctor and the admission's sex are
  // picks from their lists: nothing else gets in, and the store gets the
  // sex picked.
  void choiceBoxesTakeOnlyAPick() {
    for (const auto& [command, name, shown] : {std::tuple{"N25", "ComboBox3", "请选择收费类别"},
                                               std::tuple{"N25", "ComboBoxys", "请选择医师"},
                                               std::tuple{"N39", "ComboBox1", "性别"}}) {
      auto* box = Find<QComboBox>(frame_.Command(command), name);
      box->setFocus(Qt::TabFocusReason);
      TryToWriteInto(box);
      QCOMPARE(box->currentText(), QString(shown));
    }
    QWidget* admission = frame_.Command("N39");
    TestKit::Type(Find<QLineEdit>(admission, "Edit1"), "王五");
    auto* sex = Find<QComboBox>(admission, "ComboBox1");
    sex->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sex, Qt::Key_Down);
    TryToWriteInto(sex);
    QTest::keyClick(sex, Qt::Key_Return);
    QVERIFY(Find<QLineEdit>(admission, "Editnl")->hasFocus());
    TestKit::Type(Find<QLineEdit>(admission, "Editnl"), "30");
    TestKit::Click(Find<QPushButton>(admission, "BitBtn3"));
    Connection c = OpenClinicDatabase();
    QCOMPARE(ScalarText(c.db(), "select count(*) from 入院信息表"), QString("1"));
    QCOMPARE(ScalarText(c.db(), "select 性别 from 入院信息表 where 姓名 = ?", {"王五"}), QString("男"));
  }

  // A statement the server takes its time over shows the busy cursor over
  // the window after a moment, and the window's own cursor once it is over.
  void aLongStatementShowsTheBusyCursor() {
    if (ClinicFixture::CurrentStore() != "postgres") QSKIP("the server's statements are watched");
    QWidget* window = frame_.main.get();
    QCursor::setPos(window->mapToGlobal(window->rect().center()));
    QTest::qWait(100);
    const quint32 before = ShownCursor();
    QVERIFY(before != 0);
    Connection c = OpenClinicDatabase();
    quint32 during = 0;
    std::thread look([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(800));
      during = ShownCursor();
    });
    ScalarText(c.db(), "select pg_sleep(1.3)");
    look.join();
    QTest::qWait(100);
    const quint32 after = ShownCursor();
    QVERIFY2(during != before, "no busy cursor while the statement ran");
    QVERIFY2(after != during, "the busy cursor stayed after the statement");
  }

  // A double click goes back to the login only on the window's own
  // background: not on its titles, labels, pictures or boxes.
  void doubleClickLeavesOnlyFromTheBackground() {
    for (const char* command : {"", "N26", "N10", "N13"}) {
      QWidget* window = *command ? frame_.Command(command) : frame_.main->MdiArea()->viewport();
      QVERIFY2(window, command);
      QList<QWidget*> controls;
      for (QLabel* label : window->findChildren<QLabel*>()) controls << label;
      for (QLineEdit* box : window->findChildren<QLineEdit*>()) controls << box;
      QVERIFY(!controls.isEmpty());
      for (QWidget* control : controls) {
        if (!control->isVisible() || control->testAttribute(Qt::WA_TransparentForMouseEvents)) continue;
        QTest::mouseDClick(control, Qt::LeftButton, {}, control->rect().center());
        QVERIFY2(frame_.main->isVisible(), qPrintable(command + (" " + control->objectName())));
      }
      const QPoint bare = BarePoint(window);
      QVERIFY(!bare.isNull());
      QTest::mouseDClick(window, Qt::LeftButton, {}, bare);
      QVERIFY2(!frame_.main->isVisible(), command);
      QVERIFY(frame_.login->isVisible());
      frame_.LogInAsAdmin();
      QVERIFY(QTest::qWaitForWindowActive(frame_.main.get()));
    }
  }
};

BRIMWICK_TEST_MAIN(ClinicWindowsTest)
#include "clinicwindows.moc"
