// The name a remote command is sent for, from a row of the remote pane.
#pragma once

#include <string>

#include "ftp/entry_names.h"
#include "platform/window/controls.h"
#include "res/file_types.h"

namespace ui {

// A link row shows "name -> target"; the server knows it by the name alone. Any other row is
// known by its text, arrows and all.
inline std::string RemoteRowName(const win::IListView& pane, int row) {
    std::string text = pane.GetItemText(row);
    return pane.GetItemImage(row) == res::kImageLink ? ftp::LinkName(text) : text;
}

} // namespace ui
