#include "ftp/server_features.h"

#include <cstring>
#include <ctime>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/local_time.h"
#include "res/ascii_case.h"

namespace ftp {

// The time of an MLSD fact or an MDTM reply, read from a view of the line.
bool ParseFactTimeView(std::string_view text, std::int64_t& utc);

namespace {

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar (H. Hinnant's method):
// timegm without its cost, for each line of a long listing.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    if (at + count > text.size()) {
        return false;
    }
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// Nine permission characters from an octal mode ("0755" or "755").
std::string ModeText(std::string_view mode) {
    if (mode.empty()) {
        return "";
    }
    unsigned value = 0;
    for (char c : mode) {
        if (c < '0' || c > '7') {
            return "";
        }
        value = value * 8 + static_cast<unsigned>(c - '0');
    }
    std::string text = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit) {
        if ((value & (1u << (8 - bit))) == 0) {
            text[static_cast<std::size_t>(bit)] = '-';
        }
    }
    return text;
}

// A field of the long format, which must hold no space.
void AppendWord(std::string& out, std::string_view text, std::string_view otherwise) {
    const std::size_t start = out.size();
    out += text.empty() ? otherwise : text;
    for (std::size_t i = start; i < out.size(); ++i) {
        if (out[i] == ' ' || out[i] == '\r' || out[i] == '\n') {
            out[i] = '_';
        }
    }
}

// The calendar of seconds since the epoch, without the C library's cost per call (the inverse
// of DaysFromCivil).
std::tm CivilFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t rest = seconds - days * 86400;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    std::tm t{};
    t.tm_mday = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    t.tm_mon = static_cast<int>(mp < 10 ? mp + 2 : mp - 10);
    t.tm_year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 +
                                 (t.tm_mon <= 1 ? 1 : 0) - 1900);
    t.tm_hour = static_cast<int>(rest / 3600);
    t.tm_min = static_cast<int>(rest % 3600 / 60);
    t.tm_sec = static_cast<int>(rest % 60);
    return t;
}

// The local calendar of UTC times, with the zone's offset asked of the system once for each
// hour a listing's times fall in, not once per line.
class LocalCalendar {
public:
    std::tm Of(std::int64_t utc) {
        const std::int64_t hour = utc / 3600;
        auto known = m_offsets.find(hour);
        if (known == m_offsets.end()) {
            known = m_offsets.emplace(hour, platform::LocalUtcOffset(hour * 3600)).first;
        }
        return CivilFromSeconds(utc + known->second);
    }

private:
    std::unordered_map<std::int64_t, std::int64_t> m_offsets;
};

// "Dec  9 06:00" within the last half year, "Dec  9  2025" otherwise, in this machine's zone,
// as `ls -l` writes it.
void AppendListedTime(std::string& out, std::int64_t utc, std::int64_t now,
                      LocalCalendar& calendar) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::tm local = calendar.Of(utc);
    char text[16] = "Mmm dd hh:mm";
    auto two = [&text](std::size_t at, int value, char pad) {
        text[at] = value < 10 ? pad : static_cast<char>('0' + value / 10);
        text[at + 1] = static_cast<char>('0' + value % 10);
    };
    std::memcpy(text, kMonths[local.tm_mon], 3);
    two(4, local.tm_mday, ' ');
    constexpr std::int64_t kHalfYear = 182LL * 24 * 3600;
    if (utc > now - kHalfYear && utc < now + 24 * 3600) {
        two(7, local.tm_hour, '0');
        two(10, local.tm_min, '0');
        out.append(text, 12);
    } else {
        const int year = local.tm_year + 1900;
        text[7] = ' ';
        two(8, year / 100, '0');
        two(10, year % 100, '0');
        out.append(text, 12);
    }
}

// One fact of an MLSD line, kept where the conversion needs it.
void Fact(std::string_view key, std::string_view value, std::string_view& type,
          std::string_view& size, std::string_view& mode, std::string_view& owner,
          std::string_view& group, bool& timed, std::int64_t& modified) {
    // By the first letter: most facts are passed over at once.
    switch (key[0] | 0x20) {
    case 't':
        if (res::EqualIgnoringAsciiCase(key, "type")) {
            type = value;
        }
        break;
    case 's':
        if (res::EqualIgnoringAsciiCase(key, "size") ||
            (size.empty() && res::EqualIgnoringAsciiCase(key, "sizd"))) {
            size = value;
        }
        break;
    case 'm':
        if (res::EqualIgnoringAsciiCase(key, "modify")) {
            timed = ParseFactTimeView(value, modified);
        }
        break;
    case 'u':
        if (key.size() > 5 && res::EqualIgnoringAsciiCase(key.substr(0, 5), "unix.")) {
            const std::string_view unix = key.substr(5);
            if (res::EqualIgnoringAsciiCase(unix, "mode")) {
                mode = value;
            } else if (res::EqualIgnoringAsciiCase(unix, "ownername") ||
                       (owner.empty() && (res::EqualIgnoringAsciiCase(unix, "owner") ||
                                          res::EqualIgnoringAsciiCase(unix, "uid")))) {
                owner = value;
            } else if (res::EqualIgnoringAsciiCase(unix, "groupname") ||
                       (group.empty() && (res::EqualIgnoringAsciiCase(unix, "group") ||
                                          res::EqualIgnoringAsciiCase(unix, "gid")))) {
                group = value;
            }
        }
        break;
    default:
        break;
    }
}

} // namespace

