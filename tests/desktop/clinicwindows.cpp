// Under a real X server and window manager, the clinic windows as a clerk
// meets them: opened from the main window's commands, they show their boxes
// as they were made (Qt passing the focus along the controls on the way to
// the first one runs no entry or exit handler).
#include <QComboBox>
#include <QLineEdit>
#include <functional>

#include "db/clinicdb.h"
#include "frontdesk/blfpb.h"
#include "frontdesk/fwlbwh.h"
#include "frontdesk/fyt.h"
#include "frontdesk/hzty.h"
#include "frontdesk/hzxi.h"
#include "frontdesk/kccx.h"
#include "frontdesk/syt.h"
#include "frontdesk/ypbs.h"
#include "frontdesk/ypfk.h"
#include "frontdesk/yxqyj.h"
#include "frontdesk/zgyy.h"
#include "frontdesk/zyhzfy.h"
#include "platform/clock.h"
#include "reports/cwzhbb.h"
#include "reports/grsrbb.h"
#include "reports/hcbb.h"
#include "reports/hzxibb.h"
#include "reports/jrdzbb.h"
#include "reports/ypbsbb.h"
#include "reports/ypckbb.h"
#include "reports/ypfkbb.h"
#include "reports/yphztybb.h"
#include "reports/yprkbb.h"
#include "reports/yyhzbb.h"
#include "reports/zyhzhzb.h"
#include "support/clinicfixture.h"
#include "support/loginframe.h"
#include "support/testkit.h"

namespace {
const QStringList kSuppliers{"青禾医药公司", "东岭医药批发站"};

template <class Window>
QWidget* Make() {
  return new Window;
}

// Every clinic window's command with the window it opens.
const std::pair<const char*, QWidget* (*)()> kClinicWindows[] = {
    {"N25", Make<TFormzgyy>},    {"N26", Make<TFormsyt>},      {"N10", Make<TFormfyt>},
    {"N43", Make<TFormjrhzxi>},  {"N39", Make<Tzyhzfygl>},     {"N24", Make<TFormhzty>},
    {"N23", Make<TFormypfk>},    {"N29", Make<TFormypbs>},     {"Nfwlb", Make<Tfwlbwh>},
    {"N44", Make<TFormblfpsz>},  {"N28", Make<TFormkccx>},     {"N38", Make<TFormyxqyj>},
    {"N331", Make<TFormhcbb>},   {"N22", Make<TFormgrsrbb>},   {"N35", Make<TFormdzbb>},
    {"N36", Make<TFormhzb>},     {"N21", Make<TFormcwzhbb>},   {"N37", Make<TFormzyhzhz>},
    {"N31", Make<TFormhzxibb>},  {"N11", Make<TFormrkbb>},     {"N12", Make<TFormypckbb>},
    {"N18", Make<TFormypfkbb>},  {"N19", Make<TFormbsbb>},     {"N32", Make<TFormyphztybb>},
};

// What the window's named boxes show: each choice box's text, list and
// whether it takes input, each line box's text and whether it takes input.
QStringList Boxes(QWidget* window) {
  QStringList shown;
  for (const QComboBox* box : window->findChildren<QComboBox*>()) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    shown << QStringLiteral("%1 \"%2\" [%3] %4")
                 .arg(box->objectName(), box->currentText(), items.join(','), box->isEnabled() ? "on" : "off");
  }
  for (const QLineEdit* box : window->findChildren<QLineEdit*>())
    if (!box->objectName().isEmpty() && !box->objectName().startsWith("qt_"))
      shown << QStringLiteral("%1 \"%2\" %3").arg(box->objectName(), box->text(), box->isEnabled() ? "on" : "off");
  return shown;
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
    for (const auto& [command, make] : kClinicWindows) {
      const std::unique_ptr<QWidget> made(make());
      const QStringList expected = Boxes(made.get());
      QWidget* window = frame_.Command(command);
      QVERIFY2(window, command);
      QCOMPARE(Boxes(window), expected);
    }
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
      QStringList listed;
      for (int i = 0; i < box->count(); ++i) listed << box->itemText(i);
      QCOMPARE(box->currentText(), text);
      QCOMPARE(listed, items);
      QVERIFY2(box->isEnabled(), name);
    }
  }
};

BRIMWICK_TEST_MAIN(ClinicWindowsTest)
#include "clinicwindows.moc"
