// GBK conversion at the window's edge, the Qt filter string and the event pump.
#include "ui/qt_convert.h"

#include <QTest>

#include "ui/qt_ports.h"
#include "ui_tests.h"

namespace {

class QtConvertTest : public QObject {
  Q_OBJECT

 private slots:
  void ChineseTextCrossesBothWays() {
    const std::string gbk = "\xD7\xD6\xC4\xBB a\\Nb";  // 字幕 a\Nb
    const QString shown = ui::ToQString(gbk);
    QCOMPARE(shown, QString::fromUtf8("\xE5\xAD\x97\xE5\xB9\x95 a\\Nb"));
    const auto back = ui::ToGbk(shown);
    QVERIFY(back.ok());
    QCOMPARE(back.value(), gbk);
  }

  void CharacterOutsideGbkIsRefusedByName() {
    const auto refused = ui::ToGbk(QString::fromUtf8("ok \xF0\x9F\x98\x80 no"));  // U+1F600
    QVERIFY(!refused.ok());
    QCOMPARE(refused.error().code, std::string("gbk"));
    QVERIFY(refused.error().message.find("U+1F600") != std::string::npos);
  }

  void MalformedGbkShowsReplacementCharacter() {
    QVERIFY(ui::ToQString(std::string("a\x81")).contains(QChar(0xFFFD)));
  }

  void FilterBecomesQtForm() {
    ports::FileFilter filter;
    filter.entries = {{"srt", "*.srt"}, {"both", "*.srt;*.ssa"}};
    QCOMPARE(ui::ToQtFilter(filter), QStringLiteral("srt (*.srt);;both (*.srt *.ssa)"));
  }

  void EventPumpReportsTheLastUnitAndStops() {
    ui::QtEventPump pump;
    std::vector<std::pair<int, int>> shown;
    pump.SetProgressSink([&](int done, int total) { shown.emplace_back(done, total); });
    for (int done = 1; done <= 1000; ++done) {
      pump.ReportProgress(done, 1000);
      pump.LetPendingEventsRun();
    }
    // However the calls are throttled, the finished state is always drawn.
    QVERIFY(!shown.empty());
    QCOMPARE(shown.back(), std::make_pair(1000, 1000));
    QVERIFY(!pump.StopRequested());
    pump.RequestStop();
    QVERIFY(pump.StopRequested());
    pump.Reset();
    QVERIFY(!pump.StopRequested());
  }
};

}  // namespace

QObject* ui_tests::NewQtConvertTest() {
  return new QtConvertTest;
}

#include "qt_convert_test.moc"
