// The listing grammar on the shapes servers send and the limits of a listing.
#include <gtest/gtest.h>

#include <string>

#include "ftp/listing_index.h"
#include "ftp/remote_entry_table.h"
#include "res/file_types.h"

namespace {

std::tm Day(int year, int month, int day) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    return t;
}

std::int64_t Local(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

std::string FileLine(const std::string& name) {
    return "-rw-r--r--   1 ftp      ftp          1234 Jan 05 10:00 " + name + "\r\n";
}

std::string ManyLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += FileLine("file" + std::to_string(i) + ".txt");
    }
    return text;
}

TEST(ListingGrammar, LinesEndingInLfAloneAreNoLines) {
    const std::string text = "total 2\n" + std::string("-rw-r--r-- 1 a b 5 Jan 1 10:00 a.txt\n");
    EXPECT_EQ(ftp::CountListingLines(text), 0);
    EXPECT_EQ(ftp::ListingField(text, 0, 0, false), "\r\n");
    EXPECT_EQ(ftp::FindListingLine("a.txt", text), -1);
    ftp::RemoteEntryTable table;
    table.m_remoteListing = text;
    EXPECT_EQ(table.Build(), 0);
    EXPECT_TRUE(table.m_names.empty());
}

TEST(ListingGrammar, TotalLineAndDotNamesAreNotEntries) {
    ftp::RemoteEntryTable table;
    table.SetListing("total 12\r\n"
                     "drwxr-xr-x 2 ftp ftp 4096 Jan 1 10:00 .\r\n"
                     "drwxr-xr-x 2 ftp ftp 4096 Jan 1 10:00 ..\r\n"
                     "-rw-r--r-- 1 ftp ftp 10 Jan 1 10:00 .profile\r\n"
                     "-rw-r--r-- 1 ftp ftp 10 Jan 1 10:00 notes.txt\r\n");
    EXPECT_EQ(ftp::ListingField(table.m_remoteListing, 0, 9, true), "\r\n");
    ASSERT_EQ(table.Build(), 1);
    EXPECT_EQ(table.m_names[0], "notes.txt");
    EXPECT_EQ(table.m_kinds[0], 6);
}

TEST(ListingGrammar, LineWithoutGroupColumn) {
    const std::string text = "-rw-r--r-- 1 owner 1234 Mar 7 09:15 my file.txt\r\n";
    EXPECT_EQ(ftp::ListingField(text, 0, 5, false), "1234");
    EXPECT_EQ(ftp::ListingField(text, 0, 6, false), "Mar");
    EXPECT_EQ(ftp::ListingField(text, 0, 9, true), "my file.txt");
    EXPECT_EQ(ftp::ListingEntrySize("my file.txt", text), 1234);
    // A full month name is not a month: the group column counts as present.
    const std::string full = "-rw-r--r-- 1 owner 1234 March 7 09:15 my file.txt\r\n";
    EXPECT_EQ(ftp::ListingField(full, 0, 5, false), "March");
    EXPECT_EQ(ftp::ListingField(full, 0, 9, true), "file.txt");
}

TEST(ListingGrammar, LinkKeepsArrowAndTarget) {
    const std::string text = "lrwxrwxrwx 1 ftp ftp 11 Jan 1 10:00 www -> public_html\r\n";
    EXPECT_EQ(ftp::ListingField(text, 0, 9, true), "www -> public_html");
    EXPECT_EQ(ftp::ListingField(text, 0, 11, true), "public_html");
    EXPECT_EQ(ftp::FindListingLine("www", text), -1);
    EXPECT_EQ(ftp::FindListingLine("www -> public_html", text), 0);
    ftp::RemoteEntryTable table;
    table.m_remoteListing = text;
    ASSERT_EQ(table.Build(), 1);
    EXPECT_EQ(table.m_names[0], "www -> public_html");
    EXPECT_EQ(table.m_kinds[0], res::kImageLink);
}

