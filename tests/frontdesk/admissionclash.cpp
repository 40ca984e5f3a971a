// One name admitted at two desks at the same moment, each on a connection
// of its own, on both stores. The other desk has inserted the name but not
// yet committed: this desk finds no patient of that name, and its insert
// meets the other desk's row under the store's key on the name once that
// commits. The inpatient desk then refuses the name as a duplicate; the
// patient information window takes the patient as admitted, with no error.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <atomic>
#include <functional>
#include <latch>
#include <thread>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/inpatients.h"
#include "frontdesk/zyhzfy.h"
#include "reports/inpatientmove.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

using ClinicFixture::TableRows;

namespace {
const QString kName = QStringLiteral("张三");
const QString kOtherDesksRow = QStringLiteral("ZS|张三|男|40||东街");

// Runs admit on this desk while another desk, in a thread of its own, holds
// its admission of the name uncommitted, and commits it only after a
// while. Returns what went wrong, empty when admit ran through without an
// error and was still held up by the other desk's row as that desk began
// to commit (so that the clash, not the check before the insert, met the
// name).
QString AdmitWhileAnotherDeskHoldsTheName(const std::function<void()>& admit) {
  std::latch held(1);
  std::atomic<bool> committing = false;
  QString otherDeskFailure;
  std::thread otherDesk([&] {
    bool holding = false;
    try {
      Connection c = OpenClinicDatabase();
      BeginWrite(c.db());
      if (!InsertAdmission(c.db(), {"ZS", kName, "男", "40", "", "东街"})) throw DbError("not inserted");
      holding = true;
      held.count_down();
      QThread::msleep(600);
      committing = true;
      CommitWrite(c.db());
    } catch (const std::exception& e) {
      otherDeskFailure = QString::fromStdString(e.what());
      if (!holding) held.count_down();
    }
  });
  held.wait();
  QString failure;
  try {
    admit();
  } catch (const std::exception& e) {
    failure = QStringLiteral("this desk: ") + QString::fromStdString(e.what());
  }
  const bool heldUp = committing;
  otherDesk.join();
  if (!otherDeskFailure.isEmpty()) return QStringLiteral("other desk: ") + otherDeskFailure;
  if (!failure.isEmpty()) return failure;
  return heldUp ? QString() : QStringLiteral("this desk was never held up by the other");
}
}  // namespace

class AdmissionClashTest : public QObject {
  Q_OBJECT

  Connection store_;
  QSqlDatabase db() const { return store_.db(); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    store_ = OpenClinicDatabase();
  }
  void cleanup() { store_ = Connection(); }

  void inpatientDeskRefusesTheNameAsADuplicate() {
    AdmissionOutcome outcome = AdmissionOutcome::Admitted;
    QCOMPARE(AdmitWhileAnotherDeskHoldsTheName(
                 [&] { outcome = AdmitInpatient(db(), {"ZS", kName, "女", "50", "A9", "西街"}); }),
             QString());
    QCOMPARE(outcome, AdmissionOutcome::Duplicate);
    QCOMPARE(TableRows(db(), "入院信息表"), QStringList{kOtherDesksRow});
  }

  void inpatientWindowShowsTheDuplicateMessage() {
    Tzyhzfygl w;
    Find<QComboBox>(&w, "ComboBox1")->setCurrentIndex(1);
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), kName);
    TestKit::Type(Find<QLineEdit>(&w, "Editzz"), "西街");
    QCOMPARE(AdmitWhileAnotherDeskHoldsTheName([&] { TestKit::Click(Find<QPushButton>(&w, "BitBtn3")); }),
             QString());
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，姓名重复，请重新录入！"});
    QCOMPARE(Find<QLineEdit>(&w, "Editzz")->text(), QString());
    QCOMPARE(Find<QLineEdit>(&w, "Edit7")->text(), QString("1"));
    QCOMPARE(TableRows(db(), "入院信息表"), QStringList{kOtherDesksRow});
  }

  void patientInformationAdmissionTakesThePatientAsAdmitted() {
    bool inserted = true;
    QCOMPARE(AdmitWhileAnotherDeskHoldsTheName([&] { inserted = AdmitPatient(db(), {kName, "女", "50", "A9", "西街"}); }),
             QString());
    QVERIFY(!inserted);
    QVERIFY(IsAdmitted(db(), kName));
    QCOMPARE(TableRows(db(), "入院信息表"), QStringList{kOtherDesksRow});
  }
};

BRIMWICK_TEST_MAIN(AdmissionClashTest)
#include "admissionclash.moc"
