// The settings across starts: zent.cfg, start-up defaults, and the Properties dialog.
#include "settings/Options.h"

#include "controls/DirectoryEdit.h"
#include "settings/ZentStruc.h"
#include "tests/app/MainFormFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace zent::test {
namespace {

// The section that follows [Options] after a start with no output settings.
constexpr const char* kDefaultOutput = "\n[Output]\nChannels=0\nCopyTags=False\n"
                                       "ExistingFiles=Replace\nJobs=0\nKeepFolders=False\n"
                                       "KeepGoing=False\nSampleFormat=AsSource\nSampleRate=0\n";

class OptionsTest : public MainFormTest {
protected:
    std::string DefaultDir() const { return appDir.Path().string() + "/Temp"; }
    QString WindowDirectory() const { return Child<DirectoryEdit>("JvDirectoryEdit1")->Text(); }

    // Opens the Properties dialog; `person` acts on it as someone sitting in front of it.
    void RunProperties(const std::function<void(TOptionsForm&)>& person) {
        dialogs.onExec = [&](QDialog& dialog) {
            person(static_cast<TOptionsForm&>(dialog));
        };
        Child<QToolButton>("PropButton")->click();
        dialogs.onExec = nullptr;
    }

    template <typename T> static T* In(QDialog& dialog, const char* name) {
        T* child = dialog.findChild<T*>(QLatin1String(name));
        if (!child)
            ADD_FAILURE() << "no control named " << name;
        return child;
    }
};

TEST_F(OptionsTest, FirstStartUsesDefaultsAndCloseWritesTheFiveKeys) {
    StartForm();
    EXPECT_EQ(WindowDirectory(), Q(DefaultDir()));
    EXPECT_EQ(form->SortColumn(), 0);
    EXPECT_TRUE(form->SortAscending());
    ASSERT_TRUE(form->close());
    EXPECT_EQ(ReadConfig(), "[Options]\nAscending=True\nDefaultDir=" + DefaultDir() +
                                "\nName=\nOrdering=0\nTag=0\n" + kDefaultOutput);
}

TEST_F(OptionsTest, AnEmptyDefaultDirFallsBackToTheDefault) {
    WriteConfig("[Options]\nAscending=True\nDefaultDir=\nName=\nOrdering=0\nTag=0\n");
    StartForm();
    EXPECT_EQ(WindowDirectory(), Q(DefaultDir()));
    ASSERT_TRUE(form->close());
    EXPECT_NE(ReadConfig().find("DefaultDir=" + DefaultDir() + "\n"), std::string::npos);
}

TEST_F(OptionsTest, OrderingOneAndDescendingStartSortedLongestFirst) {
    WriteConfig("[Options]\nAscending=False\nOrdering=1\n");
    StartForm();
    EXPECT_EQ(form->SortColumn(), 1);
    EXPECT_FALSE(form->SortAscending());
    AddThroughDialog({Q(Mp3("short.mp3", 1.0)), Q(Mp3("long.mp3", 4.0))});
    EXPECT_EQ(NameAt(0), "long.mp3");
    RunProperties([](TOptionsForm& dialog) {
        EXPECT_TRUE(In<QRadioButton>(dialog, "LengthRadio")->isChecked());
        EXPECT_FALSE(In<QRadioButton>(dialog, "FilenameRadio")->isChecked());
        EXPECT_FALSE(In<QCheckBox>(dialog, "AscOrderBox")->isChecked());
        dialog.reject();
    });
}

TEST_F(OptionsTest, AnUnknownOrderingChecksNeitherButtonAndOkStoresLength) {
    WriteConfig("[Options]\nOrdering=5\n");
    StartForm();
    EXPECT_EQ(form->SortColumn(), 5);
    RunProperties([](TOptionsForm& dialog) {
        EXPECT_FALSE(In<QRadioButton>(dialog, "LengthRadio")->isChecked());
        EXPECT_FALSE(In<QRadioButton>(dialog, "FilenameRadio")->isChecked());
        In<QPushButton>(dialog, "OKButton")->click();
    });
    EXPECT_EQ(form->Options().Ordering(), 1);
}

TEST_F(OptionsTest, ABadValueIsShownOnceTheWindowIsUpAndCostsOnlyItsOwnKey) {
    WriteConfig("[Options]\nAscending=Yes\nDefaultDir=/somewhere\nOrdering=1\n");
    StartForm();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.errors, QStringList{"Invalid property element: Yes"});
    EXPECT_EQ(WindowDirectory(), "/somewhere");
    EXPECT_EQ(form->SortColumn(), 1);
    EXPECT_TRUE(form->SortAscending());
    ASSERT_TRUE(form->close());
    EXPECT_EQ(ReadConfig(),
              std::string("[Options]\nAscending=True\nDefaultDir=/somewhere\nName=\nOrdering=1\n"
                          "Tag=0\n") +
                  kDefaultOutput);
}

TEST_F(OptionsTest, ComponentNameRulesApplyToTheStoredName) {
    WriteConfig("[Options]\nName=9lives\nOrdering=1\n");
    StartForm();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.errors, QStringList{"''9lives'' is not a valid component name"});
    EXPECT_EQ(form->SortColumn(), 1);
}

TEST_F(OptionsTest, AStoredNameMayNotTakeAControlsName) {
    WriteConfig("[Options]\nName=vst1\n");
    StartForm();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.errors, QStringList{"A component named vst1 already exists"});
}

