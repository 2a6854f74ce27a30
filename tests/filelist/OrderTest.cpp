#include "filelist/FileList.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace zent {
namespace {

constexpr int kByName = 0;
constexpr int kByLength = 1;
constexpr int kBySize = 2;

FileEntry Named(const std::string& name, std::int32_t seconds = 0,
                const std::string& directory = "/music/") {
    return {name, directory + name, "", 0, seconds};
}

std::vector<std::string> Paths(const FileList& list) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < list.Count(); ++i)
        paths.push_back(list.At(i).SourcePath);
    return paths;
}

std::vector<std::string> Names(const FileList& list) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list.Count(); ++i)
        names.push_back(list.At(i).FileName);
    return names;
}

using Texts = std::vector<std::string>;

TEST(VST1CompareNodes, ByNameIsLocaleOrderNotCharacterCodes) {
    EXPECT_LT(VST1CompareNodes(Named("a.mp3"), Named("B.mp3"), kByName), 0);
    EXPECT_LT(VST1CompareNodes(Named("B.mp3"), Named("c.mp3"), kByName), 0);
    EXPECT_GT(VST1CompareNodes(Named("c.mp3"), Named("a.mp3"), kByName), 0);
}

TEST(VST1CompareNodes, ByNameIsNotNumeric) {
    EXPECT_LT(VST1CompareNodes(Named("track10.mp3"), Named("track9.mp3"), kByName), 0);
}

TEST(VST1CompareNodes, ByNameCountsCase) {
    EXPECT_NE(VST1CompareNodes(Named("a.mp3"), Named("A.mp3"), kByName), 0);
    EXPECT_EQ(VST1CompareNodes(Named("a.mp3", 1, "/x/"), Named("a.mp3", 2, "/y/"), kByName), 0);
}

TEST(VST1CompareNodes, ByNameFollowsTheDefaultLocale) {
    const QLocale saved;
    // Swedish puts "ö" after "z"; German puts it with "o".
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    const int swedish = VST1CompareNodes(Named("\xC3\xB6.mp3"), Named("z.mp3"), kByName);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const int german = VST1CompareNodes(Named("\xC3\xB6.mp3"), Named("z.mp3"), kByName);
    QLocale::setDefault(saved);
    EXPECT_GT(swedish, 0);
    EXPECT_LT(german, 0);
}

TEST(VST1CompareNodes, AnyOtherColumnComparesLengths) {
    EXPECT_LT(VST1CompareNodes(Named("z", 10), Named("a", 20), kByLength), 0);
    EXPECT_GT(VST1CompareNodes(Named("a", 20), Named("z", 10), kBySize), 0);
    EXPECT_EQ(VST1CompareNodes(Named("a", 20), Named("z", 20), 7), 0);
}

TEST(SortList, ByNameAscending) {
    FileList list;
    for (const char* name : {"c.mp3", "track9.mp3", "B.mp3", "track10.mp3", "a.mp3"})
        list.Append(Named(name));
    list.SortList(kByName, true);
    EXPECT_EQ(Names(list), (Texts{"a.mp3", "B.mp3", "c.mp3", "track10.mp3", "track9.mp3"}));
}

TEST(SortList, ByLengthLongestFirstWhenDescending) {
    FileList list;
    list.Append(Named("a", 30));
    list.Append(Named("b", 90));
    list.Append(Named("c", 60));
    list.SortList(kByLength, false);
    EXPECT_EQ(Names(list), (Texts{"b", "c", "a"}));
    list.SortList(kBySize, true);
    EXPECT_EQ(Names(list), (Texts{"a", "c", "b"}));
}

TEST(SortList, EqualNamesKeepTheirOrderInBothDirections) {
    FileList list;
    list.Append(Named("song.mp3", 0, "/one/"));
    list.Append(Named("zz.mp3", 0, "/one/"));
    list.Append(Named("song.mp3", 0, "/two/"));
    list.SortList(kByName, true);
    EXPECT_EQ(Paths(list), (Texts{"/one/song.mp3", "/two/song.mp3", "/one/zz.mp3"}));
    list.SortList(kByName, false);
    EXPECT_EQ(Paths(list), (Texts{"/one/zz.mp3", "/one/song.mp3", "/two/song.mp3"}));
}

TEST(SortList, EqualLengthsKeepTheirOrderInBothDirections) {
    FileList list;
    list.Append(Named("x", 5));
    list.Append(Named("y", 5));
    list.Append(Named("z", 1));
    list.SortList(kByLength, false);
    EXPECT_EQ(Names(list), (Texts{"x", "y", "z"}));
    list.SortList(kByLength, true);
    EXPECT_EQ(Names(list), (Texts{"z", "x", "y"}));
}

// Selection marks for the list A B C D E.
std::vector<bool> Selecting(std::initializer_list<char> letters) {
    std::vector<bool> selected(5, false);
    for (const char letter : letters)
        selected[static_cast<std::size_t>(letter - 'A')] = true;
    return selected;
}

TEST(ChooseFocusAfterDeletion, TakesTheEntryBeforeTheFirstSelectedRun) {
    EXPECT_EQ(ChooseFocusAfterDeletion(Selecting({'C', 'D'})), 1u); // B
    EXPECT_EQ(ChooseFocusAfterDeletion(Selecting({'B', 'D'})), 0u); // A
}

TEST(ChooseFocusAfterDeletion, TakesTheFirstEntryAfterALeadingSelectedRun) {
    EXPECT_EQ(ChooseFocusAfterDeletion(Selecting({'A', 'B'})), 2u); // C
    EXPECT_EQ(ChooseFocusAfterDeletion(Selecting({'A', 'C'})), 1u); // B
}

TEST(ChooseFocusAfterDeletion, NoneWhenEverythingGoes) {
    EXPECT_FALSE(ChooseFocusAfterDeletion(Selecting({'A', 'B', 'C', 'D', 'E'})).has_value());
    EXPECT_FALSE(ChooseFocusAfterDeletion({}).has_value());
}

TEST(ChooseFocusAfterDeletion, TheLastEntryWhenNothingIsSelected) {
    EXPECT_EQ(ChooseFocusAfterDeletion(Selecting({})), 4u);
}

} // namespace
} // namespace zent
