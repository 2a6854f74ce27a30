// The main window as a person meets it: start state, adding, dropping, deleting, sorting,
// closing.
#include "controls/Dialogs.h"
#include "controls/DirectoryEdit.h"
#include "controls/ProgressCyl.h"
#include "tests/app/MainFormFixture.h"

#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace zent::test {
namespace {

QMimeData* FileDrop(const std::vector<std::filesystem::path>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& path : paths)
        urls << QUrl::fromLocalFile(Q(path));
    data->setUrls(urls);
    return data;
}

TEST_F(MainFormTest, StartsIdleWithAnEmptyList) {
    StartForm();
    EXPECT_EQ(form->windowTitle(), "Zent MP3 OGG to WAV converter 1.0");
    EXPECT_FALSE(Child<QToolButton>("DeleteFilesButton")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>("ClearAllButton")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>("ConvertButton")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("AddFilesButton")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("PropButton")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("ExitButton")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("ConvertButton")->isVisible());
    EXPECT_FALSE(Child<QToolButton>("StopButton")->isVisible());
    EXPECT_EQ(Child<QToolButton>("StopButton")->pos(), Child<QToolButton>("ConvertButton")->pos());
    EXPECT_EQ(StatusPanel(0), "0 file(s)");
    EXPECT_EQ(StatusPanel(1), "");
    EXPECT_EQ(Child<TProgressCyl>("ProgressCyl1")->Position(), 0);
    EXPECT_EQ(Child<TProgressCyl>("TotalProgressCyl")->Position(), 0);
    EXPECT_FALSE(form->Converting());
}

TEST_F(MainFormTest, ConversionStateSwapsConvertAndStop) {
    StartForm();
    AddThroughDialog({Q(Mp3("a.mp3"))});
    form->BeginConversionState();
    EXPECT_TRUE(form->Converting());
    EXPECT_FALSE(Child<QToolButton>("ConvertButton")->isVisible());
    EXPECT_TRUE(Child<QToolButton>("StopButton")->isVisible());
    EXPECT_TRUE(Child<QToolButton>("StopButton")->isEnabled());
    for (const char* name :
         {"AddFilesButton", "DeleteFilesButton", "ClearAllButton", "ExitButton", "PropButton"})
        EXPECT_FALSE(Child<QToolButton>(name)->isEnabled()) << name;

    // Selecting an entry mid-run re-enables nothing.
    List()->selectAll();
    EXPECT_FALSE(Child<QToolButton>("DeleteFilesButton")->isEnabled());

    form->EndConversionState();
    EXPECT_FALSE(form->Converting());
    EXPECT_TRUE(Child<QToolButton>("ConvertButton")->isVisible());
    EXPECT_FALSE(Child<QToolButton>("StopButton")->isVisible());
    EXPECT_TRUE(Child<QToolButton>("DeleteFilesButton")->isEnabled());
    EXPECT_EQ(Child<TProgressCyl>("ProgressCyl1")->Position(), 0);
    EXPECT_EQ(Child<TProgressCyl>("TotalProgressCyl")->Position(), 0);
}

TEST_F(MainFormTest, ShowingTheWindowAgainDuringARunEnablesNothing) {
    StartForm();
    AddThroughDialog({Q(Mp3("a.mp3"))});
    List()->selectAll();
    form->BeginConversionState();
    // Minimised and restored while the run goes on.
    form->hide();
    form->show();
    QApplication::processEvents();
    for (const char* name :
         {"AddFilesButton", "DeleteFilesButton", "ClearAllButton", "ExitButton", "PropButton"})
        EXPECT_FALSE(Child<QToolButton>(name)->isEnabled()) << name;
    form->EndConversionState();
    EXPECT_TRUE(Child<QToolButton>("ClearAllButton")->isEnabled());
}

TEST_F(MainFormTest, CloseRequestDuringARunIsRefusedButStopsTheRunAndSavesOptions) {
    StartForm();
    form->BeginConversionState();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->StopRequested());
    EXPECT_TRUE(std::filesystem::exists(ConfigFile()));

    form->EndConversionState();
    std::filesystem::remove(ConfigFile());
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(std::filesystem::exists(ConfigFile()));
}

TEST_F(MainFormTest, ExitButtonClosesAndWritesTheSettings) {
    StartForm();
    Child<QToolButton>("ExitButton")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(std::filesystem::exists(ConfigFile()));
}

TEST(AppDir, HasNoTrailingSeparatorSoTheRootKeepsItsSettingsAtTheTop) {
    EXPECT_EQ(AppDirFromPath("/opt/zent"), "/opt/zent");
    EXPECT_EQ(AppDirFromPath("/opt/zent/"), "/opt/zent");
    EXPECT_EQ(AppDirFromPath("/"), "");
}

TEST_F(MainFormTest, ConfigPathLiesBesideTheExecutable) {
    StartForm();
    EXPECT_EQ(form->GetAppDir(), appDir.Path().string());
    EXPECT_EQ(form->ConfigPath(), ConfigFile().string());
}

