// The window's output settings, folders, runs that go on past a failure with their report,
// the run's order after a re-sort, and room for translated texts.
#include "app/CoreTexts.h"
#include "app/RunReport.h"
#include "app/ShellFiles.h"
#include "app/Translations.h"
#include "controls/DirectoryEdit.h"
#include "settings/Options.h"
#include "settings/OutputItem.h"
#include "tests/app/MainFormFixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>

namespace zent::test {
namespace {

struct WavFacts {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::uint64_t dataBytes = 0;
};

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

WavFacts ReadWav(const std::filesystem::path& file) {
    const std::string bytes = ReadBytes(file);
    WavFacts facts;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::uint32_t size = Le(bytes, at + 4, 4);
        if (id == "fmt ") {
            facts.channels = static_cast<int>(Le(bytes, at + 10, 2));
            facts.rate = static_cast<int>(Le(bytes, at + 12, 4));
            facts.bits = static_cast<int>(Le(bytes, at + 22, 2));
        } else if (id == "data") {
            facts.dataBytes = size;
        }
        at += 8 + size + (size & 1);
    }
    return facts;
}

class OutputWindowTest : public MainFormTest {
protected:
    TempDir target;

    void SetTarget(const std::filesystem::path& dir) {
        Child<DirectoryEdit>("JvDirectoryEdit1")->SetText(Q(dir));
    }
    void ClickConvert(unsigned jobs = 1) {
        form->SetJobCount(jobs);
        Child<QToolButton>("ConvertButton")->click();
        WaitForRun();
    }

    // Opens Properties, lets person act on it and presses OK.
    void SetProperties(const std::function<void(QDialog&)>& person) {
        dialogs.onExec = [&](QDialog& dialog) {
            person(dialog);
            dialog.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        };
        Child<QToolButton>("PropButton")->click();
        dialogs.onExec = nullptr;
    }

    // The combo box a screen reader knows by this name, set to the entry with this text.
    static void Choose(QDialog& dialog, const QString& name, const QString& text) {
        for (QComboBox* combo : dialog.findChildren<QComboBox*>()) {
            if (combo->accessibleName() != name)
                continue;
            const int index = combo->findText(text);
            ASSERT_GE(index, 0) << text.toStdString();
            combo->setCurrentIndex(index);
            return;
        }
        ADD_FAILURE() << "no combo box named " << name.toStdString();
    }
    static void Check(QDialog& dialog, const QString& text) {
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
            if (box->text() == text)
                return box->setChecked(true);
        ADD_FAILURE() << "no check box " << text.toStdString();
    }
};

TEST_F(OutputWindowTest, OutputSettingsAreKeptInTheirOwnSectionAndShownAfterARestart) {
    StartForm();
    SetProperties([](QDialog& dialog) {
        Choose(dialog, "Sample format", "24-bit");
        Choose(dialog, "Sample rate", "16000 Hz");
        Choose(dialog, "Channels", "Mono");
        Choose(dialog, "Existing files", "Skip");
        Choose(dialog, "Jobs", "3");
        Check(dialog, "Copy tags");
        Check(dialog, "Keep folders");
        Check(dialog, "Keep going when a file fails");
    });
    ASSERT_TRUE(form->close());
    const std::string config = ReadConfig();
    EXPECT_EQ(config.substr(0, config.find("\n\n")),
              "[Options]\nAscending=True\nDefaultDir=" + appDir.Path().string() +
                  "/Temp\nName=\nOrdering=0\nTag=0");
    EXPECT_EQ(config.substr(config.find("\n\n") + 2),
              "[Output]\nChannels=1\nCopyTags=True\nExistingFiles=Skip\nJobs=3\n"
              "KeepFolders=True\nKeepGoing=True\nSampleFormat=Bits24\nSampleRate=16000\n");

    StartForm();
    QStringList shown;
    dialogs.onExec = [&](QDialog& dialog) {
        for (const char* name : {"SampleFormatCombo", "SampleRateCombo", "ChannelsCombo",
                                 "ExistingCombo", "JobsCombo"})
            shown << dialog.findChild<QComboBox*>(QLatin1String(name))->currentText();
        for (const char* name : {"CopyTagsBox", "KeepFoldersBox", "KeepGoingBox"})
            shown << (dialog.findChild<QCheckBox*>(QLatin1String(name))->isChecked() ? "on"
                                                                                     : "off");
    };
    Child<QToolButton>("PropButton")->click();
    EXPECT_EQ(shown.join(','), "24-bit,16000 Hz,Mono,Skip,3,on,on,on");
}

TEST_F(OutputWindowTest, FormatRateAndChannelsMakeTheFileAndTheProjectedSize) {
    StartForm();
    constexpr int kSeconds = 3;
    AddThroughDialog({Q(Mp3("song.mp3", kSeconds))});
    EXPECT_EQ(StatusPanel(1), "Total disk space needed: 0.5 MB"); // 3 s, 44100 Hz, stereo
    SetProperties([](QDialog& dialog) {
        Choose(dialog, "Sample format", "24-bit");
        Choose(dialog, "Sample rate", "16000 Hz");
        Choose(dialog, "Channels", "Mono");
    });
    EXPECT_EQ(form->Model().List().At(0).ProjectedSize, kSeconds * 16000 * 3);
    EXPECT_EQ(StatusPanel(1), "Total disk space needed: 0.1 MB");
    SetTarget(target.Path());
    ClickConvert();
    const WavFacts wav = ReadWav(target.File("song.wav"));
    EXPECT_EQ(wav.bits, 24);
    EXPECT_EQ(wav.rate, 16000);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.dataBytes, std::uint64_t{16000} * kSeconds * 3);
}

