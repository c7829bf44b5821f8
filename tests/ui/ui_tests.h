// The window test classes, collected by ui_tests_main.cpp.
#pragma once

#include <QObject>
#include <vector>

namespace ui_tests {

QObject* NewQtConvertTest();
QObject* NewSubtitleTableModelTest();
QObject* NewMainWindowTest();
QObject* NewProofToolsTest();
QObject* NewRecognitionToolsTest();
QObject* NewSettingsToolsTest();
QObject* NewLibraryToolsTest();
QObject* NewPanelLayoutTest();
QObject* NewChineseToolsTest();
QObject* NewImportToolsTest();
QObject* NewDesktopTest();
QObject* NewTeachingPanelTest();
QObject* NewTimeToolsTest();

inline std::vector<QObject*> AllTests() {
  return {NewQtConvertTest(),     NewSubtitleTableModelTest(),
          NewMainWindowTest(),    NewRecognitionToolsTest(),
          NewSettingsToolsTest(), NewProofToolsTest(),
          NewLibraryToolsTest(),  NewPanelLayoutTest(),
          NewChineseToolsTest(),  NewImportToolsTest(),
          NewDesktopTest(),       NewTeachingPanelTest(),
          NewTimeToolsTest()};
}

}  // namespace ui_tests
