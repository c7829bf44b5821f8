// MainWindow: the menus, tool bar and context menu, their wiring, the command states and the
// language switch.
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <map>

#include "app/language_layout.h"
#include "app/message_numbers.h"
#include "ui/desktop_tools.h"
#include "ui/floating_panel.h"
#include "ui/import_tools.h"
#include "ui/library_tools.h"
#include "ui/main_window.h"
#include "ui/main_window_ui.h"
#include "ui/proof_tools.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"
#include "ui/settings_tools.h"
#include "ui/subtitle_table_model.h"

namespace ui {
namespace {

QAction* NewAction(QObject* parent, const char* name, const char* gbk_caption) {
  auto* action = new QAction(ToQString(gbk_caption), parent);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QMenu* NewMenu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(QString::fromLatin1(name));
  menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
  return menu;
}

// Sets the visible caption of a panel control, whatever its kind. Controls not built yet and
// missing messages are skipped.
void SetCaption(QWidget* widget, const QString& caption) {
  if (widget == nullptr || caption.isEmpty()) {
    return;
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(caption);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(caption);
  } else if (widget->parentWidget() != nullptr) {
    // A tab page: its caption lives in the tab widget that holds it.
    for (QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget()) {
      if (auto* tabs = qobject_cast<QTabWidget*>(up)) {
        const int tab = tabs->indexOf(widget);
        if (tab >= 0) {
          tabs->setTabText(tab, caption);
        }
        break;
      }
    }
  }
}

// Replaces the lines of a memo or the items of a radio group.
void SetLines(QWidget* widget, const QStringList& lines) {
  if (widget == nullptr) {
    return;
  }
  if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
    memo->setPlainText(lines.join(QLatin1Char('\n')));
  } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
    const int current = list->currentIndex();
    list->clear();
    list->addItems(lines);
    list->setCurrentIndex(current);
  } else {
    // A radio group: its radio buttons, in order, take the items.
    const QList<QRadioButton*> buttons = widget->findChildren<QRadioButton*>();
    for (qsizetype i = 0; i < buttons.size() && i < lines.size(); ++i) {
      buttons[i]->setText(lines[i]);
    }
  }
}

}  // namespace

