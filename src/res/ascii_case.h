// Letter case as the program compares names and extensions: only the letters A to Z fold, so
// the bytes of multi-byte characters pass unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace res {

constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Folds A to Z to lower case from `from` on.
inline void LowerAscii(std::string& text, std::size_t from = 0) {
    for (std::size_t i = from; i < text.size(); ++i) {
        text[i] = FoldAscii(text[i]);
    }
}

inline std::string LowerAsciiCopy(std::string_view text) {
    std::string folded(text);
    LowerAscii(folded);
    return folded;
}

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Byte order of the folded texts (negative, 0, positive).
constexpr int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(FoldAscii(a[i]));
        const auto y = static_cast<unsigned char>(FoldAscii(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace res
