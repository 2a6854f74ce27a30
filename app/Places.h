#pragma once

#include <string>

namespace zent {

// Where the program keeps its settings and where it converts to when nothing is stored.
struct Places {
    std::string configPath;       // zent.cfg
    std::string defaultTargetDir; // the program's own target directory
    bool portable = true;         // running from a directory of its own
};

// What is known about the executable's directory.
struct AppDirFacts {
    bool configPresent = false; // zent.cfg is already there
    bool writable = false;
    bool installed = false; // a desktop entry of this program sits in <dir>/../share/applications
};

// The rule: settings stay beside the executable when they already are there, or when the
// directory is writable and not an installed program's; otherwise they go to the user's
// configuration directory. musicDir and homeDir may be empty.
Places ChoosePlaces(const std::string& appDir, const AppDirFacts& facts,
                    const std::string& userConfigDir, const std::string& musicDir,
                    const std::string& homeDir);

// The rule applied to the running system.
Places FindPlaces(const std::string& appDir);

// Creates the directory that will hold configPath, when it is missing; the save reports
// whatever still fails.
void PrepareConfigDir(const std::string& configPath);

// Creates the program's own default directory (and its parents); false when that fails.
bool CreateDefaultTargetDir(const std::string& dir);

} // namespace zent