TEST(ListingGrammar, YearOfATimeDependsOnToday) {
    const std::string text = "-rw-r--r-- 1 ftp ftp 1 Dec 31 10:00 y.txt\r\n";
    const std::tm january5 = Day(2027, 1, 5);
    const std::tm december31 = Day(2027, 12, 31);
    EXPECT_EQ(ftp::ListingEntryTime("y.txt", text, -1, &january5), Local(2026, 12, 31, 10, 0, -1));
    EXPECT_EQ(ftp::ListingEntryTime("y.txt", text, -1, &december31),
              Local(2027, 12, 31, 10, 0, -1));
    // The listed second is always one before the minute.
    EXPECT_EQ(ftp::ListingEntryTime("", text, 0, &december31), Local(2027, 12, 31, 9, 59, 59));
    const std::string halfPast = "-rw-r--r-- 1 ftp ftp 1 Jun 2 10:30 h.txt\r\n";
    EXPECT_EQ(ftp::ListingEntryTime("h.txt", halfPast, -1, &december31),
              Local(2027, 6, 2, 10, 29, 59));
    // A server whose zone is a day ahead lists tomorrow's date: this year's, or next year's
    // on December 31. The day after tomorrow is still last year's.
    const std::tm december30 = Day(2027, 12, 30);
    EXPECT_EQ(ftp::ListingEntryTime("y.txt", text, -1, &december30),
              Local(2027, 12, 31, 10, 0, -1));
    const std::string newYear = "-rw-r--r-- 1 ftp ftp 1 Jan 1 00:04 n.txt\r\n"
                                "-rw-r--r-- 1 ftp ftp 1 Jan 2 00:04 m.txt\r\n";
    EXPECT_EQ(ftp::ListingEntryTime("n.txt", newYear, -1, &december31),
              Local(2028, 1, 1, 0, 4, -1));
    EXPECT_EQ(ftp::ListingEntryTime("m.txt", newYear, -1, &december31),
              Local(2027, 1, 2, 0, 4, -1));
    const std::tm december29 = Day(2027, 12, 29);
    EXPECT_EQ(ftp::ListingEntryTime("y.txt", text, -1, &december29),
              Local(2026, 12, 31, 10, 0, -1));
}

TEST(ListingGrammar, YearsAndMissingNames) {
    const std::string text = "-rw-r--r-- 1 ftp ftp 1 Feb 3 2099 far.txt\r\n"
                             "-rw-r--r-- 1 ftp ftp 1 Feb 3 2030 near.txt\r\n"
                             "-rw-r--r-- 1 ftp ftp 1 Feb 3\r\n";
    const std::tm today = Day(2026, 6, 1);
    EXPECT_EQ(ftp::ListingEntryTime("far.txt", text, -1, &today), Local(1973, 2, 3, 0, 0, -1));
    EXPECT_EQ(ftp::ListingEntryTime("near.txt", text, -1, &today), Local(2030, 2, 3, 0, 0, -1));
    // Not listed: 1973-01-11 23:59:59 local time.
    EXPECT_EQ(ftp::ListingEntryTime("absent", text, -1, &today), Local(1973, 1, 11, 23, 59, 59));
    // A line without its time field reads as year 0, which the conversion refuses.
    EXPECT_EQ(ftp::ListingEntryTime("", text, 2, &today), -1);
    EXPECT_EQ(ftp::ListingEntryTime("", text, 7, &today), -1);
}

TEST(ListingGrammar, SizesAreSixtyFourBit) {
    const std::string text = FileLine("small") + "-rw-r--r-- 1 a b 5000000000 Jan 1 2001 big\r\n" +
                             "-rw-r--r-- 1 a b 12a Jan 1 2001 odd\r\n" +
                             "-rw-r--r-- 1 a b 99999999999999999999 Jan 1 2001 huge\r\n";
    EXPECT_EQ(ftp::ListingEntrySize("small", text), 1234);
    EXPECT_EQ(ftp::ListingEntrySize("big", text), 5000000000LL);
    EXPECT_EQ(ftp::ListingEntrySize("odd", text), 120);
    EXPECT_EQ(ftp::ListingEntrySize("huge", text), 0);
    EXPECT_EQ(ftp::ListingEntrySize("absent", text), 0);
}

TEST(ListingGrammar, ParseDecimalKeepsItsDefinition) {
    EXPECT_EQ(ftp::ParseDecimal("2003"), 2003);
    // Walked from the last character, a non-digit still takes up its place value.
    EXPECT_EQ(ftp::ParseDecimal("12a"), 120);
    EXPECT_EQ(ftp::ParseDecimal("1a2"), 102);
    EXPECT_EQ(ftp::ParseDecimal("-5"), 5);
    EXPECT_EQ(ftp::ParseDecimal(""), 0);
    EXPECT_EQ(ftp::ParseDecimal("12345678901"), 0);
    EXPECT_EQ(ftp::ParseDecimal("4294967297"), 1); // 32-bit wrap-around
}

