#pragma once

#include <QIcon>

namespace zent {

// The program's own pictures, drawn in code so that they scale and need no resource files.
enum class ButtonIcon { Add, Delete, ClearAll, Properties, Convert, Exit, Stop };

// A button picture with a disabled look of its own (except Stop, which is never disabled).
QIcon MakeButtonIcon(ButtonIcon which);
QIcon MakeWindowIcon();
QIcon MakeFileIcon(); // 16 x 16, in front of every file name

} // namespace zent