void MainWindow::BuildMenus() {
  Ui& u = *ui_;
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  u.FileMenu = NewMenu(bar, "FileMenu", ToQString("\xCE\xC4\xBC\xFE" /* 文件 */));
  u.OpenSrtMenu = NewAction(
      this, "OpenSrtMenu", "\xB4\xF2\xBF\xAASRT\xBB\xF2SSA\xCE\xC4\xBC\xFE" /* 打开SRT或SSA文件 */);
  u.CloseSrtMenu =
      NewAction(this, "CloseSrtMenu",
                "\xB9\xD8\xB1\xD5SRT\xBB\xF2SSA\xCE\xC4\xBC\xFE" /* 关闭SRT或SSA文件 */);
  u.SaveSrtMenu =
      NewAction(this, "SaveSrtMenu",
                "\xB1\xA3\xB4\xE6\xCE\xAASRT\xBB\xF2SSA\xB8\xF1\xCA\xBD" /* 保存为SRT或SSA格式 */);
  u.OpenSecSrtMenu = NewAction(this, "OpenSecSrtMenu",
                               "\xB4\xF2\xBF\xAA\xBF\xC9\xB6\xD4\xD5\xD5\xB5\xC4\xD7\xD6\xC4\xBB"
                               "\xCE\xC4\xBC\xFE" /* 打开可对照的字幕文件 */);
  u.SaveSecSrtMenu = NewAction(this, "SaveSecSrtMenu",
                               "\xB1\xA3\xB4\xE6\xB2\xA2\xB9\xD8\xB1\xD5\xB6\xD4\xD5\xD5\xD7\xD6"
                               "\xC4\xBB" /* 保存并关闭对照字幕 */);
  u.ExitFormMenu = NewAction(this, "ExitFormMenu", "\xCD\xCB\xB3\xF6" /* 退出 */);
  u.SaveInPlaceMenu = NewAction(this, "SaveInPlaceMenu", "\xB1\xA3\xB4\xE6" /* 保存 */);
  u.FileMenu->addActions({u.OpenSrtMenu, u.CloseSrtMenu, u.SaveInPlaceMenu, u.SaveSrtMenu});
  u.FileMenu->addSeparator();
  u.FileMenu->addActions({u.OpenSecSrtMenu, u.SaveSecSrtMenu});
  u.FileMenu->addSeparator();
  u.FileMenu->addAction(u.ExitFormMenu);

  // Captions follow the steps they would undo and redo: ProofTools keeps them up to date.
  u.EditMenu = NewMenu(bar, "EditMenu", ToQString("\xB1\xE0\xBC\xAD(&E)" /* 编辑(&E) */));
  u.UndoMenu = NewAction(this, "UndoMenu", "\xB3\xB7\xCF\xFA(&U)" /* 撤销(&U) */);
  u.RedoMenu = NewAction(this, "RedoMenu", "\xD6\xD8\xD7\xF6(&R)" /* 重做(&R) */);
  u.EditMenu->addActions({u.UndoMenu, u.RedoMenu});

  u.ReadMenu = NewMenu(bar, "ReadMenu", ToQString("\xCA\xB6\xB1\xF0(&R)" /* 识别(&R) */));
  u.StartReadMenu =
      NewAction(this, "StartReadMenu", "\xBF\xAA\xCA\xBC\xCA\xB6\xB1\xF0" /* 开始识别 */);
  u.StopReadMenu =
      NewAction(this, "StopReadMenu", "\xCD\xA3\xD6\xB9\xCA\xB6\xB1\xF0" /* 停止识别 */);
  u.CheckRowMenu = NewAction(
      this, "CheckRowMenu",
      "\xB7\xD6\xCE\xF6\xB5\xB1\xC7\xB0\xD0\xD0\xB5\xC4\xCA\xFD\xBE\xDD" /* 分析当前行的数据 */);
  u.ReadMenu->addActions({u.StartReadMenu, u.StopReadMenu, u.CheckRowMenu});

  u.CheckMenu = NewMenu(bar, "CheckMenu",
                        ToQString("\xD0\xA3\xB6\xD4\xB1\xE0\xBC\xAD(&C)" /* 校对编辑(&C) */));
  u.Check1Menu = NewAction(this, "Check1Menu", "\xBC\xEC\xB2\xE9\xD0\xA3\xB6\xD4" /* 检查校对 */);
  u.ChkTimeMenu = NewAction(this, "ChkTimeMenu",
                            "\xBC\xEC\xB2\xE9\xCA\xB1\xBC\xE4\xBD\xBB\xB4\xED" /* 检查时间交错 */);
  u.FindReplaceMenu =
      NewAction(this, "FindReplaceMenu", "\xB2\xE9\xD5\xD2\xCC\xE6\xBB\xBB" /* 查找替换 */);
  u.CreatBlankMenu = NewAction(this, "CreatBlankMenu",
                               "\xD3\xC9\xB6\xD4\xD5\xD5\xD7\xD6\xC4\xBB\xC9\xFA\xB3\xC9\xBF\xD5"
                               "\xB0\xD7\xD7\xD6\xC4\xBB" /* 由对照字幕生成空白字幕 */);
  u.CompareCheckMenu =
      NewAction(this, "CompareCheckMenu", "\xB6\xD4\xD5\xD5\xBC\xEC\xB2\xE9" /* 对照检查 */);
  u.InsertPRowMenu = NewAction(this, "InsertPRowMenu",
                               "\xD4\xDA\xB5\xB1\xC7\xB0\xD0\xD0\xD6\xAE\xC7\xB0\xB2\xE5\xC8\xEB"
                               "\xD2\xBB\xD0\xD0" /* 在当前行之前插入一行 */);
  u.InsertNRowMenu = NewAction(this, "InsertNRowMenu",
                               "\xD4\xDA\xB5\xB1\xC7\xB0\xD0\xD0\xD6\xAE\xBA\xF3\xB2\xE5\xC8\xEB"
                               "\xD2\xBB\xD0\xD0" /* 在当前行之后插入一行 */);
  u.DeleteRowMenu =
      NewAction(this, "DeleteRowMenu", "\xC9\xBE\xB3\xFD\xB5\xB1\xC7\xB0\xD0\xD0" /* 删除当前行 */);
  u.RestoreTimeMenu =
      NewAction(this, "RestoreTimeMenu",
                "\xBB\xB9\xD4\xAD\xB5\xB1\xC7\xB0\xD0\xD0\xCA\xB1\xBC\xE4" /* 还原当前行时间 */);
  u.RestoreTextMenu =
      NewAction(this, "RestoreTextMenu",
                "\xBB\xB9\xD4\xAD\xB5\xB1\xC7\xB0\xD0\xD0\xD7\xD6\xC4\xBB" /* 还原当前行字幕 */);
  u.CheckMenu->addActions(
      {u.Check1Menu, u.ChkTimeMenu, u.FindReplaceMenu, u.CreatBlankMenu, u.CompareCheckMenu});
  u.NextProblemMenu = NewAction(this, "NextProblemMenu",
                                "\xCF\xC2\xD2\xBB\xB8\xF6\xCE\xCA"
                                "\xCC\xE2\xD0\xD0" /* 下一个问题行 */);
  u.PrevProblemMenu = NewAction(this, "PrevProblemMenu",
                                "\xC9\xCF\xD2\xBB\xB8\xF6\xCE\xCA"
                                "\xCC\xE2\xD0\xD0" /* 上一个问题行 */);
  u.CheckMenu->addActions({u.NextProblemMenu, u.PrevProblemMenu});
  u.CheckMenu->addSeparator();
  u.CheckMenu->addActions(
      {u.InsertPRowMenu, u.InsertNRowMenu, u.DeleteRowMenu, u.RestoreTimeMenu, u.RestoreTextMenu});

  u.EditBmpMenu = NewMenu(bar, "EditBmpMenu",
                          ToQString("\xCD\xBC\xC6\xAC\xB4\xA6\xC0\xED(&G)" /* 图片处理(&G) */));
  u.CutBmpMenu = NewAction(this, "CutBmpMenu", "\xD7\xD4\xB6\xAF\xB2\xC3\xBC\xF4" /* 自动裁剪 */);
  u.EditBmpMenu->addAction(u.CutBmpMenu);

  u.WordMenu = NewMenu(bar, "WordMenu", ToQString("\xD7\xD6\xBF\xE2(&O)" /* 字库(&O) */));
  u.EditWordMenu = NewAction(this, "EditWordMenu", "\xD0\xDE\xB8\xC4" /* 修改 */);
  u.AddWordMenu = NewAction(this, "AddWordMenu", "\xBA\xCF\xB2\xA2" /* 合并 */);
  u.OutWordMenu = NewAction(this, "OutWordMenu", "\xB5\xBC\xB3\xF6" /* 导出 */);
  u.CheckWordMenu =
      NewAction(this, "CheckWordMenu", "\xBC\xEC\xB2\xE9\xD7\xD6\xBF\xE2" /* 检查字库 */);
  u.CreatIndexMenu =
      NewAction(this, "CreatIndexMenu",
                "\xC9\xFA\xB3\xC9\xCB\xF7\xD2\xFD\xCE\xC4\xBC\xFE" /* 生成索引文件 */);
  u.WordMenu->addActions(
      {u.EditWordMenu, u.AddWordMenu, u.OutWordMenu, u.CheckWordMenu, u.CreatIndexMenu});

  u.SetupMenu = NewMenu(bar, "SetupMenu", ToQString("\xC9\xE8\xD6\xC3(&T)" /* 设置(&T) */));
  u.SetProMenu = NewAction(this, "SetProMenu", "\xB3\xCC\xD0\xF2\xC9\xE8\xD6\xC3" /* 程序设置 */);
  u.SetupMenu->addAction(u.SetProMenu);

  // The language menu's captions are the languages' own names, never taken from the messages.
  u.N9 = NewMenu(bar, "N9", QStringLiteral("language"));
  u.N14 = NewAction(this, "N14", "\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4" /* 简体中文 */);
  u.N15 = NewAction(this, "N15", "\xB7\xB1\xF3\x77\xD6\xD0\xCE\xC4" /* 繁體中文 */);
  u.N16 = NewAction(this, "N16", "English");
  auto* languages = new QActionGroup(this);
  for (QAction* item : {u.N14, u.N15, u.N16}) {
    item->setCheckable(true);
    languages->addAction(item);
    u.N9->addAction(item);
  }

  u.HelpMenu = NewMenu(bar, "HelpMenu", ToQString("\xB0\xEF\xD6\xFA(&H)" /* 帮助(&H) */));
  u.HelpFileMenu = NewAction(this, "HelpFileMenu", "\xB0\xEF\xD6\xFA" /* 帮助 */);
  u.AboutMenu = NewAction(this, "AboutMenu", "\xB9\xD8\xD3\xDA" /* 关于 */);
  u.HelpMenu->addActions({u.HelpFileMenu, u.AboutMenu});

  u.PopupMenu1 = new QMenu(this);
  u.PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  u.InsertPRowPop = NewAction(this, "InsertPRowPop",
                              "\xD4\xDA\xB5\xB1\xC7\xB0\xD0\xD0\xD6\xAE\xC7\xB0\xB2\xE5\xC8\xEB"
                              "\xD2\xBB\xD0\xD0" /* 在当前行之前插入一行 */);
  u.InsertNRowPop = NewAction(this, "InsertNRowPop",
                              "\xD4\xDA\xB5\xB1\xC7\xB0\xD0\xD0\xD6\xAE\xBA\xF3\xB2\xE5\xC8\xEB"
                              "\xD2\xBB\xD0\xD0" /* 在当前行之后插入一行 */);
  u.DeleteRowPop =
      NewAction(this, "DeleteRowPop", "\xC9\xBE\xB3\xFD\xB5\xB1\xC7\xB0\xD0\xD0" /* 删除当前行 */);
  u.RestoreTimePop = NewAction(
      this, "RestoreTimePop",
      "\xBB\xB9\xD4\xAD\xB5\xB1\xC7\xB0\xD0\xD0\xB5\xC4\xCA\xB1\xBC\xE4" /* 还原当前行的时间 */);
  u.RestoreTextPop = NewAction(
      this, "RestoreTextPop",
      "\xBB\xB9\xD4\xAD\xB5\xB1\xC7\xB0\xD0\xD0\xB5\xC4\xD7\xD6\xC4\xBB" /* 还原当前行的字幕 */);
  u.PopupMenu1->addActions(
      {u.InsertPRowPop, u.InsertNRowPop, u.DeleteRowPop, u.RestoreTimePop, u.RestoreTextPop});

  // The shortcuts desktop users expect, besides the captions' mnemonics.
  u.OpenSrtMenu->setShortcut(QKeySequence::Open);
  // Ctrl+S writes the file the subtitle has; Save As (Ctrl+Shift+S) always asks.
  u.SaveInPlaceMenu->setShortcut(QKeySequence::Save);
  u.SaveSrtMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  u.FindReplaceMenu->setShortcut(QKeySequence::Find);
  u.ExitFormMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  u.UndoMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  u.RedoMenu->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  u.HelpFileMenu->setShortcut(QKeySequence::HelpContents);
  // Recognition and row editing from the keyboard. The menu items carry the keys, so they work
  // wherever the focus is in the window, and the menus show them.
  u.StartReadMenu->setShortcut(QKeySequence(Qt::Key_F5));
  u.StopReadMenu->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F5));
  u.InsertPRowMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up));
  u.InsertNRowMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down));
  u.DeleteRowMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
  u.NextProblemMenu->setShortcut(QKeySequence(Qt::Key_F8));
  u.PrevProblemMenu->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
}

