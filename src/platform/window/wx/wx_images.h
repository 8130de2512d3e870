// The program's pictures (res/images) as toolkit objects.
#pragma once

#include <wx/bitmap.h>
#include <wx/cursor.h>
#include <wx/icon.h>
#include <wx/imaglist.h>

namespace wxwin {

// The picture with cyan masked out; an invalid bitmap when there is no picture `id`.
wxBitmap LoadBitmap(int id);
wxIcon LoadIcon(int id);
// A new image list of 16 x 16 images cut from strip `id`; nullptr when there is no strip.
wxImageList* LoadImageList(int id);
// The cursor `id` with its hot spot; the standard arrow for 0 or an unknown id.
wxCursor LoadCursor(int id);

} // namespace wxwin
