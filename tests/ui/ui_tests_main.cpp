// Runs every window test class in one QApplication on the offscreen platform.
#include <QApplication>
#include <QTest>

#include "ui_tests.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  int failures = 0;
  for (QObject* test : ui_tests::AllTests()) {
    failures += QTest::qExec(test, argc, argv);
    delete test;
  }
  return failures == 0 ? 0 : 1;
}
