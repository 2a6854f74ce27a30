#include "filelist/FileListModel.h"

#include "filelist/Formats.h"
#include "framework/Errors.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zent {
namespace {

FileEntry Named(const std::string& name, std::int32_t seconds = 0) {
    return {name, "/music/" + name, "/music/" + name + ".wav", seconds * 176400LL, seconds};
}

std::vector<std::string> Names(const FileListModel& model) {
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.push_back(model.index(row, 0).data().toString().toStdString());
    return names;
}

using Texts = std::vector<std::string>;

class FileListModelTest : public testing::Test {
protected:
    void Fill(std::initializer_list<const char*> names) {
        for (const char* name : names)
            FModel.AppendEntry(Named(name));
    }

    FileListModel FModel;
    QAbstractItemModelTester FTester{&FModel,
                                     QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(FileListModelTest, HasThreeNamedColumnsAndFlatRows) {
    Fill({"a.mp3"});
    EXPECT_EQ(FModel.columnCount(), 3);
    EXPECT_EQ(FModel.headerData(0, Qt::Horizontal).toString(), "Filename");
    EXPECT_EQ(FModel.headerData(1, Qt::Horizontal).toString(), "Length");
    EXPECT_EQ(FModel.headerData(2, Qt::Horizontal).toString(), "Projected filesize");
    EXPECT_EQ(FModel.rowCount(FModel.index(0, 0)), 0);
    EXPECT_FALSE(FModel.parent(FModel.index(0, 0)).isValid());
}

TEST_F(FileListModelTest, ShowsNameLengthAndProjectedSize) {
    FModel.AppendEntry({"song.ogg", "/m/song.ogg", "/m/song.wav", 31752000, 180});
    EXPECT_EQ(FModel.index(0, 0).data().toString(), "song.ogg");
    EXPECT_EQ(FModel.index(0, 1).data().toString(), "03:00");
    EXPECT_EQ(FModel.index(0, 2).data().toString().toStdString(), FormatSize(31752000));
}

TEST_F(FileListModelTest, ShowsTheFileIconOnlyInTheNameColumn) {
    Fill({"a.mp3"});
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    QSignalSpy changed(&FModel, &QAbstractItemModel::dataChanged);
    FModel.SetFileIcon(QIcon(pixmap));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(FModel.index(0, 0).data(Qt::DecorationRole).canConvert<QIcon>());
    EXPECT_FALSE(FModel.index(0, 1).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(FModel.index(0, 2).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(VST1GetImageIndex(0), 0);
    EXPECT_EQ(VST1GetImageIndex(1), -1);
    EXPECT_EQ(VST1GetImageIndex(2), -1);
}

TEST_F(FileListModelTest, FailedProbeLeavesItsRowInThePlace) {
    QSignalSpy inserted(&FModel, &QAbstractItemModel::rowsInserted);
    EXPECT_THROW(FModel.AddFile("/no/such/dir/song.mp3"), Error);
    EXPECT_EQ(inserted.count(), 1);
    ASSERT_EQ(FModel.rowCount(), 1);
    EXPECT_EQ(FModel.index(0, 1).data().toString(), "00:00");
    EXPECT_EQ(FModel.EntryAt(FModel.index(0, 0))->ProjectedSize, 0);
}

TEST_F(FileListModelTest, SortKeepsSelectionAndCurrentOnTheirEntries) {
    Fill({"d.mp3", "c.mp3", "b.mp3", "a.mp3"});
    QItemSelectionModel selection(&FModel);
    selection.select(FModel.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection.setCurrentIndex(FModel.index(0, 2), QItemSelectionModel::NoUpdate);
    const QPersistentModelIndex held(FModel.index(2, 1));

    FModel.SortList(0, true);

    EXPECT_EQ(Names(FModel), (Texts{"a.mp3", "b.mp3", "c.mp3", "d.mp3"}));
    EXPECT_TRUE(selection.isRowSelected(2, {}));
    EXPECT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(selection.currentIndex().row(), 3);
    EXPECT_EQ(selection.currentIndex().column(), 2);
    EXPECT_EQ(held.row(), 1);
    EXPECT_EQ(held.column(), 1);
    EXPECT_EQ(FModel.EntryAt(held)->FileName, "b.mp3");
}

TEST_F(FileListModelTest, SortDescendingKeepsEqualEntriesInOrder) {
    FModel.AppendEntry({"x.mp3", "/1/x.mp3", "", 0, 5});
    FModel.AppendEntry({"x.mp3", "/2/x.mp3", "", 0, 5});
    FModel.AppendEntry({"a.mp3", "/3/a.mp3", "", 0, 5});
    FModel.SortList(0, false);
    EXPECT_EQ(FModel.List().At(0).SourcePath, "/1/x.mp3");
    EXPECT_EQ(FModel.List().At(1).SourcePath, "/2/x.mp3");
    EXPECT_EQ(FModel.List().At(2).SourcePath, "/3/a.mp3");
}

TEST_F(FileListModelTest, EntriesKeepTheirAddressAcrossGrowthAndSort) {
    FileEntry* held = FModel.AppendEntry(Named("m.mp3"));
    for (int i = 0; i < 200; ++i)
        FModel.AppendEntry(Named("n" + std::to_string(i) + ".mp3"));
    FModel.SortList(0, false);
    EXPECT_EQ(FModel.EntryAt(FModel.IndexOf(held)), held);
    EXPECT_EQ(held->FileName, "m.mp3");
}

TEST_F(FileListModelTest, RemoveRowsInAdjacentRunsKeepsTheCurrentEntry) {
    Fill({"A", "B", "C", "D", "E"});
    QItemSelectionModel selection(&FModel);
    selection.setCurrentIndex(FModel.index(4, 0), QItemSelectionModel::NoUpdate);
    QSignalSpy reset(&FModel, &QAbstractItemModel::modelReset);

    FModel.RemoveRows({3, 0, 2});

    EXPECT_EQ(Names(FModel), (Texts{"B", "E"}));
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(selection.currentIndex().row(), 1);
}

TEST_F(FileListModelTest, RemoveRowsScatteredOverManyRunsLeavesTheRest) {
    std::vector<int> odd;
    for (int i = 0; i < 200; ++i) {
        FModel.AppendEntry(Named(std::to_string(i)));
        if (i % 2 == 1)
            odd.push_back(i);
    }
    FModel.RemoveRows(odd);
    ASSERT_EQ(FModel.rowCount(), 100);
    for (int row = 0; row < 100; ++row)
        EXPECT_EQ(FModel.List().At(static_cast<std::size_t>(row)).FileName,
                  std::to_string(row * 2));
}

TEST_F(FileListModelTest, RemoveRowsOutOfRangeRemovesNothing) {
    Fill({"A", "B"});
    EXPECT_THROW(FModel.RemoveRows({0, 2}), EListError);
    EXPECT_THROW(FModel.RemoveRows({-1}), EListError);
    EXPECT_EQ(FModel.rowCount(), 2);
}

TEST_F(FileListModelTest, RemoveEntryTakesThatEntryOnly) {
    Fill({"A", "B", "C"});
    FModel.RemoveEntry(&FModel.List().At(1));
    EXPECT_EQ(Names(FModel), (Texts{"A", "C"}));
    const FileEntry stranger = Named("X");
    FModel.RemoveEntry(&stranger);
    EXPECT_EQ(FModel.rowCount(), 2);
}

TEST_F(FileListModelTest, ClearRemovesEverything) {
    Fill({"A", "B", "C"});
    FModel.Clear();
    EXPECT_EQ(FModel.rowCount(), 0);
    EXPECT_EQ(FModel.TotalProjectedSize(), 0.0);
}

} // namespace
} // namespace zent
