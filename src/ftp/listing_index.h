// A listing text read once: where each line starts and on which line each name first appears,
// so that every query of the grammar costs the length of one line instead of a rescan from the
// start. Immutable once built, so any thread may query it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ftp {

class ListingIndex {
public:
    ListingIndex();
    explicit ListingIndex(std::string text);

    const std::string& Text() const { return *m_text; }
    // Number of CR LF sequences in the text (not capped).
    int LineCount() const { return static_cast<int>(m_lineStarts.size()) - 1; }

    // The same answers as the free functions of the same names over Text().
    std::string Field(int line, int field, bool restOfLine) const;
    std::string_view FieldView(int line, int field, bool restOfLine) const;
    int FindLine(std::string_view name) const;
    std::int64_t Size(std::string_view name) const;
    std::int64_t Time(std::string_view name, int line, const std::tm* today = nullptr) const;
    // The date and time listed for `name`, read as if it were UTC (the server's own zone is
    // the caller's to take off); false when the name is not listed. `timeOfDay`: the listing
    // gives the minute, not only the day.
    bool ListedAsUtc(std::string_view name, std::int64_t& seconds, bool& timeOfDay,
                     const std::tm* today = nullptr) const;
    // The same two answers for line `line` itself (a row already knows its line; and a listing
    // too long for the name table still answers by line).
    std::int64_t SizeAt(int line) const;
    bool ListedAsUtcAt(int line, std::int64_t& seconds, bool& timeOfDay,
                       const std::tm* today = nullptr) const;
    // Whole line of the name, or "none".
    std::string EntryLine(std::string_view name) const;

private:
    // Line with its CR LF, or empty when there is no such line.
    std::string_view Line(int line) const;

    // Shared so that the views below stay valid when the index is copied or moved.
    std::shared_ptr<const std::string> m_text;
    // Start of every CR LF terminated line, then the position after the last CR LF.
    std::vector<std::size_t> m_lineStarts;
    // Name field (rest of line) -> first line; left empty when the listing has too many lines
    // to be searched.
    std::unordered_map<std::string_view, int> m_firstLineOfName;
};

} // namespace ftp
