#include "controls/DirectoryEdit.h"

#include "controls/Dialogs.h"
#include "controls/ErrorHandler.h"
#include "framework/PathText.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace zent {

DirectoryEdit::DirectoryEdit(bool ownDialog, QWidget* parent)
    : QWidget(parent), FEdit(new QLineEdit(this)), FBrowse(new QToolButton(this)),
      FOwnDialog(ownDialog) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FEdit);
    layout->addWidget(FBrowse);
    FBrowse->setText(QStringLiteral("..."));
    FBrowse->setFocusPolicy(Qt::TabFocus);
    FBrowse->setToolTip(tr("Browse"));
    FBrowse->setAccessibleName(tr("Browse"));
    setFocusProxy(FEdit);
    connect(FBrowse, &QToolButton::clicked, this, [this] { Guarded([this] { BrowseClick(); }); });
}

QString DirectoryEdit::Text() const {
    return FEdit->text();
}

void DirectoryEdit::SetText(const QString& text) {
    FEdit->setText(text);
    FPathSet = false;
}

std::string DirectoryEdit::Path() const {
    if (FPathSet && FEdit->text() == FShownPath)
        return FPath;
    return PathFromShownText(FEdit->text());
}

void DirectoryEdit::SetPath(const std::string& path) {
    FEdit->setText(PathToQString(path));
    FPath = path;
    FShownPath = FEdit->text();
    FPathSet = true;
}

void DirectoryEdit::BrowseClick() {
    const QString chosen = Dialogs::Current().GetExistingDirectory(this, FEdit->text(), FOwnDialog);
    if (!chosen.isEmpty())
        SetPath(PathFromShownText(QDir::toNativeSeparators(chosen)));
}

} // namespace zent
