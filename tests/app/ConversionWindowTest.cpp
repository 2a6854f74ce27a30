// Converting through the window: the directory check, a whole batch, Stop, and files dropped
// while a run is on.
#include "app/RunFeedback.h"
#include "controls/DirectoryEdit.h"
#include "controls/ProgressCyl.h"
#include "tests/app/MainFormFixture.h"

#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace zent::test {
namespace {

std::uint32_t ReadLe32(const std::filesystem::path& file, std::streamoff offset) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(offset);
    unsigned char bytes[4] = {};
    in.read(reinterpret_cast<char*>(bytes), 4);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

class ConversionWindowTest : public MainFormTest {
protected:
    TempDir target;

    void SetTarget(const std::filesystem::path& dir) {
        Child<DirectoryEdit>("JvDirectoryEdit1")->SetText(Q(dir));
    }
    // One job unless a test asks for more: the window as it converted one file at a time.
    void ClickConvert(unsigned jobs = 1) {
        form->SetJobCount(jobs);
        Child<QToolButton>("ConvertButton")->click();
        WaitForRun();
    }
};

TEST_F(ConversionWindowTest, AMissingTargetDirectoryIsReportedAndTouchesNothing) {
    StartForm();
    AddThroughDialog({Q(Mp3("a.mp3"))});
    SetTarget(target.File("missing"));
    ClickConvert();
    EXPECT_EQ(dialogs.errors, QStringList{"Please pick a valid target directory."});
    EXPECT_EQ(Rows(), 1);
    EXPECT_FALSE(form->Converting());
    EXPECT_FALSE(std::filesystem::exists(target.File("missing")));
    EXPECT_TRUE(Child<DirectoryEdit>("JvDirectoryEdit1")->LineEdit()->hasFocus() ||
                !QApplication::activeWindow());
}

TEST_F(ConversionWindowTest, BrowsingReplacesTheTargetOnlyWhenAFolderIsChosen) {
    StartForm();
    auto* field = Child<DirectoryEdit>("JvDirectoryEdit1");
    dialogs.directoryAnswers.push_back(Q(target.Path()));
    field->BrowseButton()->click();
    EXPECT_EQ(field->Text(), Q(target.Path()));
    EXPECT_FALSE(dialogs.lastDirectoryWasOwnDialog); // the system's folder browser
    field->BrowseButton()->click();                  // cancelled
    EXPECT_EQ(field->Text(), Q(target.Path()));
}

TEST_F(ConversionWindowTest, ABatchEmptiesTheListIntoWavFiles) {
    StartForm();
    AddThroughDialog({Q(Mp3("one.mp3")), Q(Ogg("two.ogg")), Q(Mp3("three.mp3"))});
    SetTarget(target.Path());
    ClickConvert();

    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(Rows(), 0);
    for (const char* name : {"one.wav", "two.wav", "three.wav"}) {
        const auto wav = target.File(name);
        ASSERT_TRUE(std::filesystem::exists(wav)) << name;
        const auto size = std::filesystem::file_size(wav);
        EXPECT_EQ(ReadLe32(wav, 4), size - 8);
        EXPECT_EQ(ReadLe32(wav, 40), size - 44);
        EXPECT_GT(size, 44u);
    }
    EXPECT_EQ(StatusPanel(0), "0 file(s)");
    EXPECT_TRUE(Child<QToolButton>("ConvertButton")->isVisible());
    EXPECT_FALSE(Child<QToolButton>("StopButton")->isVisible());
    EXPECT_EQ(Child<TProgressCyl>("ProgressCyl1")->Position(), 0);
    EXPECT_EQ(Child<TProgressCyl>("TotalProgressCyl")->Position(), 0);
    EXPECT_FALSE(form->Converting());
}

std::string DataOf(const std::filesystem::path& wav) {
    std::ifstream in(wav, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t chunk = bytes.find("data", 12);
    return chunk == std::string::npos ? std::string() : bytes.substr(chunk + 8);
}

TEST_F(ConversionWindowTest, OpusAndAnMp3WithJunkAfterItsFramesConvertAsTheReferenceTools) {
    const auto voice = media.File("voice.ogg");
    EncodeOpus(voice, ToneSpec{48000, 1, 1.5});
    const auto stereo = media.File("stereo.opus");
    EncodeOpus(stereo, ToneSpec{48000, 2, 1.0});
    const auto junk = Mp3("junk.mp3");
    AppendBytes(junk, std::vector<char>(4096, 0));
    const auto reference = media.File("reference.wav");
    ASSERT_EQ(
        std::system(("mpg123 -q -w '" + reference.string() + "' '" + junk.string() + "'").c_str()),
        0);
    StartForm();
    AddThroughDialog({Q(voice), Q(stereo), Q(junk)});
    ASSERT_EQ(Rows(), 3);
    SetTarget(target.Path());
    ClickConvert();

    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(DataOf(target.File("voice.wav")).size(), 72000u * 2);
    EXPECT_EQ(DataOf(target.File("stereo.wav")).size(), 48000u * 4);
    EXPECT_EQ(ReadLe32(target.File("stereo.wav"), 24), 48000u);
    EXPECT_TRUE(DataOf(target.File("junk.wav")) == DataOf(reference));
}

TEST_F(ConversionWindowTest, FlacAtItsOwnDepthConvertsAsTheReferenceDecoder) {
    FlacParams deep;
    deep.tone = ToneSpec{48000, 6, 1.0};
    deep.bits = 24;
    const auto surround = media.File("surround.flac");
    EncodeFlac(surround, deep);
    FlacParams plain;
    plain.ogg = true;
    const auto ogg = media.File("plain.oga");
    EncodeFlac(ogg, plain);
    StartForm();
    AddThroughDialog({Q(surround), Q(ogg)});
    ASSERT_EQ(Rows(), 2);
    SetTarget(target.Path());
    ClickConvert();

    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_TRUE(WavChunk(target.File("surround.wav"), "data") == FlacToolChunk(surround, "data"));
    EXPECT_TRUE(WavChunk(target.File("surround.wav"), "fmt ") == FlacToolChunk(surround, "fmt "));
    EXPECT_TRUE(WavChunk(target.File("plain.wav"), "data") == FlacToolChunk(ogg, "data"));
}

TEST_F(ConversionWindowTest, StopLeavesAShorterValidFileAndTheEntryOnTop) {
    StartForm();
    // Long enough that the conversion, running beside the window, is still on when the
    // person has seen the first percentage.
    constexpr double kSeconds = 60.0;
    AddThroughDialog({Q(Ogg("long.ogg", kSeconds)), Q(Ogg("next.ogg"))});
    SetTarget(target.Path());
    // A person clicks Stop once the first percentage shows.
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (StatusPanel(0).startsWith("Done ")) {
            Child<QToolButton>("StopButton")->click();
            stopper.stop();
        }
    });
    stopper.start(0);
    ClickConvert();

    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(NameAt(0), "long.ogg");
    const auto wav = target.File("long.wav");
    ASSERT_TRUE(std::filesystem::exists(wav));
    const auto size = std::filesystem::file_size(wav);
    EXPECT_LT(size, 44u + static_cast<std::uintmax_t>(kSeconds * 44100 * 4));
    EXPECT_EQ(ReadLe32(wav, 4), size - 8);
    EXPECT_EQ(ReadLe32(wav, 40), size - 44);
    EXPECT_FALSE(std::filesystem::exists(target.File("next.wav")));
    EXPECT_FALSE(form->Converting());
}

