#include "app/Places.h"

#include "app/AppId.h"
#include "framework/PathText.h"

#include <QStandardPaths>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace zent {

namespace {

constexpr char kSeparator = '/';

std::string Join(const std::string& dir, const char* name) {
    return dir + kSeparator + name;
}

std::string Writable(QStandardPaths::StandardLocation location) {
    return QStringToPath(QStandardPaths::writableLocation(location));
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(ToFileSystemPath(path), error);
}

} // namespace

Places ChoosePlaces(const std::string& appDir, const AppDirFacts& facts,
                    const std::string& userConfigDir, const std::string& musicDir,
                    const std::string& homeDir) {
    if (facts.configPresent || (facts.writable && !facts.installed))
        return {Join(appDir, "zent.cfg"), Join(appDir, "Temp"), true};
    const std::string& base = !musicDir.empty() ? musicDir : homeDir;
    return {Join(userConfigDir, "zent.cfg"), Join(base, "Zent"), false};
}

Places FindPlaces(const std::string& appDir) {
    AppDirFacts facts;
    facts.configPresent = Exists(Join(appDir, "zent.cfg"));
    facts.writable = ::access(appDir.empty() ? "/" : appDir.c_str(), W_OK) == 0;
    const std::string entry = std::string("/../share/applications/") + kAppId + ".desktop";
    facts.installed = Exists(appDir + entry);
    return ChoosePlaces(appDir, facts, Writable(QStandardPaths::AppConfigLocation),
                        Writable(QStandardPaths::MusicLocation),
                        Writable(QStandardPaths::HomeLocation));
}

void PrepareConfigDir(const std::string& configPath) {
    std::error_code error;
    std::filesystem::create_directories(ToFileSystemPath(configPath).parent_path(), error);
}

bool CreateDefaultTargetDir(const std::string& dir) {
    std::error_code error;
    std::filesystem::create_directories(ToFileSystemPath(dir), error);
    return !error && std::filesystem::is_directory(ToFileSystemPath(dir), error);
}

} // namespace zent
