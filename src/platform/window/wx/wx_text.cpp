#include "platform/window/wx/wx_text.h"

#include "res/visible_text.h"

namespace wxwin {
namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

wxString ToWx(const std::string& text) {
    if (text.empty()) {
        return wxString();
    }
    // A name that is not UTF-8 shows U+FFFD where its odd bytes are; the program keeps its
    // bytes for the server.
    const std::string shown = res::DisplayableUtf8(text);
    return wxString::FromUTF8(shown.data(), shown.size());
}

std::string FromWx(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

wxString ToWxLines(const std::string& text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        lines += text[i];
    }
    return ToWx(lines);
}

std::size_t CharsBeforeByte(const std::string& utf8, std::size_t byteOffset) {
    std::size_t chars = 0;
    const std::size_t end = byteOffset < utf8.size() ? byteOffset : utf8.size();
    for (std::size_t i = 0; i < end; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(utf8[i]))) {
            ++chars;
        }
    }
    return chars;
}

std::size_t BytesBeforeChar(const std::string& utf8, std::size_t charOffset) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (!IsContinuation(static_cast<unsigned char>(utf8[i]))) {
            if (chars == charOffset) {
                return i;
            }
            ++chars;
        }
    }
    return utf8.size();
}

std::size_t Utf8Prefix(const std::string& utf8, std::size_t maxBytes) {
    if (maxBytes >= utf8.size()) {
        return utf8.size();
    }
    std::size_t cut = maxBytes;
    while (cut > 0 && IsContinuation(static_cast<unsigned char>(utf8[cut]))) {
        --cut;
    }
    return cut;
}

} // namespace wxwin
