// The program as a desktop installs it: where settings and the default target live, files
// from the command line and from later starts, keys, and what assistive technology sees.
#include "app/CommandLine.h"
#include "app/CoreTexts.h"
#include "app/Places.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "controls/DirectoryEdit.h"
#include "controls/ProgressCyl.h"
#include "tests/app/MainFormFixture.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <array>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zent::test {
namespace {

struct PlacesCase {
    const char* what;
    AppDirFacts facts;
    const char* music;
    Places expected;
};

TEST(PlacesTest, SettingsStayBesideTheProgramOnlyWhereTheyCan) {
    const PlacesCase cases[] = {
        {"writable directory",
         {false, true, false},
         "/home/u/Music",
         {"/opt/z/zent.cfg", "/opt/z/Temp", true}},
        {"read-only directory",
         {false, false, false},
         "/home/u/Music",
         {"/home/u/.config/Zent/zent.cfg", "/home/u/Music/Zent", false}},
        {"file present in a read-only directory",
         {true, false, false},
         "/home/u/Music",
         {"/opt/z/zent.cfg", "/opt/z/Temp", true}},
        {"installed, writable by root",
         {false, true, true},
         "/home/u/Music",
         {"/home/u/.config/Zent/zent.cfg", "/home/u/Music/Zent", false}},
        {"no music directory",
         {false, false, false},
         "",
         {"/home/u/.config/Zent/zent.cfg", "/home/u/Zent", false}},
    };
    for (const PlacesCase& c : cases) {
        const Places places =
            ChoosePlaces("/opt/z", c.facts, "/home/u/.config/Zent", c.music, "/home/u");
        EXPECT_EQ(places.configPath, c.expected.configPath) << c.what;
        EXPECT_EQ(places.defaultTargetDir, c.expected.defaultTargetDir) << c.what;
        EXPECT_EQ(places.portable, c.expected.portable) << c.what;
    }
}

class DesktopTest : public MainFormTest {
protected:
    TempDir home;

    Places Installed() const {
        return {(home.Path() / ".config/Zent/zent.cfg").string(),
                (home.Path() / "Music/Zent").string(), false};
    }

    void StartInstalled() {
        form = std::make_unique<TMainForm>(Q(appDir.Path()), nullptr, Installed());
        form->show();
        QApplication::processEvents();
    }

