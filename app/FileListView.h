#pragma once

#include <QTreeView>
#include <functional>

class QMimeData;

namespace zent {

// The list control: a flat, multi-select tree view that hands drops, the Delete key and
// header clicks to the window. Long names are shortened in the middle, so that their extension
// shows; the tooltip of a name is the whole path.
class FileListView : public QTreeView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    // Returns true when the key was handled.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    std::function<void(const QMimeData* data)> OnDragDrop;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace zent