TEST(ListingGrammar, KindsFromExtensions) {
    EXPECT_EQ(ftp::RemoteEntryKind("index.HTML"), 1);
    EXPECT_EQ(ftp::RemoteEntryKind("a.b.xml"), 2);
    EXPECT_EQ(ftp::RemoteEntryKind("song.Mp3"), 10);
    EXPECT_EQ(ftp::RemoteEntryKind("x.tar.gz"), 11);
    EXPECT_EQ(ftp::RemoteEntryKind("setup.exe"), 12);
    EXPECT_EQ(ftp::RemoteEntryKind("Makefile"), 15);
    EXPECT_EQ(ftp::RemoteEntryKind("notes."), 15);
    EXPECT_EQ(ftp::RemoteEntryKind("x.tar"), 15);
}

TEST(ListingGrammar, DisplayOrderPutsFoldersFirstAndIgnoresCase) {
    ftp::RemoteEntryTable table;
    table.m_remoteListing = "-rw-r--r-- 1 a b 1 Jan 1 2001 b.txt\r\n"
                            "drwxr-xr-x 2 a b 1 Jan 1 2001 Zeta\r\n"
                            "-rw-r--r-- 1 a b 1 Jan 1 2001 A.TXT\r\n"
                            "drwxr-xr-x 2 a b 1 Jan 1 2001 alpha\r\n"
                            "-rw-r--r-- 1 a b 1 Jan 1 2001 B.txt\r\n"
                            "-rw-r--r-- 1 a b 1 Jan 1 2001 index.htm\r\n";
    ASSERT_EQ(table.Build(), 6);
    std::vector<std::string> shown;
    for (std::uint16_t entry : table.m_order) {
        shown.push_back(table.m_names[entry]);
    }
    EXPECT_EQ(shown,
              (std::vector<std::string>{"alpha", "Zeta", "index.htm", "A.TXT", "b.txt", "B.txt"}));
    table.Free();
    EXPECT_EQ(table.m_count, 0);
    EXPECT_TRUE(table.m_order.empty());
}

TEST(ListingGrammar, ExactlyTenThousandLinesBuildButAreNotSearched) {
    const std::string text = ManyLines(ftp::kMaxListingLines);
    EXPECT_EQ(ftp::CountListingLines(text), ftp::kMaxListingLines);
    EXPECT_FALSE(ftp::ListingExceedsLineLimit(text));
    ftp::RemoteEntryTable table;
    table.m_remoteListing = text;
    EXPECT_EQ(table.Build(), ftp::kMaxListingLines);
    EXPECT_EQ(ftp::FindListingLine("file0.txt", text), -1);
    EXPECT_EQ(table.Index().FindLine("file0.txt"), -1);
    EXPECT_EQ(table.Index().FindLine("file9999.txt"), -1);
    EXPECT_EQ(ftp::ListingEntrySize("file0.txt", text), 0);
    EXPECT_EQ(table.ListingEntryLine("file0.txt"), "none");
    // A row knows its line: the pane's columns still read its size and time there.
    std::int64_t seconds = 0;
    bool timeOfDay = false;
    EXPECT_TRUE(table.Index().ListedAsUtcAt(9999, seconds, timeOfDay));
    EXPECT_EQ(table.Index().SizeAt(9999), table.Index().SizeAt(0));
    EXPECT_GT(table.Index().SizeAt(0), 0);
    EXPECT_FALSE(table.Index().ListedAsUtcAt(ftp::kMaxListingLines, seconds, timeOfDay));

    const std::string fewer = ManyLines(ftp::kMaxListingLines - 1);
    const ftp::ListingIndex index(fewer);
    EXPECT_EQ(index.FindLine("file9998.txt"), 9998);
    EXPECT_EQ(ftp::FindListingLine("file9998.txt", fewer), 9998);
}

TEST(ListingGrammar, MoreThanTenThousandLinesAreRecognised) {
    const std::string text = ManyLines(ftp::kMaxListingLines + 1);
    EXPECT_EQ(ftp::CountListingLines(text), ftp::kMaxListingLines);
    EXPECT_TRUE(ftp::ListingExceedsLineLimit(text));
    // Build reads no further than the limit.
    ftp::RemoteEntryTable table;
    table.m_remoteListing = text;
    EXPECT_EQ(table.Build(), ftp::kMaxListingLines);
}

TEST(ListingGrammar, TableIndexFollowsTheText) {
    ftp::RemoteEntryTable table;
    table.SetListing(FileLine("one.txt"));
    EXPECT_EQ(table.ListingEntryLine("one.txt"),
              "-rw-r--r--   1 ftp      ftp          1234 Jan 05 10:00 one.txt");
    // The engine writes the text directly; the answers follow it.
    table.m_remoteListing = FileLine("two.txt");
    EXPECT_EQ(table.ListingEntryLine("one.txt"), "none");
    EXPECT_EQ(table.Index().FindLine("two.txt"), 0);
}

} // namespace