TEST_F(OutputWindowTest, CopyTagsPutsTheSourcesTagsAfterTheData) {
    // An ID3v2.3 tag with a title (an ISO-8859-1 frame) before the MP3.
    const std::string body = std::string(1, '\0') + "Tone";
    const std::string frame =
        "TIT2" + std::string{0, 0, 0, static_cast<char>(body.size()), 0, 0} + body;
    const std::string tag = std::string("ID3\x03\x00\x00", 6) +
                            std::string{0, 0, 0, static_cast<char>(frame.size())} + frame;
    const auto source = Mp3("tagged.mp3");
    const std::string mp3 = ReadBytes(source);
    std::ofstream(source, std::ios::binary) << tag << mp3;
    StartForm();
    AddThroughDialog({Q(source)});
    SetProperties([](QDialog& dialog) { Check(dialog, "Copy tags"); });
    SetTarget(target.Path());
    ClickConvert();
    const std::string wav = ReadBytes(target.File("tagged.wav"));
    EXPECT_NE(wav.find(std::string("INAM\x05\0\0\0Tone", 12)), std::string::npos);
}

TEST_F(OutputWindowTest, EachExistingFileChoiceMeetsAnOldFileItsOwnWay) {
    struct Case {
        const char* choice;
        bool oldKept;
        const char* newName; // where the new file goes; empty: nowhere
        const char* reported;
    } const cases[] = {
        {"Replace", false, "song.wav", ""},
        {"Number the new file", true, "song (2).wav", ""},
        {"Skip", true, "", "Skipped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        TempDir out;
        std::ofstream(out.File("song.wav")) << "an older file";
        StartForm();
        AddThroughDialog({Q(Mp3("song.mp3"))});
        SetProperties([&](QDialog& dialog) { Choose(dialog, "Existing files", c.choice); });
        SetTarget(out.Path());
        ClickConvert();
        EXPECT_EQ(ReadBytes(out.File("song.wav")) == "an older file", c.oldKept);
        if (*c.newName) {
            EXPECT_EQ(ReadWav(out.File(c.newName)).rate, 44100);
        }
        EXPECT_EQ(Rows(), 0);
        EXPECT_TRUE(dialogs.errors.isEmpty());
        RunReport* report = form->LastRunReport();
        EXPECT_EQ(report != nullptr, *c.reported != 0);
        if (report) {
            EXPECT_TRUE(report->Text().contains(QStringLiteral("song.mp3\t") + c.reported));
        }
        form.reset();
    }
}

TEST_F(OutputWindowTest, ADroppedFolderGivesItsAudioFilesInPathOrderAndKeepsItsFolders) {
    const auto album = media.File("Album");
    std::filesystem::create_directories(album / "CD2");
    EncodeMp3(album / "02 b.mp3", ToneSpec{44100, 2, 1.0});
    EncodeMp3(album / "01 a.mp3", ToneSpec{44100, 2, 1.0});
    EncodeOgg(album / "CD2" / "01 c.ogg", ToneSpec{44100, 2, 1.0});
    std::ofstream(album / "cover.jpg") << "picture";
    std::ofstream(album / "notes.txt") << "text";
    std::filesystem::create_directory_symlink("..", album / "up");
    StartForm();
    auto* data = new QMimeData;
    data->setUrls({FileUrl(album)});
    Drop(List(), data);
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(QStringList({NameAt(0), NameAt(1), NameAt(2)}).join('|'),
              "01 a.mp3|01 c.ogg|02 b.mp3");

    SetProperties([](QDialog& dialog) { Check(dialog, "Keep folders"); });
    SetTarget(target.Path());
    ClickConvert();
    EXPECT_EQ(Rows(), 0);
    for (const char* wav : {"Album/01 a.wav", "Album/02 b.wav", "Album/CD2/01 c.wav"})
        EXPECT_TRUE(std::filesystem::exists(target.File(wav))) << wav;
}

TEST_F(OutputWindowTest, FoldersOnTheCommandLineAndTheChooserAreWalkedInPathOrder) {
    const auto folder = media.File("Walk");
    std::filesystem::create_directories(folder / "b");
    EncodeMp3(folder / "b" / "x.mp3", ToneSpec{44100, 1, 1.0});
    EncodeMp3(folder / "a.mp3", ToneSpec{44100, 1, 1.0});
    const ShellFiles found = ExpandFolders({folder.string()});
    ASSERT_EQ(found.Files.size(), 2u);
    EXPECT_EQ(found.Files[0].Path, (folder / "a.mp3").string());
    EXPECT_EQ(found.Files[0].Folder, "Walk");
    EXPECT_EQ(found.Files[1].Folder, "Walk/b");

    StartForm();
    dialogs.directoryAnswers.push_back(Q(folder));
    form->AddFolderClick();
    while (form->Adding())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(Rows(), 2);
}

TEST_F(OutputWindowTest, KeepGoingConvertsTheRestAndReportsTheFileThatFailed) {
    for (const bool keepGoing : {true, false}) {
        SCOPED_TRACE(keepGoing);
        TempDir out;
        StartForm();
        const auto cut = Mp3("b cut.mp3", 3.0);
        AddThroughDialog({Q(Mp3("a good.mp3")), Q(cut), Q(Mp3("c good.mp3"))});
        std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
        if (keepGoing)
            SetProperties([](QDialog& dialog) { Check(dialog, "Keep going when a file fails"); });
        SetTarget(out.Path());
        ClickConvert();
        EXPECT_TRUE(std::filesystem::exists(out.File("a good.wav")));
        EXPECT_EQ(std::filesystem::exists(out.File("c good.wav")), keepGoing);
        EXPECT_EQ(NameAt(0), "b cut.mp3");
        if (keepGoing) {
            EXPECT_EQ(Rows(), 1);
            EXPECT_TRUE(dialogs.errors.isEmpty());
            RunReport* report = form->LastRunReport();
            ASSERT_NE(report, nullptr);
            EXPECT_EQ(report->accessibleName(), "Run report");
            auto* table = report->findChild<QTableWidget*>();
            ASSERT_EQ(table->rowCount(), 1);
            EXPECT_EQ(table->item(0, 0)->text(), "b cut.mp3");
            EXPECT_EQ(table->item(0, 1)->text(), "Failed");
            EXPECT_TRUE(table->item(0, 2)->text().contains("ends early"));
            report->findChild<QPushButton*>(QStringLiteral("CopyButton"))->click();
            EXPECT_EQ(QApplication::clipboard()->text(), report->Text());
        } else {
            EXPECT_EQ(Rows(), 2);
            ASSERT_EQ(dialogs.errors.size(), 1);
            EXPECT_TRUE(dialogs.errors.front().contains("ends early"));
            EXPECT_EQ(form->LastRunReport(), nullptr);
        }
        dialogs.errors.clear();
        form.reset();
    }
}

TEST_F(OutputWindowTest, AfterAReSortTheRunTakesTheTopmostEntryNotBegun) {
    StartForm();
    // Low rate and one channel: files that are quick to make, and the first two long enough
    // to be still on their way when the header is clicked.
    const std::map<std::string, double> seconds = {{"a", 240}, {"b", 240}, {"c", 5},
                                                   {"d", 5},   {"e", 5},   {"f", 5}};
    QStringList paths;
    for (const auto& [name, length] : seconds) {
        const auto path = media.File(name + ".ogg");
        EncodeOgg(path, ToneSpec{8000, 1, length});
        paths << Q(path);
    }
    AddThroughDialog(paths);
    SetTarget(target.Path());
    // A person clicks "Filename" (now descending) once the first file is on its way.
    QString clickedAt;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (StatusPanel(0).startsWith("Done ")) {
            clickedAt = StatusPanel(1);
            List()->header()->sectionClicked(0);
            clicker.stop();
        }
    });
    // One job: the order in which files leave the list is the order they were begun in.
    std::string left;
    QObject::connect(List()->model(), &QAbstractItemModel::rowsAboutToBeRemoved,
                     [&](const QModelIndex&, int first, int last) {
                         for (int row = first; row <= last; ++row)
                             left +=
                                 List()->model()->index(row, 0).data().toString().at(0).toLatin1();
                     });
    clicker.start(0);
    ClickConvert(1);
    ASSERT_EQ(Rows(), 0);
    // a and b were on their way or done at the click; the rest follows the new order.
    std::erase_if(left, [](char name) { return name == 'a' || name == 'b'; });
    EXPECT_EQ(left, "fedc") << "clicked while showing " << clickedAt.toStdString();
}

