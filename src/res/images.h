// The program's pictures: icons, the file-type and host bitmaps and the drag cursors, kept as
// XPM text so that any window system can turn them into its own images. Cyan (0, 255, 255) is
// the transparent colour of every picture.
#pragma once

namespace res {

// The XPM lines of image `id` (an icon, bitmap or cursor id of resource_ids.h), or nullptr
// when there is no such image.
const char* const* FindXpm(int id);

// Hot spot of cursor `id`; false when `id` is not a cursor.
bool CursorHotSpot(int id, int& x, int& y);

} // namespace res
