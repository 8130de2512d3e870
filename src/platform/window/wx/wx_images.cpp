#include "platform/window/wx/wx_images.h"

#include <wx/image.h>

#include "res/images.h"

namespace wxwin {
namespace {

const wxColour kMaskColour(0, 255, 255);

bool LoadImage(int id, wxImage& image) {
    const char* const* xpm = res::FindXpm(id);
    if (xpm == nullptr) {
        return false;
    }
    image = wxImage(xpm);
    if (!image.IsOk()) {
        return false;
    }
    image.SetMaskColour(kMaskColour.Red(), kMaskColour.Green(), kMaskColour.Blue());
    return true;
}

} // namespace

wxBitmap LoadBitmap(int id) {
    wxImage image;
    if (!LoadImage(id, image)) {
        return wxBitmap();
    }
    return wxBitmap(image);
}

wxIcon LoadIcon(int id) {
    wxIcon icon;
    wxBitmap bitmap = LoadBitmap(id);
    if (bitmap.IsOk()) {
        icon.CopyFromBitmap(bitmap);
    }
    return icon;
}

wxImageList* LoadImageList(int id) {
    const char* const* xpm = res::FindXpm(id);
    if (xpm == nullptr) {
        return nullptr;
    }
    wxImage strip(xpm);
    if (!strip.IsOk()) {
        return nullptr;
    }
    auto* list = new wxImageList(16, 16, true, strip.GetWidth() / 16);
    for (int x = 0; x + 16 <= strip.GetWidth(); x += 16) {
        wxImage piece = strip.GetSubImage(wxRect(x, 0, 16, 16));
        piece.SetMaskColour(kMaskColour.Red(), kMaskColour.Green(), kMaskColour.Blue());
        list->Add(wxBitmap(piece));
    }
    return list;
}

wxCursor LoadCursor(int id) {
    wxImage image;
    int hotX = 0;
    int hotY = 0;
    if (!res::CursorHotSpot(id, hotX, hotY) || !LoadImage(id, image)) {
        return wxCursor(wxCURSOR_ARROW);
    }
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, hotX);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, hotY);
    return wxCursor(image);
}

} // namespace wxwin
