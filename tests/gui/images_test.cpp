// The pictures: every image the program names exists with its listed size, the file-type
// strip has its empty slots, and the toolkit turns them into images with cyan masked out.
#include <wx/image.h>

#include <cstdio>
#include <string>

#include "gui/gui_support.h"
#include "platform/window/wx/wx_images.h"
#include "res/images.h"
#include "res/resource_ids.h"

namespace guitest {
namespace {

struct Size {
    int width;
    int height;
};

Size XpmSize(const char* const* xpm) {
    Size size{0, 0};
    std::sscanf(xpm[0], "%d %d", &size.width, &size.height);
    return size;
}

TEST(ImagesTest, EveryNamedImageHasItsListedSize) {
    const struct {
        int id;
        Size size;
    } expected[] = {
        {res::kIconApp, {32, 32}},        {res::kBitmapFileTypes, {384, 16}},
        {res::kCursorNoDrop, {32, 32}},   {res::kCursorDrop, {32, 32}},
        {res::kIconUp, {24, 16}},         {res::kIconRefresh, {27, 24}},
        {res::kIconMirror, {24, 24}},     {res::kIconUploadAll, {24, 24}},
        {res::kIconCancel, {24, 24}},     {res::kIconConnect, {24, 24}},
        {res::kIconOption, {24, 24}},     {res::kIconOpenFolder, {24, 24}},
        {res::kIconDisconnect, {24, 24}}, {res::kBitmapHost, {16, 16}},
    };
    for (const auto& e : expected) {
        const char* const* xpm = res::FindXpm(e.id);
        ASSERT_NE(xpm, nullptr) << "image " << e.id;
        const Size size = XpmSize(xpm);
        EXPECT_EQ(size.width, e.size.width) << "image " << e.id;
        EXPECT_EQ(size.height, e.size.height) << "image " << e.id;
        EXPECT_TRUE(wxImage(xpm).IsOk()) << "image " << e.id;
    }
    EXPECT_EQ(res::FindXpm(4242), nullptr);
}

TEST(ImagesTest, FileTypeStripHasDrawingsExactlyWhereTheTableHasRoles) {
    wxImage strip(res::FindXpm(res::kBitmapFileTypes));
    ASSERT_TRUE(strip.IsOk());
    for (int index = 0; index < 24; ++index) {
        bool empty = true;
        for (int y = 0; y < 16 && empty; ++y) {
            for (int x = 0; x < 16 && empty; ++x) {
                const int px = index * 16 + x;
                empty = strip.GetRed(px, y) == 0 && strip.GetGreen(px, y) == 255 &&
                        strip.GetBlue(px, y) == 255;
            }
        }
        const bool shouldBeEmpty =
            index == 4 || index == 5 || index == 9 || index == 13 || index == 16 || index == 23;
        EXPECT_EQ(empty, shouldBeEmpty) << "image " << index;
    }
}

TEST(ImagesTest, ToolkitImagesMaskCyanAndCursorsKeepTheirHotSpots) {
    std::unique_ptr<wxImageList> list(wxwin::LoadImageList(res::kBitmapFileTypes));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetImageCount(), 24);
    EXPECT_EQ(wxwin::LoadImageList(4242), nullptr);
    const wxBitmap icon = wxwin::LoadBitmap(res::kIconConnect);
    ASSERT_TRUE(icon.IsOk());
    const wxImage image = icon.ConvertToImage();
    EXPECT_TRUE(image.HasMask() || image.HasAlpha());
    int x = 0;
    int y = 0;
    ASSERT_TRUE(res::CursorHotSpot(res::kCursorNoDrop, x, y));
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 15);
    ASSERT_TRUE(res::CursorHotSpot(res::kCursorDrop, x, y));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 1);
    EXPECT_FALSE(res::CursorHotSpot(res::kIconApp, x, y));
    EXPECT_TRUE(wxwin::LoadCursor(res::kCursorDrop).IsOk());
}

} // namespace
} // namespace guitest
