// The indexed listing code against the step-by-step grammar on many generated listings.
#include <gtest/gtest.h>

#include <random>

#include "ftp/listing_index.h"
#include "ftp/remote_entry_table.h"
#include "unit/listing_oracle.h"

namespace {

class ListingGenerator {
public:
    explicit ListingGenerator(unsigned seed) : m_random(seed) {}

    std::string Listing() {
        std::string text;
        if (Chance(30)) {
            text += "total " + std::to_string(Pick(0, 9999)) + "\r\n";
        }
        const int lines = Pick(0, 40);
        for (int i = 0; i < lines; ++i) {
            text += Line();
            text += Chance(8) ? "\n" : "\r\n"; // some servers end lines with LF alone
        }
        if (Chance(25)) {
            text += Line(); // a last line without CR LF
        }
        if (Chance(25)) {
            text = InsertWhitespace(text);
        }
        return text;
    }

    std::string Name() {
        static const char* const kNames[] = {
            "readme.txt", "Index.HTML", "a b c.zip", ".hidden",        ".",
            "..",         "song.MP3",   "data",      "archive.tar.gz", "x",
            "README.TXT", "dot.",       "pic.jpeg",  "run.exe",        "page.php"};
        std::string name = kNames[Pick(0, 14)];
        if (Chance(20)) {
            name = "  " + name; // extra spacing before the name belongs to the separator
        }
        if (Chance(15)) {
            name += " " + name;
        }
        return name;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    std::string Spaces() { return std::string(Chance(25) ? Pick(2, 4) : 1, ' '); }

    std::string Month() {
        static const char* const kMonths[] = {"Jan",     "feb",  "MAR", "Apr", "May", "jun",
                                              "Jul",     "Aug",  "Sep", "Oct", "nOv", "Dec",
                                              "January", "Sept", "Ma",  "",    "dece"};
        return kMonths[Pick(0, 16)];
    }

    std::string Size() {
        static const char* const kSizes[] = {"0",
                                             "1234",
                                             "5000000000",
                                             "2147483648",
                                             "4294967296",
                                             "12a",
                                             "-5",
                                             "99999999999",
                                             "",
                                             "9223372036854775807",
                                             "9999999999999999999",
                                             "00000000000000000001"};
        return Chance(50) ? std::to_string(Pick(0, 100000)) : kSizes[Pick(0, 11)];
    }

    std::string TimeOrYear() {
        static const char* const kTimes[] = {
            "10:30", "0:00", "23:59", "1999",  "2030", "2031", "2099", "1969",
            ":",     "12:",  ":5",    "1:2:3", "x",    "",     "9:07"};
        return kTimes[Pick(0, 14)];
    }

    std::string Line() {
        static const char* const kPermissions[] = {"drwxr-xr-x", "-rw-r--r--", "lrwxrwxrwx",
                                                   "crw-------", "total",      "-rw",
                                                   "d",          "",           "-rw-r--r--+"};
        const int shape = Pick(0, 9);
        if (shape == 0) {
            // Anything at all: short pieces and odd characters.
            static const char* const kOdd[] = {"",
                                               "-",
                                               "d ",
                                               "l  x",
                                               "-\r- a b c d e f g",
                                               "drwx 1 2 3 4 5",
                                               "\t-rw",
                                               "- - - - - - - - - -"};
            return kOdd[Pick(0, 7)];
        }
        std::string line = kPermissions[Pick(0, 8)];
        line += Spaces() + std::to_string(Pick(1, 30));
        line += Spaces() + (Chance(50) ? "owner" : "ftp");
        if (!Chance(25)) { // the group column is sometimes missing
            line += Spaces() + (Chance(50) ? "group" : "Mar");
        }
        line += Spaces() + Size();
        line += Spaces() + Month();
        line += Spaces() + std::to_string(Pick(0, 32));
        if (!Chance(5)) {
            line += Spaces() + TimeOrYear();
        }
        if (!Chance(5)) {
            line += Spaces() + Name();
        }
        if (line[0] == 'l' && Chance(70)) {
            line += " -> " + Name();
        }
        return line;
    }

    std::string InsertWhitespace(std::string text) {
        static const char kWhite[] = {' ', '\t', '\r', '\n'};
        const int count = Pick(1, 10);
        for (int i = 0; i < count; ++i) {
            const std::size_t at = static_cast<std::size_t>(Pick(0, static_cast<int>(text.size())));
            text.insert(at, 1, kWhite[Pick(0, 3)]);
        }
        return text;
    }

    std::mt19937 m_random;
};

std::tm Day(int year, int month, int day) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    return t;
}

// Every question the grammar answers, asked of the oracle and of the indexed code.
void ExpectSameAnswers(const std::string& text, ListingGenerator& generator) {
    SCOPED_TRACE("listing:\n" + text);
    const ftp::ListingIndex index(text);
    ASSERT_EQ(index.Text(), text);
    const int lines = oracle::CountListingLines(text);
    EXPECT_EQ(ftp::CountListingLines(text), lines);

    for (int j = -1; j <= lines + 1; ++j) {
        for (int field = 0; field <= 12; ++field) {
            for (bool rest : {false, true}) {
                const std::string expected = oracle::ListingField(text, j, field, rest);
                EXPECT_EQ(ftp::ListingField(text, j, field, rest), expected)
                    << "line " << j << " field " << field << " rest " << rest;
                EXPECT_EQ(index.Field(j, field, rest), expected)
                    << "line " << j << " field " << field << " rest " << rest;
            }
        }
    }

    std::vector<std::string> names = {"", "\r\n", "none", "a b c.zip"};
    for (int j = 0; j < lines; ++j) {
        names.push_back(oracle::ListingField(text, j, 9, true));
        names.push_back(oracle::ListingField(text, j, 9, false));
    }
    for (int k = 0; k < 4; ++k) {
        names.push_back(generator.Name());
    }
    const std::tm todays[] = {Day(2026, 1, 5), Day(2026, 12, 31), Day(2026, 6, 15)};
    ftp::RemoteEntryTable table;
    table.SetListing(text);
    for (const std::string& name : names) {
        SCOPED_TRACE("name \"" + name + "\"");
        const int line = oracle::FindListingLine(name, text);
        EXPECT_EQ(ftp::FindListingLine(name, text), line);
        EXPECT_EQ(index.FindLine(name), line);
        const std::int64_t size = oracle::ListingEntrySize(name, text);
        EXPECT_EQ(ftp::ListingEntrySize(name, text), size);
        EXPECT_EQ(index.Size(name), size);
        const std::string whole = oracle::ListingEntryLine(name, text);
        EXPECT_EQ(table.ListingEntryLine(name), whole);
        EXPECT_EQ(index.EntryLine(name), whole);
        for (const std::tm& today : todays) {
            const std::int64_t time = oracle::ListingEntryTime(name, text, -1, today);
            EXPECT_EQ(ftp::ListingEntryTime(name, text, -1, &today), time);
            EXPECT_EQ(index.Time(name, -1, &today), time);
        }
    }
    for (int j = 0; j <= lines; ++j) {
        const std::int64_t time = oracle::ListingEntryTime("", text, j, todays[0]);
        EXPECT_EQ(ftp::ListingEntryTime("", text, j, &todays[0]), time) << "line " << j;
        EXPECT_EQ(index.Time("", j, &todays[0]), time) << "line " << j;
    }

    const oracle::Entries expected = oracle::BuildEntries(text);
    table.m_remoteListing = text;
    const int kept = table.Build();
    ASSERT_EQ(kept, static_cast<int>(expected.names.size()));
    EXPECT_EQ(table.m_count, kept);
    EXPECT_EQ(table.m_names, expected.names);
    EXPECT_EQ(table.m_kinds, expected.kinds);
    ASSERT_EQ(table.m_order.size(), expected.order.size());
    for (std::size_t p = 0; p < expected.order.size(); ++p) {
        EXPECT_EQ(table.m_order[p], expected.order[p]) << "display position " << p;
    }
}

TEST(ListingOracle, GeneratedListingsGiveTheDefinedAnswers) {
    ListingGenerator generator(20261207);
    for (int round = 0; round < 400; ++round) {
        ExpectSameAnswers(generator.Listing(), generator);
        if (HasFailure()) {
            break;
        }
    }
}

TEST(ListingOracle, HandWrittenShapesGiveTheDefinedAnswers) {
    ListingGenerator generator(7);
    const char* const kTexts[] = {
        "",
        "\r\n",
        "\r\n\r\n",
        "\n\r\n\r",
        "-rw-r--r-- 1 a b 1 Jan 1 10:00 x\n-rw-r--r-- 1 a b 2 Jan 1 10:00 y\n",
        "-rw-r--r-- 1 a b 1 Jan 1 10:00 x",
        "-rw-r--r-- 1 a b 1 Jan 1 10:00 x\r\r\n",
        "-rw-r--r-- 1 a b 1 Jan 1 10:00 x\ry z\r\n",
        "-rw-r--r--\t1 a b 1 Jan 1 10:00 tab\tname\r\n",
        "-rw-r--r-- 1 a b 1 Jan 1 10:00 x \r\n-rw-r--r-- 1 a b 1 Jan 1 10:00  x\r\n",
        "lrwxrwxrwx 1 a b 1 jan 1 10:00 a -> b\r\nlrwxrwxrwx 1 a b 1 JAN 1 1999 a -> c\r\n",
        "drwxr-xr-x 2 a 4096 Mar 3 2001 folder\r\ndrwxr-xr-x 2 a 4096 March 3 2001 folder2\r\n",
        "-rw-r--r-- 1 a b 1 Jan 1 10:00 B\r\n-rw-r--r-- 1 a b 1 Jan 1 10:00 a\r\n"
        "-rw-r--r-- 1 a b 1 Jan 1 10:00 b\r\n-rw-r--r-- 1 a b 1 Jan 1 10:00 A\r\n"
        "-rw-r--r-- 1 a b 1 Jan 1 10:00 _\r\n-rw-r--r-- 1 a b 1 Jan 1 10:00 \xc3\xa9\r\n",
    };
    for (const char* text : kTexts) {
        ExpectSameAnswers(text, generator);
    }
}

} // namespace
