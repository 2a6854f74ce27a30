#include "app/FileListView.h"

#include "filelist/FileListModel.h"
#include "framework/PathText.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>

namespace zent {

namespace {
// Dropped files are only read, never moved, whatever keys are held.
void AcceptAsCopy(QDropEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
} // namespace

FileListView::FileListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setIndentation(0);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSortingEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    header()->setSectionsMovable(true);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setStretchLastSection(false);
    setTextElideMode(Qt::ElideMiddle);
}

// Left and Right move the focus between the cells of a row, in the order the header shows
// the columns; at either end they stay.
QModelIndex FileListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    if ((action != MoveLeft && action != MoveRight) || !current.isValid())
        return QTreeView::moveCursor(action, modifiers);
    const int visual = header()->visualIndex(current.column()) + (action == MoveRight ? 1 : -1);
    if (visual < 0 || visual >= header()->count())
        return current;
    return current.siblingAtColumn(header()->logicalIndex(visual));
}

bool FileListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const auto* files = qobject_cast<const FileListModel*>(model());
        if (files && index.isValid() && index.column() == FileListModel::FilenameColumn) {
            const FileEntry& entry = files->List().At(static_cast<std::size_t>(index.row()));
            QToolTip::showText(help->globalPos(), PathToQString(entry.SourcePath), viewport());
            return true;
        }
    }
    return QTreeView::viewportEvent(event);
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    if (OnKeyDown && OnKeyDown(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    AcceptAsCopy(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    AcceptAsCopy(event);
}

void FileListView::dropEvent(QDropEvent* event) {
    AcceptAsCopy(event);
    if (OnDragDrop)
        OnDragDrop(event->mimeData());
}

} // namespace zent
