// Listings in the DOS style that Windows servers send, turned into the Unix shape the listing
// grammar reads.
#pragma once

#include <ctime>
#include <string>

namespace ftp {

// Rewrites every DOS-style line of a raw LIST text, such as
//   11-20-14  12:36PM            161645801 Disc Intercity.tsv
//   08-10-2015  14:04       <DIR>          Billing
// into a Unix-style line that the grammar reads back to the same name, kind, size and time.
// Every other line, and every line ending, stays byte for byte. A time of day is written only
// where the grammar's year rule, judged on `today` (nullptr: now), gives back the listed year;
// otherwise the year is written and the time of day is lost.
void RewriteDosListing(std::string& listing, const std::tm* today = nullptr);

} // namespace ftp
