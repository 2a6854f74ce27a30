#include "cli/JsonText.h"

#include "framework/Text.h"

#include <cstdint>
#include <cstdio>

namespace zent::cli {

namespace {

void AppendEscape(std::string& out, unsigned code) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", code);
    out += text;
}

} // namespace

std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c == '\n') {
                out += "\\n";
            } else if (c == '\t') {
                out += "\\t";
            } else if (c == '\r') {
                out += "\\r";
            } else if (c < 0x20 || c == 0x7F) {
                AppendEscape(out, c);
            } else {
                out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length == 0) {
            AppendEscape(out, 0xDC00u + c);
            ++i;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
    out += '"';
    return out;
}

} // namespace zent::cli