// Every language built into the program: the texts of Properties and of status panel 0 are
// shown whole, and the English layout is the drawn one.
TEST_F(OutputWindowTest, TranslatedTextsFitTheirControls) {
    QStringList languages = QDir(QStringLiteral(":/i18n")).entryList({QStringLiteral("*.qm")});
    ASSERT_FALSE(languages.isEmpty());
    languages.prepend(QString()); // English
    std::map<std::string, int> englishShort;
    for (const QString& language : languages) {
        SCOPED_TRACE(language.toStdString());
        QTranslator translator;
        if (!language.isEmpty()) {
            ASSERT_TRUE(translator.load(language, QStringLiteral(":/i18n")));
            QCoreApplication::installTranslator(&translator);
        }
        TOptionsForm dialog;
        dialog.show();
        for (const char* name :
             {"OKButton", "CancelButton", "FilenameRadio", "LengthRadio", "AscOrderBox"}) {
            auto* button = dialog.findChild<QAbstractButton*>(QLatin1String(name));
            // What the English text lacks in the desktop's font, a translation may lack too.
            if (language.isEmpty())
                englishShort[name] = std::max(0, button->sizeHint().width() - button->width());
            EXPECT_GE(button->width() + englishShort[name], button->sizeHint().width()) << name;
            EXPECT_LE(button->geometry().right(), button->parentWidget()->width()) << name;
        }
        for (QWidget* child : dialog.findChildren<QWidget*>()) {
            if (child->isVisible() && child->parentWidget() == &dialog) {
                EXPECT_LE(child->geometry().right(), dialog.width());
            }
        }
        if (language.isEmpty()) {
            EXPECT_EQ(dialog.findChild<QWidget*>(QStringLiteral("OKButton"))->geometry(),
                      QRect(351, 8, 75, 25));
            EXPECT_EQ(dialog.findChild<QWidget*>(QStringLiteral("FilenameRadio"))->geometry(),
                      QRect(10, 86, 71, 17));
            EXPECT_EQ(dialog.width(), 435);
        }
        StartForm();
        auto* panel = Child<QLabel>("StatusPanel0");
        for (const CoreText& text :
             {CoreText{CoreTextId::OpeningFile}, CoreText{CoreTextId::ClosingFile},
              CoreText{CoreTextId::Done, {"100"}}}) {
            const QString shown = ShownCoreText(text);
            EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(shown))
                << shown.toStdString();
        }
        if (language.isEmpty()) {
            EXPECT_EQ(panel->width(), 100);
        }
        form.reset();
        QCoreApplication::removeTranslator(&translator);
    }
}

} // namespace
} // namespace zent::test