ServerFeatures ParseFeatures(const std::string& reply) {
    ServerFeatures features;
    if (reply.size() < 3 || reply[0] != '2') {
        return features;
    }
    std::size_t start = 0;
    while (start < reply.size()) {
        std::size_t end = reply.find('\n', start);
        if (end == std::string::npos) {
            end = reply.size();
        }
        std::string_view line(reply.data() + start, end - start);
        start = end + 1;
        if (line.empty() || line[0] != ' ') {
            continue; // the first and the last line, "211-..." and "211 End"
        }
        line.remove_prefix(1);
        const std::string name = res::LowerAsciiCopy(line.substr(0, line.find_first_of(" \r")));
        features.mlsd = features.mlsd || name == "mlst" || name == "mlsd";
        features.mdtm = features.mdtm || name == "mdtm";
        features.mfmt = features.mfmt || name == "mfmt";
        features.utf8 = features.utf8 || name == "utf8";
        features.size = features.size || name == "size";
    }
    return features;
}

bool ParseFactTime(const std::string& text, std::int64_t& utc) {
    return ParseFactTimeView(text, utc);
}

bool ParseFactTimeView(std::string_view text, std::int64_t& utc) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 0, 4, year) || !Digits(text, 4, 2, month) || !Digits(text, 6, 2, day) ||
        !Digits(text, 8, 2, hour) || !Digits(text, 10, 2, minute) || !Digits(text, 12, 2, second) ||
        month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 ||
        year < 1970) {
        return false;
    }
    utc = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
          hour * 3600 + minute * 60 + second;
    return true;
}

std::string FactTime(std::int64_t utc) {
    std::tm u{};
    platform::UtcFields(utc, u);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &u);
    return text;
}

std::string MlsdToListing(const std::string& mlsd, ExactTimes& times, bool& symlinks,
                          std::int64_t now) {
    std::string listing;
    listing.reserve(mlsd.size());
    LocalCalendar calendar;
    times.clear();
    times.reserve(mlsd.size() / 64);
    std::string_view lastMode;
    std::string lastPermissions;
    symlinks = false;
    std::size_t start = 0;
    while (start < mlsd.size()) {
        std::size_t end = mlsd.find('\n', start);
        if (end == std::string::npos) {
            end = mlsd.size();
        }
        std::string_view line(mlsd.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // "fact=value;fact=value; name": the facts end at the first "; ", the name is the
        // rest. One pass over the line: a long listing has many.
        std::string_view type, size, mode, owner, group;
        bool timed = false;
        std::int64_t modified = 0;
        std::size_t keyStart = 0;
        std::size_t at = 0;
        for (;; keyStart = at + 1) {
            at = line.find(';', keyStart);
            if (at == std::string_view::npos) {
                at = line.size();
                break;
            }
            const std::string_view fact = line.substr(keyStart, at - keyStart);
            const std::size_t equals = fact.find('=');
            if (equals != std::string_view::npos && equals > 0) {
                Fact(fact.substr(0, equals), fact.substr(equals + 1), type, size, mode, owner,
                     group, timed, modified);
            }
            if (at + 1 < line.size() && line[at + 1] == ' ') {
                break;
            }
        }
        if (at + 2 > line.size()) {
            continue; // no "; " before a name
        }
        const std::string_view name = line.substr(at + 2);
        if (name.empty() || name.find('\r') != std::string_view::npos) {
            continue;
        }
        const bool folder = res::EqualIgnoringAsciiCase(type, "dir");
        const bool link =
            res::EqualIgnoringAsciiCase(type, "os.unix=symlink") ||
            (type.size() >= 13 && res::EqualIgnoringAsciiCase(type.substr(0, 13), "os.unix=slink"));
        if (!timed || (!folder && !link && !res::EqualIgnoringAsciiCase(type, "file"))) {
            continue; // ".", "..", a device, or anything else a listing has no place for
        }
        symlinks = symlinks || link;
        bool plainSize = !size.empty();
        for (char c : size) {
            plainSize = plainSize && c >= '0' && c <= '9';
        }
        if (mode != lastMode) {
            lastMode = mode;
            lastPermissions = ModeText(mode);
        }
        std::string_view permissions = lastPermissions;
        if (permissions.empty()) {
            permissions = folder ? "rwxr-xr-x" : "rw-r--r--";
        }
        listing += folder ? 'd' : '-';
        listing += permissions;
        listing += " 1 ";
        AppendWord(listing, owner, "owner");
        listing += ' ';
        AppendWord(listing, group, "group");
        listing += ' ';
        listing += plainSize ? size : std::string_view("0");
        listing += ' ';
        AppendListedTime(listing, modified, now, calendar);
        listing += ' ';
        listing += name;
        listing += "\r\n";
        times.push_back(modified);
    }
    return listing;
}

} // namespace ftp
