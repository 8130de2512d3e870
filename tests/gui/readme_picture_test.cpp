// The README's picture: the program's window logged in to a server that holds the demo's
// sample tree, written into the build folder as readme_main_window.png. scripts/screenshot
// copies it into docs/.
#include <cstdlib>

#include "gui/program_window.h"

namespace guitest {
namespace {

TEST_F(ProgramWindowTest, ReadmePictureOfTheWindowConnectedToTheDemoTree) {
    const std::string fill = std::string("'") + QUORREL_SOURCE_DIR + "/scripts/demo-tree' '" +
                             server.Root().Path() + "'";
    ASSERT_EQ(std::system(fill.c_str()), 0) << fill;
    local.Write("website/pages/index.html", "<p>");
    local.Write("website/notes.txt", "to do");
    local.Write("website/photo.jpg", std::string(48000, 'j'));
    local.Write("website/song.mp3", std::string(320000, 'm'));
    StartProgram(local / "website");

    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_TRUE(Lists(res::kRemoteList, "README.txt") && Lists(res::kRemoteList, "pictures") &&
                Lists(res::kRemoteList, "archive.zip"));
    EXPECT_FALSE(Screenshot(window->Frame(), "readme_main_window.png").empty());
}

} // namespace
} // namespace guitest