TEST_F(MainFormTest, DialogBatchStopsAtTheFirstUndecodableFile) {
    StartForm();
    const auto first = Mp3("first.mp3");
    const auto broken = TextFile("broken.mp3");
    const auto third = Mp3("third.mp3");
    const auto fourth = Ogg("fourth.ogg");
    AddThroughDialog({Q(first), Q(broken), Q(third), Q(fourth)});

    EXPECT_EQ(dialogs.lastFilter,
              "MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga)|"
              "*.mp3; *.ogg; *.opus; *.flac; *.oga");
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(NameAt(0), "broken.mp3");
    EXPECT_EQ(form->Model().index(0, FileListModel::LengthColumn).data().toString(), "00:00");
    EXPECT_EQ(NameAt(1), "first.mp3");
    EXPECT_EQ(dialogs.errors, QStringList{"Sample not loaded."});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(List()->updatesEnabled());
    EXPECT_EQ(StatusPanel(0), "2 file(s)");
    EXPECT_TRUE(StatusPanel(1).startsWith("Total disk space needed: "));
    EXPECT_TRUE(StatusPanel(1).endsWith(" MB"));
}

TEST_F(MainFormTest, AFileNameThatIsNotValidTextComesBackFromTheDialogAsItsBytes) {
    StartForm();
    const auto source = media.File("caf\xE9.mp3");
    EncodeMp3(source, ToneSpec{44100, 1, 1.0});
    // The dialog shows the name with a replacement character, as Qt lists it.
    AddThroughDialog({QFile::decodeName(QByteArray::fromStdString(source.native()))});
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(form->Model().List().At(0).SourcePath, source.native());
    EXPECT_EQ(form->Model().List().At(0).LengthSeconds, 1);
}

TEST_F(MainFormTest, ALongFileNameInTheStatusBarNeverWidensTheWindow) {
    StartForm();
    const int width = form->width();
    const int minimumWidth = form->minimumSizeHint().width();
    form->BeginConversionState();
    const std::string name = std::string(400, 'x') + ".mp3";
    form->SetStatusInfo(name);
    QApplication::processEvents();
    EXPECT_EQ(form->width(), width);
    EXPECT_EQ(form->minimumSizeHint().width(), minimumWidth);
    EXPECT_LE(form->minimumSize().width(), width);
    EXPECT_EQ(StatusPanel(1), QString::fromStdString(name));
    form->EndConversionState();
    EXPECT_EQ(form->width(), width);
}

TEST_F(MainFormTest, TheFocusStartsInTheListAndTabFollowsTheControlsOrder) {
    StartForm();
    EXPECT_EQ(form->focusWidget(), List());
    EXPECT_EQ(TabStops(List()).join(' '), "VST1 AddFilesButton DeleteFilesButton ConvertButton "
                                          "ClearAllButton ExitButton QLineEdit QToolButton "
                                          "StopButton PropButton");
    // The field's own line edit and browse button, not the field as a whole.
    const auto* field = Child<DirectoryEdit>("JvDirectoryEdit1");
    EXPECT_EQ(Child<QWidget>("ExitButton")->nextInFocusChain(), field->LineEdit());
    EXPECT_EQ(field->LineEdit()->nextInFocusChain(), field->BrowseButton());
}

TEST(OpenDialogFilter, KeepsTheDescriptionAndGivesQtBlankSeparatedPatterns) {
    EXPECT_EQ(ToQtFileFilter(QLatin1String(kOpenDialogFilter)),
              "MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga) (*.mp3 "
              "*.ogg *.opus *.flac *.oga)");
}

TEST_F(MainFormTest, CancelledDialogChangesNothing) {
    StartForm();
    AddThroughDialog({});
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(StatusPanel(0), "0 file(s)");
    EXPECT_EQ(StatusPanel(1), "");
}

TEST_F(MainFormTest, OtherExtensionsAreSkippedSilently) {
    StartForm();
    AddThroughDialog({Q(Mp3("a.mp3")), Q(TextFile("notes.txt"))});
    EXPECT_EQ(Rows(), 1);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainFormTest, DroppingAFolderAndTwoOggFilesAddsTheFiles) {
    StartForm();
    std::filesystem::create_directory(media.File("folder"));
    std::filesystem::create_directory(media.File("named like audio.mp3"));
    Drop(List(), FileDrop({media.File("folder"), Ogg("b.ogg"), media.File("named like audio.mp3"),
                           Ogg("a.ogg")}));
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(NameAt(0), "a.ogg");
    EXPECT_EQ(NameAt(1), "b.ogg");
    EXPECT_EQ(StatusPanel(0), "2 file(s)");
    EXPECT_TRUE(std::filesystem::exists(media.File("b.ogg"))); // read, never moved
}

TEST_F(MainFormTest, DroppingTextAddsNothing) {
    StartForm();
    auto* data = new QMimeData;
    data->setText(QStringLiteral("some text from an editor"));
    Drop(List(), data);
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(StatusPanel(0), "0 file(s)");
}

