#include "app/CommandLine.h"

#include "app/AppId.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace zent {

namespace {

std::string Absolute(const std::string& name, const std::string& currentDir) {
    if (name.starts_with('/') || currentDir.empty())
        return name;
    return currentDir.ends_with('/') ? currentDir + name : currentDir + '/' + name;
}

bool HasOption(int argc, const char* const* argv, std::initializer_list<std::string_view> options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            return false;
        for (const std::string_view option : options) {
            if (argument == option)
                return true;
        }
    }
    return false;
}

} // namespace

bool AsksOnlyForText(int argc, const char* const* argv) {
    return HasOption(argc, argv, {"-h", "--help", "-?", "--help-all", "-v", "--version"});
}

bool AsksForQtOptions(int argc, const char* const* argv) {
    return HasOption(argc, argv, {"--help-all"});
}

CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& currentDir) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts MP3, Ogg Vorbis, Opus and FLAC files into PCM WAV files."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral(
            "MP3, Ogg Vorbis, Opus or FLAC files, or folders of them, to put in the list; "
            "after --, also names that start with '-'."),
        QStringLiteral("[FILE...]"));

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.exitCode = 1;
        result.output = parser.errorText().toStdString() + "\n";
        return result;
    }
    // Qt's parser lists the options of the application object, then ends the program.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments);
    if (parser.isSet(help)) {
        result.exitCode = 0;
        result.output = parser.helpText().toStdString();
        return result;
    }
    if (parser.isSet(version)) {
        result.exitCode = 0;
        result.output =
            QCoreApplication::applicationName().toStdString() + " " + kAppVersion + "\n";
        return result;
    }
    // The parser knows no option that takes a value, so every argument that is not an
    // option is a file, and "--" ends the options.
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (options && std::strcmp(argument, "--") == 0) {
            options = false;
            continue;
        }
        if (options && argument[0] == '-' && argument[1] != '\0')
            continue;
        result.files.push_back(Absolute(argument, currentDir));
    }
    return result;
}

} // namespace zent