TEST_F(OptionsTest, AValidStoredNameIsKeptAndWrittenBack) {
    WriteConfig("[Options]\nName=MyOptions\n");
    StartForm();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    ASSERT_TRUE(form->close());
    EXPECT_NE(ReadConfig().find("Name=MyOptions\n"), std::string::npos);
}

TEST_F(OptionsTest, AStoredDirectoryThatIsNotValidTextSurvivesTheDialogByteForByte) {
    const std::string directory = "/data/caf\xE9 \xFF";
    WriteConfig("[Options]\nDefaultDir=" + directory + "\n");
    StartForm();
    EXPECT_EQ(Child<DirectoryEdit>("JvDirectoryEdit1")->Path(), directory);
    RunProperties([](TOptionsForm& dialog) { In<QPushButton>(dialog, "OKButton")->click(); });
    EXPECT_EQ(form->Options().DefaultDir(), directory);
    ASSERT_TRUE(form->close());
    EXPECT_NE(ReadConfig().find("\nDefaultDir=" + directory + "\n"), std::string::npos);
}

TEST_F(OptionsTest, OkTakesTheDialogsValuesForTheNextStartOnly) {
    StartForm();
    RunProperties([](TOptionsForm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Properties");
        // The drawn part keeps its place; the output settings are below it.
        EXPECT_EQ(dialog.width(), 435);
        EXPECT_EQ(In<QWidget>(dialog, "GroupBox1")->geometry(), QRect(6, 3, 331, 113));
        EXPECT_EQ(In<QWidget>(dialog, "OutputGroup")->y(), 122);
        In<DirectoryEdit>(dialog, "JvDirectoryEdit1")->SetText(QStringLiteral("/data/out"));
        In<QRadioButton>(dialog, "LengthRadio")->click();
        In<QCheckBox>(dialog, "AscOrderBox")->setChecked(false);
        QTest::keyClick(&dialog, Qt::Key_Return); // OK is the default button
    });
    EXPECT_EQ(form->Options().DefaultDir(), "/data/out");
    EXPECT_EQ(form->Options().Ordering(), 1);
    EXPECT_FALSE(form->Options().Ascending());
    EXPECT_EQ(WindowDirectory(), Q(DefaultDir()));
    EXPECT_EQ(form->SortColumn(), 0);
    EXPECT_TRUE(form->SortAscending());
    ASSERT_TRUE(form->close());

    StartForm();
    EXPECT_EQ(WindowDirectory(), "/data/out");
    EXPECT_EQ(form->SortColumn(), 1);
    EXPECT_FALSE(form->SortAscending());
}

TEST_F(OptionsTest, TheDialogsBrowseButtonUsesTheProgramsOwnDirectoryDialog) {
    StartForm();
    dialogs.directoryAnswers.push_back(QStringLiteral("/chosen"));
    RunProperties([this](TOptionsForm& dialog) {
        In<DirectoryEdit>(dialog, "JvDirectoryEdit1")->BrowseButton()->click();
        EXPECT_TRUE(dialogs.lastDirectoryWasOwnDialog);
        In<QPushButton>(dialog, "OKButton")->click();
    });
    EXPECT_EQ(form->Options().DefaultDir(), "/chosen");
}

TEST_F(OptionsTest, TheDialogsTabOrderReachesTheBrowseButtonAfterTheDirectory) {
    StartForm();
    RunProperties([](TOptionsForm& dialog) {
        EXPECT_EQ(TabStops(In<QWidget>(dialog, "OKButton")).join(' '),
                  "OKButton CancelButton QLineEdit QToolButton FilenameRadio LengthRadio "
                  "AscOrderBox SampleFormatCombo SampleRateCombo ChannelsCombo CopyTagsBox "
                  "ExistingCombo KeepFoldersBox KeepGoingBox JobsCombo");
        auto* directory = In<DirectoryEdit>(dialog, "JvDirectoryEdit1");
        EXPECT_EQ(directory->LineEdit()->accessibleName(), "Output directory");
        EXPECT_EQ(directory->BrowseButton()->accessibleName(), "Browse");
        dialog.reject();
    });
}

TEST_F(OptionsTest, CancelEscapeAndTheCloseBoxLeaveTheRecordAlone) {
    StartForm();
    const std::function<void(QDialog&)> ways[] = {
        [](QDialog& dialog) { In<QPushButton>(dialog, "CancelButton")->click(); },
        [](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
        [](QDialog& dialog) { dialog.close(); },
    };
    for (const auto& leave : ways) {
        RunProperties([&](TOptionsForm& dialog) {
            In<DirectoryEdit>(dialog, "JvDirectoryEdit1")->SetText(QStringLiteral("/elsewhere"));
            In<QRadioButton>(dialog, "LengthRadio")->click();
            leave(dialog);
            EXPECT_FALSE(dialog.Accepted());
        });
        EXPECT_EQ(form->Options().DefaultDir(), DefaultDir());
        EXPECT_EQ(form->Options().Ordering(), 0);
    }
}

TEST_F(OptionsTest, AnUnwritableConfigIsReportedAndTheWindowClosesAnyway) {
    std::filesystem::create_directory(
        ConfigFile()); // nothing can be written there, not even by root
    StartForm();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(dialogs.errors, QStringList{QString("Unable to write to ") + Q(ConfigFile())});
}

TEST_F(OptionsTest, AnUnwritableConfigDuringARunStillRefusesTheClose) {
    std::filesystem::create_directory(ConfigFile());
    StartForm();
    form->BeginConversionState();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->StopRequested());
    EXPECT_EQ(dialogs.errors.size(), 1);
    form->EndConversionState();
}

} // namespace
} // namespace zent::test