void MainWindow::BuildToolBar() {
  Ui& u = *ui_;
  u.ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  u.ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  u.ToolBar1->setMovable(false);
  u.ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  u.ToolBar1->setIconSize(QSize(24, 24));

  struct ToolRow {
    QToolButton** button;
    const char* name;
    QAction* action;
    const char* theme_icon;
    QStyle::StandardPixmap fallback;
    const char* gbk_hint;
    bool separator_after;
  };
  const ToolRow rows[] = {
      {&u.OpenSrtBut, "OpenSrtBut", u.OpenSrtMenu, "document-open", QStyle::SP_DialogOpenButton,
       "\xB4\xF2\xBF\xAA\xBA\xAC\xD3\xD0\xCD\xBC\xC6\xAC\xB5\xC4SRT\xCE\xC4\xBC\xFE" /* 打开含有图片的SRT文件
                                                                                      */
       ,
       false},
      {&u.SaveSrtBut, "SaveSrtBut", u.SaveSrtMenu, "document-save", QStyle::SP_DialogSaveButton,
       "\xBD\xE1\xB9\xFB\xB1\xA3\xB4\xE6\xCE\xAASRT\xB8\xF1\xCA\xBD" /* 结果保存为SRT格式 */, true},
      {&u.StartReadBut, "StartReadBut", u.StartReadMenu, "media-playback-start",
       QStyle::SP_MediaPlay, "\xBF\xAA\xCA\xBC\xCA\xB6\xB1\xF0" /* 开始识别 */, false},
      {&u.StopReadBut, "StopReadBut", u.StopReadMenu, "media-playback-stop", QStyle::SP_MediaStop,
       "\xCA\xB6\xB1\xF0\xCD\xA3\xD6\xB9" /* 识别停止 */, false},
      {&u.CheckRowBut, "CheckRowBut", u.CheckRowMenu, "document-properties",
       QStyle::SP_FileDialogInfoView,
       "\xB5\xB1\xC7\xB0\xD0\xD0\xCF\xEA\xCF\xB8\xD0\xC5\xCF\xA2" /* 当前行详细信息 */, true},
      {&u.Check1But, "Check1But", u.Check1Menu, "tools-check-spelling",
       QStyle::SP_DialogApplyButton, "\xBC\xEC\xB2\xE9\xD0\xA3\xB6\xD4" /* 检查校对 */, false},
      {&u.ChkTimeBut, "ChkTimeBut", u.ChkTimeMenu, "appointment-new", QStyle::SP_BrowserReload,
       "\xD0\xDE\xD5\xFD\xCA\xB1\xBC\xE4\xBD\xBB\xB4\xED" /* 修正时间交错 */, false},
      {&u.FindReplaceBut, "FindReplaceBut", u.FindReplaceMenu, "edit-find-replace",
       QStyle::SP_FileDialogContentsView, "\xB2\xE9\xD5\xD2\xCC\xE6\xBB\xBB" /* 查找替换 */, true},
      {&u.OpenSecSrtBut, "OpenSecSrtBut", u.OpenSecSrtMenu, "document-open-recent",
       QStyle::SP_DirOpenIcon,
       "\xB4\xF2\xBF\xAA\xB6\xD4\xD5\xD5\xD7\xD6\xC4\xBB" /* 打开对照字幕 */, false},
      {&u.SaveSecSrtBut, "SaveSecSrtBut", u.SaveSecSrtMenu, "document-save-as",
       QStyle::SP_DriveFDIcon,
       "\xB1\xA3\xB4\xE6\xB6\xD4\xD5\xD5\xD7\xD6\xC4\xBB" /* 保存对照字幕 */, false},
      {&u.CreatBlankBut, "CreatBlankBut", u.CreatBlankMenu, "document-new", QStyle::SP_FileIcon,
       "\xD3\xC9\xB6\xD4\xD5\xD5\xD7\xD6\xC4\xBB\xC9\xFA\xB3\xC9\xBF\xD5\xB0\xD7\xD7\xD6\xC4"
       "\xBB" /* 由对照字幕生成空白字幕 */,
       false},
      {&u.CompareCheckBut, "CompareCheckBut", u.CompareCheckMenu, "view-split-left-right",
       QStyle::SP_FileDialogDetailedView, "\xB6\xD4\xD5\xD5\xBC\xEC\xB2\xE9" /* 对照检查 */, true},
      {&u.EditWordBut, "EditWordBut", u.EditWordMenu, "accessories-text-editor",
       QStyle::SP_FileDialogListView, "\xD7\xD6\xBF\xE2\xD0\xDE\xB8\xC4" /* 字库修改 */, false},
      {&u.AddWordBut, "AddWordBut", u.AddWordMenu, "list-add", QStyle::SP_FileDialogNewFolder,
       "\xBA\xCF\xB2\xA2\xD7\xD6\xBF\xE2" /* 合并字库 */, false},
      {&u.OutWordBut, "OutWordBut", u.OutWordMenu, "document-send", QStyle::SP_ArrowRight,
       "\xB5\xBC\xB3\xF6\xD7\xD6\xBF\xE2" /* 导出字库 */, true},
      {&u.SetProBut, "SetProBut", u.SetProMenu, "preferences-system", QStyle::SP_ComputerIcon,
       "\xB3\xCC\xD0\xF2\xC9\xE8\xD6\xC3" /* 程序设置 */, false},
  };
  for (const ToolRow& row : rows) {
    row.action->setIcon(
        QIcon::fromTheme(QString::fromLatin1(row.theme_icon), style()->standardIcon(row.fallback)));
    row.action->setToolTip(ToQString(row.gbk_hint));
    auto* button = new QToolButton(u.ToolBar1);
    button->setObjectName(QString::fromLatin1(row.name));
    button->setDefaultAction(row.action);
    button->setAutoRaise(true);
    u.ToolBar1->addWidget(button);
    *row.button = button;
    if (row.separator_after) {
      u.ToolBar1->addSeparator();
    }
  }
}

