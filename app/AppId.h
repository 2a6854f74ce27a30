#pragma once

namespace zent {

// One name for the desktop entry, the icon, the metainfo and the window's desktop file name.
inline constexpr const char* kAppId = "org.example.zent.Zent";
inline constexpr const char* kAppVersion = "1.0";

} // namespace zent