// What the desktop is told of a run, as one line per call.
class FeedbackRecorder : public RunFeedback {
public:
    explicit FeedbackRecorder(QStringList& calls) : FCalls(calls) {}
    void RunStarted(const QString& dir) override { FCalls << "started " + dir; }
    void RunProgress(int percent) override { FLastPercent = percent; }
    void RunEnded(const RunCounts& counts, const QString& error) override {
        FCalls << QStringLiteral("at %1%, ended: %2 converted, %3 failed, error '%4'")
                      .arg(FLastPercent)
                      .arg(counts.Converted)
                      .arg(counts.Failed)
                      .arg(error);
    }

private:
    QStringList& FCalls;
    int FLastPercent = -1;
};

TEST_F(ConversionWindowTest, TheDesktopHearsOfTheRunItsProgressAndItsEnd) {
    StartForm();
    QStringList calls;
    std::vector<std::unique_ptr<RunFeedback>> feedback;
    feedback.push_back(std::make_unique<FeedbackRecorder>(calls));
    form->SetRunFeedback(std::move(feedback));
    AddThroughDialog({Q(Mp3("one.mp3")), Q(Ogg("two.ogg"))});
    SetTarget(target.Path());
    ClickConvert();

    const auto cut = Mp3("cut.mp3", 3.0);
    AddThroughDialog({Q(cut)});
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
    ClickConvert();

    ASSERT_EQ(calls.size(), 4);
    EXPECT_EQ(calls[0], "started " + Q(target.Path()));
    EXPECT_EQ(calls[1], "at 100%, ended: 2 converted, 0 failed, error ''");
    EXPECT_TRUE(calls[3].contains("ended: 0 converted, 1 failed, error 'The file \"" + Q(cut)))
        << calls[3].toStdString();
}