void MainWindow::ConnectSignals() {
  Ui& u = *ui_;
  connect(u.OpenSrtMenu, &QAction::triggered, this, &MainWindow::OpenSrtMenuClick);
  connect(u.SaveSrtMenu, &QAction::triggered, this, &MainWindow::SaveSrtMenuClick);
  connect(u.SaveInPlaceMenu, &QAction::triggered, this, &MainWindow::SaveInPlaceMenuClick);
  // Save is there whenever Save As is.
  connect(u.SaveSrtMenu, &QAction::changed, this,
          [this] { ui_->SaveInPlaceMenu->setEnabled(ui_->SaveSrtMenu->isEnabled()); });
  connect(u.CloseSrtMenu, &QAction::triggered, this, &MainWindow::CloseSrtMenuClick);
  connect(u.ExitFormMenu, &QAction::triggered, this, &MainWindow::ExitFormMenuClick);
  connect(u.N14, &QAction::triggered, this, &MainWindow::N14Click);
  connect(u.N15, &QAction::triggered, this, &MainWindow::N15Click);
  connect(u.N16, &QAction::triggered, this, &MainWindow::N16Click);
  connect(u.AboutMenu, &QAction::triggered, this, &MainWindow::AboutMenuClick);
  connect(u.HelpFileMenu, &QAction::triggered, this, &MainWindow::HelpFileMenuClick);
  // Comparing with the reference has no action of its own yet; it says so rather than nothing.
  connect(u.CompareCheckMenu, &QAction::triggered, this, &MainWindow::NotAvailableYet);
  connect(u.StringGrid1, &QWidget::customContextMenuRequested, this,
          &MainWindow::StringGrid1ContextMenu);
  connect(u.AboutClose, &QPushButton::clicked, u.Panel24, &QWidget::hide);
  connect(u.Button19, &QPushButton::clicked, this, [this] { pump_->RequestStop(); });
  for (FloatingPanel* panel : findChildren<FloatingPanel*>()) {
    connect(panel, &FloatingPanel::Pressed, this, [this] { ui_->Panel23->raise(); });
  }
  if (auto* dialogs = dynamic_cast<QtFileDialogPort*>(file_dialogs_)) {
    dialogs->SetSaveFolderChanged(
        [this](const std::filesystem::path& folder) { SaveDialog1FolderChange(folder); });
  }
  pump_->SetProgressSink([this](int done, int total) { ShowProgress(done, total); });
}