    void StartActive() {
        StartForm();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
};

TEST_F(DesktopTest, AnInstalledProgramMakesItsOwnTargetAtConvertAndSavesInTheUserConfig) {
    StartInstalled();
    const auto target = home.Path() / "Music/Zent";
    EXPECT_EQ(Child<DirectoryEdit>("JvDirectoryEdit1")->Text(), Q(target));
    AddThroughDialog({Q(Ogg("song.ogg"))});
    EXPECT_FALSE(std::filesystem::exists(target)); // not before a run needs it
    Child<QToolButton>("ConvertButton")->click();
    WaitForRun();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(target / "song.wav"));
    ASSERT_TRUE(form->close());
    EXPECT_TRUE(std::filesystem::is_regular_file(home.Path() / ".config/Zent/zent.cfg"));
    EXPECT_FALSE(std::filesystem::exists(ConfigFile()));
}

TEST_F(DesktopTest, APortableProgramMakesItsTempDirectoryAtConvert) {
    StartForm();
    AddThroughDialog({Q(Mp3("song.mp3"))});
    Child<QToolButton>("ConvertButton")->click();
    WaitForRun();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_TRUE(std::filesystem::is_regular_file(appDir.File("Temp") / "song.wav"));
}

struct CommandLineCase {
    std::vector<const char*> argv;
    std::vector<std::string> files;
    std::optional<int> exitCode;
    const char* output;
    bool onlyText = false; // answered without a display
};

TEST(CommandLineTest, OptionsEndTheProgramAndFilesKeepTheirBytes) {
    const CommandLineCase cases[] = {
        {{"zent"}, {}, std::nullopt, ""},
        {{"zent", "a.mp3", "/x/b.ogg", "--", "-c.ogg"},
         {"/home/u/a.mp3", "/x/b.ogg", "/home/u/-c.ogg"},
         std::nullopt,
         ""},
        {{"zent", "\xff\xfe name.ogg"}, {"/home/u/\xff\xfe name.ogg"}, std::nullopt, ""},
        {{"zent", "--help", "a.mp3"}, {}, 0, "Usage:", true},
        {{"zent", "--version"}, {}, 0, "1.0", true},
        {{"zent", "--no-such-option"}, {}, 1, "no-such-option"},
    };
    for (const CommandLineCase& c : cases) {
        const CommandLine line =
            ParseCommandLine(static_cast<int>(c.argv.size()), c.argv.data(), "/home/u");
        EXPECT_EQ(line.files, c.files) << c.argv.back();
        EXPECT_EQ(line.exitCode, c.exitCode) << c.argv.back();
        EXPECT_NE(line.output.find(c.output), std::string::npos) << c.argv.back();
        EXPECT_EQ(AsksOnlyForText(static_cast<int>(c.argv.size()), c.argv.data()), c.onlyText)
            << c.argv.back();
    }
}

TEST_F(DesktopTest, CommandLineFilesAreAddedLikeADropAndTheErrorShownAfterwards) {
    StartForm();
    Ogg("good.ogg");
    TextFile("bad.mp3");
    Mp3("later.mp3");
    const char* argv[] = {"zent", "good.ogg", "bad.mp3", "later.mp3"};
    const CommandLine line = ParseCommandLine(4, argv, media.Path().string());
    form->AddShellFiles(line.files);
    EXPECT_EQ(Rows(), 2); // the batch ends at the file that cannot be decoded
    EXPECT_TRUE(dialogs.errors.isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(dialogs.errors, QStringList{"Sample not loaded."});
    EXPECT_EQ(StatusPanel(0), "2 file(s)");
}

// Leaves a socket file behind as a program that was killed would.
void LeaveStaleSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

TEST(SingleInstanceTest, ALaterStartHandsItsFilesToTheRunningWindow) {
    TempDir dir;
    const QString name = Q(dir.File("instance"));
    LeaveStaleSocket(dir.File("instance").string());
    InstanceServer running(name);
    ASSERT_TRUE(running.Listen()); // the stale name is taken over
    InstanceServer second(name);
    EXPECT_FALSE(second.Listen()); // a live window keeps it

    QSignalSpy received(&running, &InstanceServer::FilesReceived);
    const std::vector<std::string> files = {"/music/a.mp3", "/music/\xff\xfe.ogg"};
    auto sent = std::async(std::launch::async, [&] { return SendToRunningInstance(name, files); });
    while (sent.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
        QApplication::processEvents();
    EXPECT_TRUE(sent.get());
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.front().front().value<std::vector<std::string>>(), files);
}

TEST(SingleInstanceTest, NoRunningWindowMeansNoHandOver) {
    TempDir dir;
    EXPECT_FALSE(SendToRunningInstance(Q(dir.File("nobody")), {"/music/a.mp3"}));
}

TEST_F(DesktopTest, CtrlOOpensTheAddDialog) {
    StartActive();
    dialogs.openFileAnswers.push_back({Q(Ogg("a.ogg"))});
    QTest::keyClick(List(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Child<QToolButton>("AddFilesButton")->toolTip(),
              "Add MP3 or OGG files for processing (Ctrl+O)");
    EXPECT_EQ(Child<QToolButton>("AddFilesButton")->accessibleName(),
              "Add MP3 or OGG files for processing");
}

TEST_F(DesktopTest, EscapeStopsARun) {
    StartActive();
    AddThroughDialog({Q(Ogg("only.ogg"))});
    TempDir target;
    Child<DirectoryEdit>("JvDirectoryEdit1")->SetText(Q(target.Path()));
    QTimer::singleShot(0, form.get(), [this] { QTest::keyClick(List(), Qt::Key_Escape); });
    Child<QToolButton>("ConvertButton")->click();
    WaitForRun();
    EXPECT_EQ(Rows(), 1);
    EXPECT_FALSE(std::filesystem::exists(target.File("only.wav")));
}

TEST_F(DesktopTest, ExtraWidthGoesToTheNamesAndTheDirectoryAndNarrowingClipsNoButton) {
    StartForm();
    QHeaderView* header = List()->header();
    auto* field = Child<DirectoryEdit>("JvDirectoryEdit1");
    const int nameWidth = header->sectionSize(FileListModel::FilenameColumn);
    const int lengthWidth = header->sectionSize(FileListModel::LengthColumn);
    const int fieldWidth = field->width();
    form->resize(form->width() + 200, form->height());
    QApplication::processEvents();
    EXPECT_EQ(header->sectionSize(FileListModel::FilenameColumn), nameWidth + 200);
    EXPECT_EQ(header->sectionSize(FileListModel::LengthColumn), lengthWidth);
    EXPECT_EQ(field->width(), fieldWidth + 200);

    form->resize(100, form->height());
    QApplication::processEvents();
    const QWidget* top = Child<QWidget>("TopPanel");
    EXPECT_LE(Child<QToolButton>("ExitButton")->geometry().right(), top->width());
    EXPECT_LE(field->geometry().right(), top->width());
}

TEST_F(DesktopTest, TheBarsAreProgressBarsWithTheirValue) {
    StartForm();
    for (const char* name : {"ProgressCyl1", "TotalProgressCyl"}) {
        auto* bar = Child<TProgressCyl>(name);
        bar->SetPosition(42);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(bar);
        ASSERT_NE(accessible, nullptr) << name;
        EXPECT_EQ(accessible->role(), QAccessible::ProgressBar) << name;
        ASSERT_NE(accessible->valueInterface(), nullptr) << name;
        EXPECT_EQ(accessible->valueInterface()->currentValue().toInt(), 42) << name;
        EXPECT_EQ(accessible->valueInterface()->maximumValue().toInt(), 100) << name;
    }
}

TEST_F(DesktopTest, ForwardTabGoesRoundToTheListAndBacktabComesBack) {
    StartActive();
    const auto focused = [] {
        const QWidget* widget = QApplication::focusWidget();
        return widget->objectName().isEmpty() ? QString(widget->metaObject()->className())
                                              : widget->objectName();
    };
    QStringList forward;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << focused();
    }
    // An empty list: Delete, Convert and Clear all are disabled, Stop hidden.
    EXPECT_EQ(forward.join(' '), "AddFilesButton ExitButton QLineEdit QToolButton PropButton VST1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(focused(), "PropButton");
}

TEST_F(DesktopTest, LeftAndRightMoveBetweenTheCellsOfARow) {
    StartActive();
    AddThroughDialog({Q(Mp3("a.mp3")), Q(Mp3("b.mp3"))});
    List()->setFocus();
    List()->setCurrentIndex(form->Model().index(1, 0));
    QTest::keyClick(List(), Qt::Key_Right);
    EXPECT_EQ(List()->currentIndex(), form->Model().index(1, 1));
    QTest::keyClick(List(), Qt::Key_Right);
    QTest::keyClick(List(), Qt::Key_Right);
    EXPECT_EQ(List()->currentIndex(), form->Model().index(1, 2));
    QTest::keyClick(List(), Qt::Key_Left);
    EXPECT_EQ(List()->currentIndex(), form->Model().index(1, 1));
}

TEST_F(DesktopTest, TheListTheFieldAndTheBarsHaveAccessibleNames) {
    StartForm();
    const std::pair<QWidget*, const char*> named[] = {
        {List(), "Files to convert"},
        {Child<DirectoryEdit>("JvDirectoryEdit1")->LineEdit(), "Output directory"},
        {Child<QWidget>("ProgressCyl1"), "Progress of the current file"},
        {Child<QWidget>("TotalProgressCyl"), "Progress of all files"},
    };
    for (const auto& [widget, name] : named)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), name);
}

TEST_F(DesktopTest, TheStatusBarKeepsItsHeightUnlessItsFontNeedsMore) {
    const QFont before = QApplication::font();
    for (const int pixels : {8, 40}) {
        QFont font = before;
        font.setPixelSize(pixels);
        QApplication::setFont(font);
        StartForm();
        const int height = Child<QStatusBar>("StatusBar1")->height();
        if (pixels == 8)
            EXPECT_EQ(height, 19);
        else
            EXPECT_GT(height, QFontMetrics(font).height());
        form.reset();
    }
    QApplication::setFont(before);
}

TEST_F(DesktopTest, UnderAGermanLocaleTheWindowSpeaksGermanAndUnderCAsWritten) {
    LoadTranslations(QLocale::c());
    StartForm();
    EXPECT_EQ(form->windowTitle(), "Zent MP3 OGG to WAV converter 1.0");
    form.reset();

    LoadTranslations(QLocale(QLocale::German, QLocale::Germany));
    StartForm();
    EXPECT_EQ(form->windowTitle(), "Zent MP3-OGG-nach-WAV-Konverter 1.0");
    EXPECT_EQ(StatusPanel(0), "0 Dateien");
    EXPECT_EQ(form->Model().headerData(0, Qt::Horizontal).toString(), "Dateiname");
    // The core's messages are translated around the path, which stays as it is.
    EXPECT_EQ(ShownCoreText({CoreTextId::CannotCreateFile, {"/m/\u00e4 \"x\".wav", "Disk full"}}),
              "Die Datei \u201e/m/\u00e4 \"x\".wav\u201c kann nicht angelegt werden. Disk full");
    EXPECT_EQ(ShownCoreText({CoreTextId::Done, {"42"}}), "Fertig 42%");
    // An argument that looks like a placeholder stays as it is.
    EXPECT_EQ(ShownCoreText({CoreTextId::Done, {"%1"}}), "Fertig %1%");
    EXPECT_EQ(ShownCoreText({CoreTextId::Plain, {"a text of no table"}}), "a text of no table");
    // A decoder's warning, as the run report shows it.
    EXPECT_EQ(ShownCoreText({CoreTextId::LostData, {"1:00.0", "0:00.5"}}),
              "Daten verloren oder beschädigt bei 1:00.0: 0:00.5 Stille an ihrer Stelle");
    form.reset();
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

struct LanguageCase {
    QLocale locale;
    const char* title;
    std::array<const char*, 4> files; // "%n file(s)" for 1, 2, 5 and 22 files
};

TEST_F(DesktopTest, EachLanguageNamesTheWindowAndCountsInItsPluralForms) {
    const LanguageCase cases[] = {
        {QLocale(QLocale::German, QLocale::Germany),
         "Zent MP3-OGG-nach-WAV-Konverter 1.0",
         {"1 Datei", "2 Dateien", "5 Dateien", "22 Dateien"}},
        {QLocale(QLocale::French, QLocale::France),
         "Zent, convertisseur MP3 OGG en WAV 1.0",
         {"1 fichier", "2 fichiers", "5 fichiers", "22 fichiers"}},
        {QLocale(QLocale::Spanish, QLocale::Spain),
         "Zent, conversor de MP3 OGG a WAV 1.0",
         {"1 fichero", "2 ficheros", "5 ficheros", "22 ficheros"}},
        {QLocale(QLocale::Italian, QLocale::Italy),
         "Zent, convertitore da MP3 OGG a WAV 1.0",
         {"1 file", "2 file", "5 file", "22 file"}},
        {QLocale(QLocale::Portuguese, QLocale::Brazil),
         "Zent, conversor de MP3 OGG para WAV 1.0",
         {"1 arquivo", "2 arquivos", "5 arquivos", "22 arquivos"}},
        {QLocale(QLocale::Polish, QLocale::Poland),
         "Zent \u2013 konwerter MP3 OGG na WAV 1.0",
         {"1 plik", "2 pliki", "5 plik\u00f3w", "22 pliki"}},
    };
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        LoadTranslations(c.locale);
        StartForm();
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(c.title));
        const int counts[] = {1, 2, 5, 22};
        for (size_t i = 0; i < c.files.size(); ++i)
            EXPECT_EQ(
                QCoreApplication::translate("zent::TMainForm", "%n file(s)", nullptr, counts[i]),
                QString::fromUtf8(c.files[i]));
        form.reset();
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
}

} // namespace
} // namespace zent::test
