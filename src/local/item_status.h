// The status-line text that describes a local item.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace local {

// " name    Date : 2003/05/04 09:05        Size : 1.234.567"
std::string ItemStatusText(const std::string& name, const platform::LocalDateTime& written,
                           std::int64_t size);

} // namespace local
