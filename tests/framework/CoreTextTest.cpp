#include "framework/CoreText.h"

#include "framework/Errors.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace zent {
namespace {

TEST(CoreText, EnglishPutsTheArgumentsInOnce) {
    EXPECT_EQ((CoreText{CoreTextId::CannotCreateFile, {"/a/%2.wav", "No space"}}).English(),
              "Cannot create file \"/a/%2.wav\". No space");
    EXPECT_EQ((CoreText{CoreTextId::Done, {"42"}}).English(), "Done 42%");
    EXPECT_EQ((CoreText{CoreTextId::Plain, {"as it is %1"}}).English(), "as it is %1");
    EXPECT_EQ(FillPattern("%1 and %3", {"one"}), "one and %3");
}

TEST(CoreText, ErrorsKeepTheIdentityAndSayTheEnglishText) {
    const EStreamError known(CoreText{CoreTextId::TargetIsSource, {"x.wav"}});
    EXPECT_STREQ(known.what(), "Cannot create file \"x.wav\". It is the source file.");
    EXPECT_EQ(TextOf(known).Id, CoreTextId::TargetIsSource);
    EXPECT_EQ(TextOf(known).Args, std::vector<std::string>{"x.wav"});
    const Error plain("no identity");
    EXPECT_EQ(TextOf(plain).Id, CoreTextId::Plain);
    EXPECT_EQ(TextOf(std::runtime_error("other")).English(), "other");
}

} // namespace
} // namespace zent
