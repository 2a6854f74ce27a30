// Tags from any bytes: the whole input as an ID3v2 tag and its last 128 bytes as an ID3v1
// tag, and its lines as a Vorbis comment list. Every field must come out as valid UTF-8, and
// the INFO list made of them must be well-formed.
#include "convert/WavLayout.h"
#include "decode/CommentTags.h"
#include "decode/Id3Tags.h"
#include "decode/TagText.h"
#include "fuzz/FuzzSupport.h"

#include <span>
#include <string>
#include <vector>

namespace {

std::uint32_t U32At(const std::vector<std::byte>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

void CheckTags(const zent::AudioTags& tags) {
    for (const std::string* field : {&tags.Title, &tags.Artist, &tags.Album, &tags.Track,
                                     &tags.Date, &tags.Genre, &tags.Comment})
        zent::fuzz::Check(zent::CleanUtf8(*field) == *field, "a field is valid UTF-8");
    const std::vector<std::byte> chunk = zent::BuildInfoChunk(tags);
    if (chunk.empty())
        return;
    zent::fuzz::Check(chunk.size() % 2 == 0, "the INFO list has an even size");
    zent::fuzz::Check(U32At(chunk, 4) == chunk.size() - 8, "the LIST size covers the list");
    std::size_t at = 12;
    while (at < chunk.size()) {
        zent::fuzz::Check(at + 8 <= chunk.size(), "a field's header is whole");
        const std::uint32_t size = U32At(chunk, at + 4);
        zent::fuzz::Check(size >= 1 && at + 8 + size <= chunk.size(), "a field fits the list");
        zent::fuzz::Check(chunk[at + 8 + size - 1] == std::byte{0}, "a field ends with a NUL");
        at += 8 + size + size % 2;
    }
    zent::fuzz::Check(at == chunk.size(), "the fields fill the list");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    CheckTags(zent::ParseId3v2(bytes));
    if (size >= 128)
        CheckTags(zent::ParseId3v1(bytes.last(128)));
    std::vector<std::string> comments;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        comments.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    CheckTags(zent::ParseCommentTags(comments));
    return 0;
}
