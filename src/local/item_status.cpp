#include "local/item_status.h"

#include "local/number_format.h"

namespace local {

std::string ItemStatusText(const std::string& name, const platform::LocalDateTime& written,
                           std::int64_t size) {
    return " " + name + "    Date : " + FormatInteger(written.year) + "/" +
           FormatTwoDigits(written.month) + "/" + FormatTwoDigits(written.day) + " " +
           FormatTwoDigits(written.hour) + ":" + FormatTwoDigits(written.minute) + "    " +
           "    Size : " + FormatByteCount(size < 0 ? 0 : static_cast<std::uint64_t>(size));
}

} // namespace local
