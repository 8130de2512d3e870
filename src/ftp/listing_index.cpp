#include "ftp/listing_index.h"

#include "ftp/listing_line.h"
#include "ftp/remote_entry_table.h"

namespace ftp {

ListingIndex::ListingIndex() : ListingIndex(std::string()) {}

ListingIndex::ListingIndex(std::string text)
    : m_text(std::make_shared<const std::string>(std::move(text))) {
    const std::string_view all = *m_text;
    std::size_t pos = 0;
    m_lineStarts.push_back(0);
    while (true) {
        const std::size_t cr = listing::NextCrlf(all, pos);
        if (cr == std::string_view::npos) {
            break;
        }
        pos = cr + 2;
        m_lineStarts.push_back(pos);
    }
    // Listings of kMaxListingLines lines or more are never searched by name.
    const int lines = LineCount();
    if (lines >= kMaxListingLines) {
        return;
    }
    m_firstLineOfName.reserve(static_cast<std::size_t>(lines));
    for (int j = 0; j < lines; ++j) {
        m_firstLineOfName.try_emplace(listing::LineField(Line(j), kFieldName, true), j);
    }
}

std::string_view ListingIndex::Line(int line) const {
    if (line < 0 || line >= LineCount()) {
        return {};
    }
    const std::size_t start = m_lineStarts[static_cast<std::size_t>(line)];
    const std::size_t end = m_lineStarts[static_cast<std::size_t>(line) + 1];
    return std::string_view(*m_text).substr(start, end - start);
}

std::string_view ListingIndex::FieldView(int line, int field, bool restOfLine) const {
    return listing::LineField(Line(line), field, restOfLine);
}

std::string ListingIndex::Field(int line, int field, bool restOfLine) const {
    return std::string(FieldView(line, field, restOfLine));
}

int ListingIndex::FindLine(std::string_view name) const {
    const auto it = m_firstLineOfName.find(name);
    return it == m_firstLineOfName.end() ? -1 : it->second;
}

std::int64_t ListingIndex::Size(std::string_view name) const {
    return SizeAt(FindLine(name));
}

std::int64_t ListingIndex::SizeAt(int line) const {
    if (line < 0 || line >= LineCount()) {
        return 0;
    }
    return listing::SizeFieldValue(FieldView(line, kFieldSize, false));
}

std::int64_t ListingIndex::Time(std::string_view name, int line, const std::tm* today) const {
    if (line < 0) {
        line = FindLine(name);
        if (line < 0) {
            return listing::LineTime({}, false, today);
        }
    }
    return listing::LineTime(Line(line), true, today);
}

bool ListingIndex::ListedAsUtc(std::string_view name, std::int64_t& seconds, bool& timeOfDay,
                               const std::tm* today) const {
    return ListedAsUtcAt(FindLine(name), seconds, timeOfDay, today);
}

bool ListingIndex::ListedAsUtcAt(int line, std::int64_t& seconds, bool& timeOfDay,
                                 const std::tm* today) const {
    if (line < 0 || line >= LineCount()) {
        return false;
    }
    const listing::ListedCalendar calendar = listing::LineCalendar(Line(line), today);
    seconds = listing::ListedAsUtc(calendar);
    timeOfDay = calendar.timeOfDay;
    return true;
}

std::string ListingIndex::EntryLine(std::string_view name) const {
    const int line = FindLine(name);
    if (line < 0) {
        return "none";
    }
    return Field(line, kFieldWholeLine, false);
}

} // namespace ftp
