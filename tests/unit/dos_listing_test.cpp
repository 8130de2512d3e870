// DOS-style lines from Windows servers become Unix lines that the grammar reads back to the
// listed name, kind, size and time; every other line stays as it came.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ftp/dos_listing.h"
#include "ftp/remote_entry_table.h"

namespace {

std::tm Today() {
    std::tm t{};
    t.tm_year = 2015 - 1900;
    t.tm_mon = 8 - 1;
    t.tm_mday = 20;
    return t;
}

std::int64_t Local(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = -1; // the grammar's listed second
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

std::string Rewritten(std::string text) {
    const std::tm today = Today();
    ftp::RewriteDosListing(text, &today);
    return text;
}

struct DosCase {
    std::string dos;
    std::string unix;
    std::string name;
    int kind;
    std::int64_t size;
    int year, month, day, hour, minute;
};

// Read on 2015-08-20. A time of day is kept where the grammar's year rule gives back the listed
// year (this year up to today, last year after today's month and day); otherwise the year is
// written and the time reads as midnight.
const std::vector<DosCase> kCases = {
    {"11-20-14  12:36PM            161645801 Disc Intercity.tsv",
     "-rw-r--r-- 1 owner group 161645801 Nov 20 12:36 Disc Intercity.tsv", "Disc Intercity.tsv", 15,
     161645801, 2014, 11, 20, 12, 36},
    {"08-10-15  02:04PM       <DIR>          Billing",
     "drwxr-xr-x 1 owner group 0 Aug 10 14:04 Billing", "Billing", 0, 0, 2015, 8, 10, 14, 4},
    {"02-03-15  09:05AM <DIR> My Folder", "drwxr-xr-x 1 owner group 0 Feb 3 09:05 My Folder",
     "My Folder", 0, 0, 2015, 2, 3, 9, 5},
    {"08-20-2015  23:59       <DIR>          Data 2015",
     "drwxr-xr-x 1 owner group 0 Aug 20 23:59 Data 2015", "Data 2015", 0, 0, 2015, 8, 20, 23, 59},
    {"01-31-2013  14:04                 1024 report.html",
     "-rw-r--r-- 1 owner group 1024 Jan 31 2013 report.html", "report.html", 1, 1024, 2013, 1, 31,
     0, 0},
    {"07-04-15  12:00AM                    0 empty.txt",
     "-rw-r--r-- 1 owner group 0 Jul 4 00:00 empty.txt", "empty.txt", 6, 0, 2015, 7, 4, 0, 0},
    {"07-04-15  12:30PM                  589 readme.htm",
     "-rw-r--r-- 1 owner group 589 Jul 4 12:30 readme.htm", "readme.htm", 1, 589, 2015, 7, 4, 12,
     30},
    {"06-15-15  08:00AM           5000000000 disk image.iso",
     "-rw-r--r-- 1 owner group 5000000000 Jun 15 08:00 disk image.iso", "disk image.iso", 15,
     5000000000LL, 2015, 6, 15, 8, 0},
    {"12-31-99  11:59PM                 1234 y2k.zip",
     "-rw-r--r-- 1 owner group 1234 Dec 31 1999 y2k.zip", "y2k.zip", 11, 1234, 1999, 12, 31, 0, 0},
    {"01-01-00  12:00AM                   10 new.gz",
     "-rw-r--r-- 1 owner group 10 Jan 1 2000 new.gz", "new.gz", 11, 10, 2000, 1, 1, 0, 0},
    // Dated after today in this year: "HH:MM" would read as last year.
    {"12-25-15  06:30PM                  300 party.jpg",
     "-rw-r--r-- 1 owner group 300 Dec 25 2015 party.jpg", "party.jpg", 7, 300, 2015, 12, 25, 0, 0},
    // Last year, on today's month and day: "HH:MM" would read as this year.
    {"08-20-14  10:00AM                    7 anniversary.log",
     "-rw-r--r-- 1 owner group 7 Aug 20 2014 anniversary.log", "anniversary.log", 6, 7, 2014, 8, 20,
     0, 0},
    {"03-01-15  10:00AM                 2048 \xE8\xB3\x87\xE6\x96\x99 (\xC3\xA9t\xC3\xA9).txt",
     "-rw-r--r-- 1 owner group 2048 Mar 1 10:00 \xE8\xB3\x87\xE6\x96\x99 (\xC3\xA9t\xC3\xA9).txt",
     "\xE8\xB3\x87\xE6\x96\x99 (\xC3\xA9t\xC3\xA9).txt", 6, 2048, 2015, 3, 1, 10, 0},
};

TEST(DosListing, LinesBecomeUnixLinesThatReadBackTheListedEntry) {
    const std::tm today = Today();
    for (const DosCase& c : kCases) {
        const std::string text = Rewritten(c.dos + "\r\n");
        EXPECT_EQ(text, c.unix + "\r\n") << c.dos;
        EXPECT_EQ(ftp::ListingField(text, 0, 9, true), c.name) << c.dos;
        EXPECT_EQ(ftp::ListingEntrySize(c.name, text), c.size) << c.dos;
        EXPECT_EQ(ftp::ListingEntryTime(c.name, text, -1, &today),
                  Local(c.year, c.month, c.day, c.hour, c.minute))
            << c.dos;
        ftp::RemoteEntryTable table;
        table.SetListing(text);
        ASSERT_EQ(table.Build(), 1) << c.dos;
        EXPECT_EQ(table.m_names[0], c.name);
        EXPECT_EQ(table.m_kinds[0], c.kind) << c.dos;
    }
}

TEST(DosListing, MixedListingRewritesOnlyTheDosLinesAndKeepsEveryEnding) {
    const std::string unixLines = "total 6\r\n"
                                  "drwxr-xr-x   2 user group     4096 Jan  5 10:00 sub\r\n"
                                  "-rw-r--r--   1 user group     1234 Feb  6  2020 a b.txt\r\n";
    const std::string facts = "type=file;size=12;modify=20150615080000; notes.txt\r\n";
    const std::string text = unixLines + kCases[0].dos + "\r\n" + facts + kCases[1].dos + "\r\n" +
                             kCases[2].dos; // the last line without its CR LF
    EXPECT_EQ(Rewritten(text), unixLines + kCases[0].unix + "\r\n" + facts + kCases[1].unix +
                                   "\r\n" + kCases[2].unix);
    ftp::RemoteEntryTable table;
    table.SetListing(Rewritten(text));
    ASSERT_EQ(table.Build(), 4);
    EXPECT_EQ(table.m_names,
              (std::vector<std::string>{"sub", "a b.txt", kCases[0].name, kCases[1].name}));
}

TEST(DosListing, OtherStylesAndMalformedLinesStayAsTheyAre) {
    const std::vector<std::string> lines = {
        "total 12",
        "",
        "DIR1.DIR;1          1/3        5-JUN-2015 10:00:00  [GROUP,OWNER]  (RWE,RWE,RE,RE)",
        "00README.TXT;1      2          5-JUN-2015 10:00:00  [GROUP,OWNER]  (RWED,RWED,RE,)",
        "Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname",
        "WYL001 3390   2015/06/15  1   15  FB      80  6160  PO  SOURCE.DATA",
        "20150615 notes.txt",
        "13-01-15  10:00AM                    5 bad month",
        "01-00-15  10:00AM                    5 bad day",
        "1-05-15  10:00AM                    5 short month",
        "01-05-155  10:00AM                   5 three-digit year",
        "01-05-15  13:00PM                    5 bad hour",
        "01-05-15  00:10AM                    5 hour zero with AM",
        "01-05-15  24:00                      5 bad 24-hour time",
        "01-05-15  10:60AM                    5 bad minute",
        "01-05-15  10:00AM       <DIR>",
        "01-05-15  10:00AM       <DIR>         ",
        "01-05-15  10:00AM <DIR>folder",
        "01-05-15  10:00AM  <JUNCTION>    link",
        "01-05-15  10:00AM                1,024 grouped size",
        "01-05-15  10:00AM  9223372036854775808 too large",
        "01-05-15  10:00AM 123456789012345678901 too many digits",
        "01-05-15\t10:00AM\t5\ttabs",
        "01-05-15  10:00AM  5 carriage\rreturn",
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    EXPECT_EQ(Rewritten(text), text);
    EXPECT_EQ(Rewritten(""), "");
}

TEST(DosListing, EveryPrefixOfALineIsLeftAloneOrKeepsItsNamePrefix) {
    const std::string line = kCases[1].dos;
    const std::size_t nameStart = line.size() - kCases[1].name.size();
    for (std::size_t length = 0; length <= line.size(); ++length) {
        const std::string prefix = line.substr(0, length);
        const std::string expected = length <= nameStart
                                         ? prefix
                                         : "drwxr-xr-x 1 owner group 0 Aug 10 14:04 " +
                                               line.substr(nameStart, length - nameStart);
        EXPECT_EQ(Rewritten(prefix + "\r\n"), expected + "\r\n") << length;
    }
}

} // namespace
