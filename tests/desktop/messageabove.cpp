// Under a real X server and window manager: the box a window raises stands
// above it, even above the login, which always stays on top.
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "app/denglu.h"
#include "app/zjm.h"
#include "platform/messages.h"
#include "support/loginframe.h"
#include "support/testkit.h"

namespace {
// The client windows from bottom to top, as the window manager stacks them.
QList<quint64> Stacking() {
  QProcess xprop;
  xprop.start("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
  if (!xprop.waitForFinished(5000)) return {};
  QList<quint64> windows;
  const QString text = QString::fromLatin1(xprop.readAllStandardOutput());
  static const QRegularExpression id(QStringLiteral("0x[0-9a-fA-F]+"));
  for (auto match = id.globalMatch(text); match.hasNext();) windows << match.next().captured().toULongLong(nullptr, 16);
  return windows;
}
// The names the window manager shows on the title bars of a process's
// managed windows.
QStringList ShownNames(qint64 process) {
  QStringList names;
  for (const quint64 window : Stacking()) {
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window), "_NET_WM_PID", "_NET_WM_NAME"});
    if (!xprop.waitForFinished(5000)) continue;
    const QStringList lines = QString::fromUtf8(xprop.readAllStandardOutput()).split('\n');
    if (lines.size() < 2 || !lines[0].endsWith(" = " + QString::number(process))) continue;
    const qsizetype quote = lines[1].indexOf('"');
    if (quote >= 0) names << lines[1].trimmed().mid(quote + 1).chopped(1);
  }
  return names;
}
}  // namespace

class MessageAboveTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != "xcb") QSKIP("needs an X server with a window manager");
    // Real boxes, not the recorder.
    Messages::RemoveResponder();
  }

  void aWrongPasswordsBoxIsTheTopmostWindow() {
    LoginFrame frame;
    frame.Open();
    QVERIFY(QTest::qWaitForWindowExposed(frame.login.get()));
    QTest::qWait(300);  // the window manager settles the login on top
    Find<QLineEdit>(frame.login.get(), "Edit4")->setText("admin");
    Find<QLineEdit>(frame.login.get(), "Edit1")->setText("管理员");
    Find<QLineEdit>(frame.login.get(), "Edit3")->setText("wrong");

    QString boxText;
    quint64 box = 0;
    QList<quint64> stacking;
    QElapsedTimer waited;
    waited.start();
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [&] {
      auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!shown) {
        if (waited.elapsed() > 10000) poll->stop();
        return;
      }
      box = shown->winId();
      stacking = Stacking();
      // Give the window manager its time to map and stack the box.
      if ((stacking.isEmpty() || stacking.last() != box) && waited.elapsed() < 5000) return;
      poll->stop();
      boxText = shown->text();
      shown->accept();
    });
    poll->start(100);
    // Returns once the box is closed.
    Find<QPushButton>(frame.login.get(), "BitBtn2")->click();
    delete poll;
    QCOMPARE(boxText, QString("对不起，密码错误"));
    QVERIFY(box != 0);
    QVERIFY2(stacking.contains(frame.login->winId()), "the login is not among the managed windows");
    QCOMPARE(stacking.last(), box);
    frame.Close();
  }

  // The program as started: its windows' title bars carry their captions
  // as they are, with nothing of the window system's added.
  void theProgramsTitleBarsShowTheirCaptions() {
    const QString program = QCoreApplication::applicationDirPath() + "/../brimwick";
    if (!QFileInfo::exists(program)) QSKIP("the program is not built beside the tests");
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("BRIMWICK_DATA_DIR", TestKit::FreshDataDir());
    run.setProcessEnvironment(environment);
    run.start(program, {});
    QVERIFY(run.waitForStarted());
    QStringList names;
    QTRY_VERIFY_WITH_TIMEOUT((names = ShownNames(run.processId())).filter("登陆信息").size() > 0, 20000);
    run.kill();
    run.waitForFinished();
    QCOMPARE(names.filter("登陆信息"), QStringList{"登陆信息"});
  }
};

BRIMWICK_TEST_MAIN(MessageAboveTest)
#include "messageabove.moc"
