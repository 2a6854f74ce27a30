#include "filelist/FileListModel.h"

#include "filelist/Formats.h"
#include "framework/Assert.h"

#include <QStringList>
#include <algorithm>
#include <unordered_map>

namespace zent {

namespace {

constexpr const char* kHeaderTexts[FileListModel::ColumnCount] = {"Filename", "Length",
                                                                  "Projected filesize"};
constexpr int kFileImageIndex = 0;
constexpr int kNoImage = -1;
constexpr const char* kDroppedFilesMimeType = "text/uri-list";

// Up to this many runs of adjacent rows are removed run by run (each run moves the tail of
// the list once); beyond it one reset keeps the removal linear.
constexpr std::size_t kMaxRowRemovalRuns = 32;

struct RowRun {
    int First;
    int Last;
};

} // namespace

QString VST1GetText(const FileEntry& entry, int column) {
    switch (column) {
    case FileListModel::FilenameColumn:
        return QString::fromStdString(entry.FileName);
    case FileListModel::LengthColumn:
        return QString::fromStdString(FormatLength(entry.LengthSeconds));
    case FileListModel::SizeColumn:
        return QString::fromStdString(FormatSize(static_cast<double>(entry.ProjectedSize)));
    default:
        return {};
    }
}

int VST1GetImageIndex(int column) {
    return column == FileListModel::FilenameColumn ? kFileImageIndex : kNoImage;
}

FileListModel::FileListModel(QObject* parent) : QAbstractItemModel(parent) {}

void FileListModel::SetFileIcon(const QIcon& icon) {
    FFileIcon = icon;
    if (!FList.Empty()) {
        emit dataChanged(index(0, FilenameColumn),
                         index(static_cast<int>(FList.Count()) - 1, FilenameColumn),
                         {Qt::DecorationRole});
    }
}

FileEntry* FileListModel::AddFile(const std::string& path) {
    if (!IsAcceptedPath(path))
        return nullptr;
    FileEntry* entry = AppendEntry(MakeEntryForPath(path));
    const int row = static_cast<int>(FList.Count()) - 1;
    ProbeFile(*entry); // a failure leaves the row in, with 0 and 0
    emit dataChanged(index(row, LengthColumn), index(row, SizeColumn), {Qt::DisplayRole});
    return entry;
}

FileEntry* FileListModel::AppendEntry(FileEntry entry) {
    const int row = static_cast<int>(FList.Count());
    beginInsertRows({}, row, row);
    FileEntry& added = FList.Append(std::move(entry));
    endInsertRows();
    return &added;
}

void FileListModel::RemoveEntry(const FileEntry* entry) {
    const std::optional<std::size_t> row = FList.IndexOf(entry);
    if (!row)
        return;
    beginRemoveRows({}, static_cast<int>(*row), static_cast<int>(*row));
    FList.RemoveAt(*row);
    endRemoveRows();
}

void FileListModel::RemoveRows(const std::vector<int>& rows) {
    if (rows.empty())
        return;
    const int count = static_cast<int>(FList.Count());
    std::vector<bool> doomed(FList.Count(), false);
    for (const int row : rows) {
        if (row < 0 || row >= count)
            RaiseListIndexError(row);
        doomed[static_cast<std::size_t>(row)] = true;
    }

    std::vector<RowRun> runs;
    for (int row = 0; row < count; ++row) {
        if (!doomed[static_cast<std::size_t>(row)])
            continue;
        if (!runs.empty() && runs.back().Last == row - 1)
            runs.back().Last = row;
        else
            runs.push_back({row, row});
    }

    if (runs.size() <= kMaxRowRemovalRuns) {
        // From the back, so the rows of the runs still to go do not move.
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            beginRemoveRows({}, run->First, run->Last);
            FList.RemoveRange(static_cast<std::size_t>(run->First),
                              static_cast<std::size_t>(run->Last - run->First + 1));
            endRemoveRows();
        }
        return;
    }

    std::vector<std::size_t> indices;
    indices.reserve(rows.size());
    for (int row = 0; row < count; ++row) {
        if (doomed[static_cast<std::size_t>(row)])
            indices.push_back(static_cast<std::size_t>(row));
    }
    beginResetModel();
    FList.RemoveIndices(indices);
    endResetModel();
}

void FileListModel::Clear() {
    beginResetModel();
    FList.Clear();
    endResetModel();
}

void FileListModel::SortList(int sortColumn, bool ascending) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    const QModelIndexList oldIndexes = persistentIndexList();
    std::vector<const FileEntry*> heldEntries;
    heldEntries.reserve(static_cast<std::size_t>(oldIndexes.size()));
    for (const QModelIndex& held : oldIndexes)
        heldEntries.push_back(&FList.At(static_cast<std::size_t>(held.row())));

    try {
        FList.SortList(sortColumn, ascending);
    } catch (...) {
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        throw;
    }

    if (!oldIndexes.isEmpty()) {
        std::unordered_map<const FileEntry*, int> newRows;
        newRows.reserve(FList.Count());
        for (std::size_t row = 0; row < FList.Count(); ++row)
            newRows.emplace(&FList.At(row), static_cast<int>(row));
        QModelIndexList newIndexes;
        newIndexes.reserve(oldIndexes.size());
        for (qsizetype i = 0; i < oldIndexes.size(); ++i) {
            const int newRow = newRows.at(heldEntries[static_cast<std::size_t>(i)]);
            newIndexes.append(createIndex(newRow, oldIndexes[i].column()));
        }
        changePersistentIndexList(oldIndexes, newIndexes);
    }

    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

FileEntry* FileListModel::EntryAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= FList.Count())
        return nullptr;
    return &FList.At(static_cast<std::size_t>(index.row()));
}

QModelIndex FileListModel::IndexOf(const FileEntry* entry, int column) const {
    const std::optional<std::size_t> row = FList.IndexOf(entry);
    if (!row)
        return {};
    return index(static_cast<int>(*row), column);
}

QModelIndex FileListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || static_cast<std::size_t>(row) >= FList.Count() ||
        column < 0 || column >= ColumnCount)
        return {};
    return createIndex(row, column);
}

QModelIndex FileListModel::parent(const QModelIndex&) const {
    return {};
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FList.Count());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    const FileEntry* entry = EntryAt(index);
    if (entry == nullptr)
        return {};
    if (role == Qt::DisplayRole)
        return VST1GetText(*entry, index.column());
    if (role == Qt::DecorationRole && VST1GetImageIndex(index.column()) == kFileImageIndex &&
        !FFileIcon.isNull())
        return FFileIcon;
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return section < FHeaderTexts.size() ? FHeaderTexts[section]
                                             : QString::fromLatin1(kHeaderTexts[section]);
    return {};
}

void FileListModel::SetHeaderTexts(const QStringList& texts) {
    FHeaderTexts = texts;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren |
           Qt::ItemIsDropEnabled;
}

Qt::DropActions FileListModel::supportedDropActions() const {
    return Qt::CopyAction;
}

QStringList FileListModel::mimeTypes() const {
    return {QString::fromLatin1(kDroppedFilesMimeType)};
}

} // namespace zent