TEST_F(ConversionWindowTest, ASourceCutShortAfterItWasAddedIsReportedAndWritesNothing) {
    StartForm();
    const auto source = Mp3("cut.mp3", 3.0);
    AddThroughDialog({Q(source)});
    std::filesystem::resize_file(source, std::filesystem::file_size(source) / 2);
    SetTarget(target.Path());
    ClickConvert();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.front().contains(Q(source) + "\" ends early"))
        << dialogs.errors.front().toStdString();
    EXPECT_EQ(Rows(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(target.Path()));
    EXPECT_FALSE(form->Converting());
}

TEST_F(ConversionWindowTest, StopBeforeTheFirstFileWritesNothing) {
    StartForm();
    AddThroughDialog({Q(Ogg("only.ogg"))});
    SetTarget(target.Path());
    QTimer::singleShot(0, form.get(), [this] { Child<QToolButton>("StopButton")->click(); });
    ClickConvert();
    EXPECT_EQ(Rows(), 1);
    EXPECT_FALSE(std::filesystem::exists(target.File("only.wav")));
}

TEST_F(ConversionWindowTest, FilesDroppedDuringARunAreConvertedInTheSameRun) {
    StartForm();
    AddThroughDialog({Q(Ogg("first.ogg", 6.0))});
    SetTarget(target.Path());
    const auto late = Mp3("late.mp3");
    QTimer::singleShot(0, form.get(), [&] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Q(late))});
        form->VST1DragDrop(&data);
        EXPECT_FALSE(Child<QToolButton>("DeleteFilesButton")->isEnabled());
    });
    ClickConvert(2);
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(std::filesystem::exists(target.File("first.wav")));
    EXPECT_TRUE(std::filesystem::exists(target.File("late.wav")));
}

TEST_F(ConversionWindowTest, ALargeDropIsListedInOrderAndEndsAtAFileThatCannotBeProbed) {
    StartForm();
    const auto sample = Mp3("sample.mp3");
    QList<QUrl> urls;
    for (int i = 0; i < 100; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%03d.mp3", i);
        if (i == 70)
            TextFile(name);
        else
            std::filesystem::create_hard_link(sample, media.File(name));
        urls.push_back(FileUrl(media.File(name)));
    }
    auto* data = new QMimeData;
    data->setUrls(urls);
    Drop(List(), data);
    while (form->Adding())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    ASSERT_EQ(Rows(), 71);
    EXPECT_EQ(NameAt(0), "f000.mp3");
    EXPECT_EQ(NameAt(69), "f069.mp3");
    EXPECT_EQ(form->Model().List().At(0).LengthSeconds, 1);
    EXPECT_EQ(dialogs.errors, QStringList{"Sample not loaded."});
}

TEST_F(ConversionWindowTest, NamesThatAreNotValidTextAreAddedAndConvertedByTheirBytes) {
    // Latin-1 names, as older systems and archives leave them, each beside a name that Qt
    // shows the same way.
    const auto directory = target.File("Ausgabe\xE9");
    std::filesystem::create_directory(directory);
    std::filesystem::create_directory(target.File("Ausgabe\xE8"));
    WriteConfig("[Options]\nDefaultDir=" + directory.native() + "\n");
    StartForm();
    const auto source = media.File("caf\xE9.mp3");
    EncodeMp3(source, ToneSpec{44100, 2, 2.0});
    EncodeMp3(media.File("caf\xE8.mp3"), ToneSpec{44100, 2, 1.0});
    auto* data = new QMimeData;
    data->setUrls({FileUrl(source)});
    Drop(List(), data);
    QApplication::processEvents();

    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(form->Model().List().At(0).SourcePath, source.native());
    EXPECT_EQ(form->Model().List().At(0).LengthSeconds, 2);
    ClickConvert();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(Rows(), 0);
    ASSERT_TRUE(std::filesystem::exists(directory / "caf\xE9.wav"));
    EXPECT_GT(std::filesystem::file_size(directory / "caf\xE9.wav"), 44u);
}

} // namespace
} // namespace zent::test
