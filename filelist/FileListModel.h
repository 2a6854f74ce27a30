#pragma once

#include "filelist/FileList.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <string>
#include <vector>

namespace zent {

// The item model that the list view VST1 shows: three columns, one row per entry of the
// FileList it owns. Every change goes through here so that views stay in step.
class FileListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { FilenameColumn = 0, LengthColumn = 1, SizeColumn = 2, ColumnCount = 3 };

    explicit FileListModel(QObject* parent = nullptr);

    const FileList& List() const { return FList; }
    void SetFileIcon(const QIcon& icon);

    // Appends a row at the end and probes it; throws "Sample not loaded." after the row is
    // in. Returns null when the extension is not accepted.
    FileEntry* AddFile(const std::string& path);
    // Appends a ready-made row without probing it.
    FileEntry* AppendEntry(FileEntry entry);
    void RemoveEntry(const FileEntry* entry); // an entry not in the list is ignored
    // One pass, any order of rows. Few runs of adjacent rows go as row removals, which keep
    // the view's current index and selection; scattered rows reset the model, after which
    // the caller sets the focus again.
    void RemoveRows(const std::vector<int>& rows);
    void Clear();
    // Re-sorts, keeping selections and the current index on the same entries.
    void SortList(int sortColumn, bool ascending);

    FileEntry* EntryAt(const QModelIndex& index) const;
    QModelIndex IndexOf(const FileEntry* entry, int column = 0) const;
    double TotalProjectedSize() const { return FList.TotalProjectedSize(); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The column captions as shown (the window's language); English until set.
    void SetHeaderTexts(const QStringList& texts);
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;

private:
    FileList FList;
    QIcon FFileIcon;
    QStringList FHeaderTexts;
};

// Cell texts and images by column index, as the view asks for them.
QString VST1GetText(const FileEntry& entry, int column);
int VST1GetImageIndex(int column); // 0 for the file name column, else -1 (no image)

} // namespace zent
