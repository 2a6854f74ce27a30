#include "cli/JsonText.h"

#include <gtest/gtest.h>

namespace zent::cli {
namespace {

TEST(JsonText, EscapesEveryByteSoThatTheBytesComeBack) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", R"("")"},
        {"plain name.mp3", R"("plain name.mp3")"},
        {"q\"b\\s/", R"("q\"b\\s/")"},
        {"a\nb\tc\rd", R"("a\nb\tc\rd")"},
        {std::string("\x01\x1f\x7f", 3), R"("\u0001\u001f\u007f")"},
        {std::string("nul\0x", 5), R"("nul\u0000x")"},
        {"Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x8e\xb5",
         "\"Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xf0\x9f\x8e\xb5\""},
        // Not UTF-8: a lone byte, a Latin-1 name, a cut sequence, an overlong form, a surrogate.
        {"\xff", R"("\udcff")"},
        {"caf\xe9.mp3", R"("caf\udce9.mp3")"},
        {"\xe2\x82", R"("\udce2\udc82")"},
        {"\xc0\xaf", R"("\udcc0\udcaf")"},
        {"\xe0\x80\xaf", R"("\udce0\udc80\udcaf")"},
        {"\xed\xa0\x80", R"("\udced\udca0\udc80")"},
    };
    for (const auto& [bytes, literal] : cases) {
        SCOPED_TRACE(literal);
        EXPECT_EQ(JsonString(bytes), literal);
    }
}

} // namespace
} // namespace zent::cli