void MainWindow::ApplyLanguage() {
  // Qt fonts are Unicode, so the window font's character set needs no switch per language.
  const app::LanguagePlan plan = app::PlanLanguage(app_->Messages());
  // Memo lines and radio items replace the old ones as a whole: gather them first.
  std::map<std::string, QStringList> lines;
  for (const app::LayoutText& entry : plan.texts) {
    const QString name = QString::fromStdString(entry.object_name);
    const QString text = ToQString(entry.text);
    if (text.isEmpty() && entry.property != app::LayoutProperty::kLine) {
      continue;  // a message missing from language.sys keeps the text shown so far
    }
    switch (entry.property) {
      case app::LayoutProperty::kCaption:
        if (auto* menu = findChild<QMenu*>(name)) {
          menu->setTitle(text);
        } else if (auto* action = findChild<QAction*>(name)) {
          action->setText(text);
        } else {
          SetCaption(findChild<QWidget*>(name), text);
        }
        break;
      case app::LayoutProperty::kHint:
        if (auto* button = findChild<QToolButton*>(name); button && button->defaultAction()) {
          // The button shows its action's tool tip, so the hint lives on the action.
          button->defaultAction()->setToolTip(text);
        } else if (auto* widget = findChild<QWidget*>(name)) {
          widget->setToolTip(text);
        }
        break;
      case app::LayoutProperty::kColumnHeading:
        SetHeading(name, Qt::Horizontal, entry.index, entry.text);
        break;
      case app::LayoutProperty::kRowHeading:
        SetHeading(name, Qt::Vertical, entry.index, entry.text);
        break;
      case app::LayoutProperty::kItem:
      case app::LayoutProperty::kLine: {
        QStringList& list = lines[entry.object_name];
        while (list.size() <= entry.index) {
          list << QString();
        }
        list[entry.index] = text;
        break;
      }
      case app::LayoutProperty::kFilter:
        break;  // the shell gives its dialogs their filters itself
    }
  }
  for (const auto& [name, list] : lines) {
    SetLines(findChild<QWidget*>(QString::fromStdString(name)), list);
  }
  ui_->NextProblemMenu->setText(MessageText(app::msg::kNextProblemRow));
  ui_->PrevProblemMenu->setText(MessageText(app::msg::kPreviousProblemRow));
  main_model_->HeadingsChanged();
  reference_model_->HeadingsChanged();
  for (QAction* item : {ui_->N14, ui_->N15, ui_->N16}) {
    item->setChecked(item->objectName().toStdString() == plan.checked_menu_item);
  }
  if (proof_tools_ != nullptr) {
    proof_tools_->LanguageApplied();
  }
  if (library_tools_) {
    library_tools_->LanguageApplied();
  }
  if (settings_tools_) {
    settings_tools_->LanguageApplied();
  }
  if (import_tools_) {
    import_tools_->LanguageApplied();
  }
  if (desktop_tools_) {
    desktop_tools_->LanguageApplied();
    FillAboutPanel(std::string());  // after start-up only: the loading text is gone by then
  }
  FitToolGridHeadings();
  // Captions of another language can be longer than the design sizes allow: panels grow to hold
  // them (and keep that size), then everything is placed again.
  for (FloatingPanel* panel : findChildren<FloatingPanel*>()) {
    // Nested layouts of a hidden panel still hold the old captions' sizes until invalidated.
    for (QLayout* layout : panel->findChildren<QLayout*>()) {
      layout->invalidate();
    }
    panel->resize(panel->size().expandedTo(panel->sizeHint()));
  }
  if (proof_tools_ != nullptr) {
    proof_tools_->UpdateUndoActions();  // their captions name the step in the language shown
  }
  LayOut();
}

