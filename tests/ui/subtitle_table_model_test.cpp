// The table model follows its RowTable without a copy and hands edits to its handler.
#include "ui/subtitle_table_model.h"

#include <QSignalSpy>
#include <QTest>

#include "ui_tests.h"

namespace {

class SubtitleTableModelTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsDataRowsAndHeadings() {
    document::RowTable table(document::kMainColumnCount);
    table.SetHeading(document::kText, "\xD7\xD6\xC4\xBB");   // 字幕
    table.ReplaceRows({{"1", "first"}, {"2", "\xD7\xD6"}});  // 字
    ui::SubtitleTableModel model(table, {document::kText});
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), document::kMainColumnCount);
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("first"));
    QCOMPARE(model.data(model.index(1, 1)).toString(), QString::fromUtf8("\xE5\xAD\x97"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(),
             QString::fromUtf8("\xE5\xAD\x97\xE5\xB9\x95"));
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::ToolTipRole),
             model.headerData(1, Qt::Horizontal));  // narrow columns cut it; the tooltip does not
    QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
  }

  void FollowsInsertsRemovalsAndResets() {
    document::RowTable table(document::kReferenceColumnCount);
    ui::SubtitleTableModel model(table, {});
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    const int row = table.AppendRow();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), row - 1);
    QCOMPARE(model.rowCount(), 2);
    table.RemoveRow(1);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(model.rowCount(), 1);
    std::vector<std::vector<std::string>> rows(100000, std::vector<std::string>{"n", "t"});
    table.ReplaceRows(std::move(rows));
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 100000);
    QCOMPARE(model.data(model.index(99999, 1)).toString(), QStringLiteral("t"));
  }

  void BatchesCellChangesIntoOneSignal() {
    document::RowTable table(document::kMainColumnCount);
    table.ReplaceRows({{"1"}, {"2"}, {"3"}});
    ui::SubtitleTableModel model(table, {});
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    table.SetCell(document::kText, 1, "a");
    table.SetCell(document::kEnd, 3, "b");
    QVERIFY(changed.wait());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(0, document::kText));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(2, document::kEnd));
  }

  void EditsGoThroughTheHandler() {
    document::RowTable table(document::kMainColumnCount);
    ui::SubtitleTableModel model(table, {document::kText});
    std::vector<std::pair<int, int>> calls;
    model.SetEditHandler([&](int column, int row, const QString& value) {
      calls.emplace_back(column, row);
      return value == QStringLiteral("yes");
    });
    QVERIFY(model.setData(model.index(0, document::kText), QStringLiteral("yes")));
    QVERIFY(!model.setData(model.index(0, document::kText), QStringLiteral("no")));
    QVERIFY(!model.setData(model.index(0, document::kNumber), QStringLiteral("yes")));
    QCOMPARE(calls.size(), size_t{2});
    QCOMPARE(calls[0], std::make_pair(int{document::kText}, 1));
  }

  void DetachesFromTheTableWhenDestroyed() {
    document::RowTable table(document::kReferenceColumnCount);
    { ui::SubtitleTableModel model(table, {}); }
    table.AppendRow();  // would reach a destroyed observer if the model stayed attached
    QCOMPARE(table.DataRowCount(), 2);
  }
};

}  // namespace

QObject* ui_tests::NewSubtitleTableModelTest() {
  return new SubtitleTableModelTest;
}

#include "subtitle_table_model_test.moc"