TEST_F(MainFormTest, DropErrorWhileIdleIsShownInTheErrorBoxOnceTheDropHasEnded) {
    StartForm();
    Drop(List(), FileDrop({Ogg("good.ogg"), TextFile("bad.ogg")}));
    EXPECT_EQ(Rows(), 2);
    EXPECT_TRUE(dialogs.errors.isEmpty()); // not while the drop is still under way
    QApplication::processEvents();
    EXPECT_EQ(dialogs.errors, QStringList{"Sample not loaded."});
    EXPECT_TRUE(dialogs.laterErrors.isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(StatusPanel(0), "2 file(s)");
}

TEST_F(MainFormTest, DropDuringARunShowsItsErrorWithoutHoldingTheRun) {
    StartForm();
    form->BeginConversionState();
    Drop(List(), FileDrop({TextFile("bad.ogg")}));
    EXPECT_EQ(Rows(), 1);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(dialogs.laterErrors, QStringList{"Sample not loaded."});
    EXPECT_FALSE(Child<QToolButton>("ClearAllButton")->isEnabled());
    form->EndConversionState();
}

class DeletionTest : public MainFormTest {
protected:
    void SetUp() override {
        StartForm();
        const auto source = Mp3("source.mp3");
        QStringList paths;
        for (const char* name : {"A", "B", "C", "D", "E"}) {
            const auto copy = media.File(std::string(name) + ".mp3");
            std::filesystem::copy_file(source, copy);
            paths << Q(copy);
        }
        AddThroughDialog(paths);
        ASSERT_EQ(Rows(), 5);
    }

    void Select(std::initializer_list<int> rows) {
        List()->clearSelection();
        for (int row : rows)
            List()->selectionModel()->select(form->Model().index(row, 0),
                                             QItemSelectionModel::Select |
                                                 QItemSelectionModel::Rows);
    }

    QString Names() const {
        QString names;
        for (int row = 0; row < Rows(); ++row)
            names += NameAt(row).left(1);
        return names;
    }

    QString Focused() const { return List()->currentIndex().data().toString().left(1); }
    QString Selected() const {
        QString names;
        for (const QModelIndex& index : List()->selectionModel()->selectedRows())
            names += index.data().toString().left(1);
        return names;
    }
};

TEST_F(DeletionTest, FocusGoesToTheEntryBeforeTheFirstSelectedOne) {
    Select({2, 3});
    Child<QToolButton>("DeleteFilesButton")->click();
    EXPECT_EQ(Names(), "ABE");
    EXPECT_EQ(Focused(), "B");
    EXPECT_EQ(Selected(), "B");
    EXPECT_EQ(StatusPanel(0), "3 file(s)");
}

TEST_F(DeletionTest, FocusAfterALeadingSelectedRunGoesToTheNextUnselectedEntry) {
    Select({0, 1});
    Child<QToolButton>("DeleteFilesButton")->click();
    EXPECT_EQ(Names(), "CDE");
    EXPECT_EQ(Focused(), "C");
}

TEST_F(DeletionTest, DeletingEverythingLeavesNothingFocused) {
    Select({0, 1, 2, 3, 4});
    Child<QToolButton>("DeleteFilesButton")->click();
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(List()->currentIndex().isValid());
    EXPECT_FALSE(Child<QToolButton>("DeleteFilesButton")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>("ConvertButton")->isEnabled());
}

TEST_F(DeletionTest, DeleteKeyWithNothingSelectedSelectsTheLastEntry) {
    Select({});
    QTest::keyClick(List(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Names(), "ABCDE");
    EXPECT_EQ(Focused(), "E");
    EXPECT_EQ(Selected(), "E");
}

TEST_F(DeletionTest, DeleteKeyDeletesTheSelection) {
    Select({1, 3});
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(Names(), "ACE");
    EXPECT_EQ(Focused(), "A");
}

TEST_F(DeletionTest, DeleteKeyDoesNothingDuringARun) {
    form->BeginConversionState();
    Select({0});
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(Rows(), 5);
    form->EndConversionState();
}

TEST_F(DeletionTest, ClearAllEmptiesTheList) {
    Child<QToolButton>("ClearAllButton")->click();
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(StatusPanel(0), "0 file(s)");
    EXPECT_EQ(StatusPanel(1), "Total disk space needed: 0.0 MB");
}

TEST_F(MainFormTest, HeaderClicksSortByNameAndLengthBothWays) {
    StartForm();
    AddThroughDialog({Q(Mp3("b.mp3", 3.0)), Q(Mp3("a.mp3", 5.0)), Q(Mp3("c.mp3", 1.0))});
    const auto names = [this] {
        QString all;
        for (int row = 0; row < Rows(); ++row)
            all += NameAt(row).left(1);
        return all;
    };
    const auto clickHeader = [this](int column) {
        QHeaderView* header = List()->header();
        const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };
    EXPECT_EQ(names(), "abc");
    clickHeader(0);
    EXPECT_EQ(names(), "cba");
    clickHeader(1);
    EXPECT_EQ(names(), "cba"); // shortest first
    clickHeader(1);
    EXPECT_EQ(names(), "abc"); // longest first
    clickHeader(2);
    EXPECT_EQ(form->SortColumn(), 2);
    EXPECT_TRUE(form->SortAscending());
    EXPECT_EQ(names(), "cba"); // the size column sorts by length
}

} // namespace
} // namespace zent::test