void MainWindow::SetHeading(const QString& grid_name, Qt::Orientation orientation, int index,
                            const std::string& gbk) {
  // The two subtitle grids show the document's own headings; other grids hold theirs.
  document::SubtitleDocument& document = app_->Document();
  if (orientation == Qt::Horizontal && grid_name == QLatin1String("StringGrid1")) {
    if (index >= 0 && index < document.main.ColumnCount()) {
      document.main.SetHeading(index, gbk);
    }
  } else if (orientation == Qt::Horizontal && grid_name == QLatin1String("StringGrid7")) {
    if (index >= 0 && index < document.reference.ColumnCount()) {
      document.reference.SetHeading(index, gbk);
    }
  } else if (auto* table = findChild<QTableWidget*>(grid_name)) {
    auto* item = new QTableWidgetItem(ToQString(gbk));
    if (orientation == Qt::Horizontal && index < table->columnCount()) {
      table->setHorizontalHeaderItem(index, item);
    } else if (orientation == Qt::Vertical && index < table->rowCount()) {
      table->setVerticalHeaderItem(index, item);
    } else {
      delete item;
    }
  }
}

void MainWindow::SwitchLanguage(int language) {
  app_->SwitchLanguage(language);
  ApplyLanguage();
}

void MainWindow::N14Click() {
  SwitchLanguage(app::MessageTable::kSimplifiedChinese);
}

void MainWindow::N15Click() {
  SwitchLanguage(app::MessageTable::kTraditionalChinese);
}

void MainWindow::N16Click() {
  SwitchLanguage(app::MessageTable::kEnglish);
}

}  // namespace ui
