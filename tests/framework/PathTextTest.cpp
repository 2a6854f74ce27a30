#include "framework/PathText.h"

#include "tests/support/TempDir.h"

#include <QFile>
#include <QUrl>
#include <fstream>
#include <gtest/gtest.h>

namespace zent {
namespace {

TEST(PathFromFileUrl, GivesThePathsOwnBytes) {
    const struct {
        const char* url;
        std::string path;
    } cases[] = {
        {"file:///music/caf%E9.mp3", "/music/caf\xE9.mp3"},
        {"file:///my%20music/%C3%A9t%C3%A9.ogg", "/my music/\xC3\xA9t\xC3\xA9.ogg"},
        {"file://server/share/a.mp3", "//server/share/a.mp3"},
        {"https://example.org/a.mp3", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathFromFileUrl(QUrl::fromEncoded(c.url)), c.path) << c.url;
}

TEST(PathFromShownText, FindsTheBytesOfANameShownWithReplacementCharacters) {
    test::TempDir dir;
    const auto folder = dir.File("Musik \xE9");
    std::filesystem::create_directory(folder);
    const auto file = folder / "caf\xE9.mp3";
    std::ofstream(file) << "x";
    // Two names that are shown alike are not told apart.
    std::ofstream(folder / "x\xE8") << "x";
    std::ofstream(folder / "x\xE9") << "x";
    const auto shown = [](const std::filesystem::path& path) {
        return QFile::decodeName(QByteArray::fromStdString(path.native()));
    };

    EXPECT_EQ(PathFromShownText(shown(file)), file.native());
    EXPECT_EQ(PathFromShownText(shown(folder / "x\xE9")), (folder / "x\xEF\xBF\xBD").native());
    EXPECT_EQ(PathFromShownText(QStringLiteral("/new/\u00E9t\u00E9")), "/new/\xC3\xA9t\xC3\xA9");
}

} // namespace
} // namespace zent
