// The window as a user of today drives it, with real mouse clicks and key presses through the X
// server: a bigger window, headers that sort, the lists' keys, a typed path and a tooltip. The
// pictures it takes go into the build folder; scripts/screenshot copies them into docs/.
#include <sys/stat.h>
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/uiaction.h>

#include <filesystem>

#include "gui/program_window.h"
#include "platform/window/wx/gtk_style.h"
#include "platform/window/wx/wx_list_view.h"

namespace guitest {
namespace {

class ModernWindowTest : public ProgramWindowTest {
protected:
    void SetUp() override {
        ProgramWindowTest::SetUp();
        auto& root = server.Root();
        root.Write("notes.txt", "abc");
        root.Write("photo.jpg", std::string(48000, 'j'));
        root.Write("index.html", std::string(900, 'h'));
        root.Write("pages/about.html", "<p>");
        // Oldest to newest: notes, photo, index.
        SetTime(root / "notes.txt", 1262304000);
        SetTime(root / "photo.jpg", 1420070400);
        SetTime(root / "index.html", 1609459200);
        local.Write("site/draft.txt", "d");
        local.Write("site/logo.png", std::string(2000, 'p'));
    }
    static void SetTime(const std::filesystem::path& path, std::int64_t seconds) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    // Lets the X server deliver what the simulator sent.
    static void Settle() {
        for (int i = 0; i < 10; ++i) {
            wxwin::PumpPending();
            wxMilliSleep(5);
        }
    }
    wxwin::ListWidget* List(int id) { return static_cast<wxwin::ListWidget*>(window->Widget(id)); }
    std::vector<std::string> Names(int id) {
        std::vector<std::string> names;
        for (const win::ListRow& row : window->ListView(id).GetRows()) {
            names.push_back(row.text);
        }
        return names;
    }
    // A real click on the header of `column`, in the middle of its header cell.
    void ClickHeader(int id, int column) {
        wxwin::ListWidget* list = List(id);
        int x = 0;
        for (int i = 0; i < column; ++i) {
            x += list->GetColumnWidth(i);
        }
        const int headerHeight = list->Surface()->GetPosition().y;
        ClickAt(
            list->ClientToScreen(wxPoint(x + list->GetColumnWidth(column) / 2, headerHeight / 2)));
    }
    void ClickRow(int id, const std::string& name) {
        wxwin::ListWidget* list = List(id);
        const long row = list->FindItem(-1, name);
        ASSERT_GE(row, 0) << name;
        wxRect rect;
        list->GetItemRect(row, rect, wxLIST_RECT_LABEL);
        ClickAt(list->ClientToScreen(rect.GetLeftTop() + wxPoint(8, rect.height / 2)));
    }
    void ClickAt(wxPoint where) {
        sim.MouseMove(where);
        Settle();
        sim.MouseClick();
        Settle();
    }
    void Press(int key, int modifiers = wxMOD_NONE) {
        sim.Char(key, modifiers);
        Settle();
    }
    void Idle() {
        ASSERT_TRUE(wxwin::PumpUntil([this] { return !dialog->View().m_busy; })) << Log();
        Settle();
    }
    wxUIActionSimulator sim;
};

TEST_F(ModernWindowTest, AGrownWindowSortsByItsHeadersAndAnswersTheKeys) {
    StartProgram(local / "site");
    ASSERT_TRUE(wxwin::PumpUntil([this] { return window->Frame()->IsShownOnScreen(); }));
    window->Resize(1240, 860);
    ASSERT_TRUE(wxwin::PumpUntil([this] { return window->Frame()->GetSize().x == 1240; }));
    ASSERT_NO_FATAL_FAILURE(Connect());
    Settle();
    EXPECT_GT(window->Widget(res::kLogEdit)->GetSize().y, 150) << "the log took some room";
    // The widget shows the rows the pane holds, asking for them as it draws.
    wxwin::ListWidget* remote = List(res::kRemoteList);
    EXPECT_TRUE(remote->HasFlag(wxLC_VIRTUAL));
    ASSERT_EQ(remote->GetItemCount(), 4);
    EXPECT_EQ(remote->GetItemText(0), "pages");
    EXPECT_EQ(remote->GetItemText(1, 1), "900"); // index.html, by kind before the text file

    // Headers: size, again for the other way, then the time.
    ClickHeader(res::kRemoteList, 1);
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        return Names(res::kRemoteList) ==
               std::vector<std::string>{"pages", "notes.txt", "index.html", "photo.jpg"};
    })) << testing::PrintToString(Names(res::kRemoteList));
    wxMilliSleep(600); // a second click this soon would be a double click
    ClickHeader(res::kRemoteList, 1);
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        return Names(res::kRemoteList) ==
               std::vector<std::string>{"pages", "photo.jpg", "index.html", "notes.txt"};
    })) << testing::PrintToString(Names(res::kRemoteList));
    EXPECT_FALSE(Screenshot(window->Frame(), "columns_sorted_by_size.png").empty());
    ClickHeader(res::kRemoteList, 2);
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        return Names(res::kRemoteList) ==
               std::vector<std::string>{"pages", "notes.txt", "photo.jpg", "index.html"};
    })) << testing::PrintToString(Names(res::kRemoteList));
    EXPECT_FALSE(Screenshot(window->Frame(), "columns_sorted_by_date.png").empty());

    // Enter opens the folder, Backspace comes back, F5 lists again.
    ClickRow(res::kRemoteList, "pages");
    Press(WXK_RETURN);
    Idle();
    EXPECT_EQ(Names(res::kRemoteList), std::vector<std::string>{"about.html"}) << Log();
    Press(WXK_BACK);
    Idle();
    EXPECT_EQ(Names(res::kRemoteList).size(), 4u);
    const std::size_t lists = Log().size();
    Press(WXK_F5);
    Idle();
    EXPECT_GT(Log().size(), lists);

    // Tab to the local list; Ctrl+A selects all of it; F7 makes a folder and Enter names it.
    Press(WXK_TAB);
    EXPECT_EQ(window->GetFocusId(), res::kLocalList);
    Press('A', wxMOD_CONTROL);
    EXPECT_EQ(window->ListView(res::kLocalList).GetSelectedCount(), 2);
    Press(WXK_F7);
    ASSERT_TRUE(wxwin::PumpUntil(
        [&] { return std::filesystem::is_directory(local / "site/NewFolder(1)"); }));
    Settle();
    sim.Text("made");
    Press(WXK_RETURN);
    ASSERT_TRUE(
        wxwin::PumpUntil([&] { return std::filesystem::is_directory(local / "site/made"); }));
    // F2 on it, Escape: the edit ends and nothing else happens; the window stays.
    Press(WXK_F2);
    Press(WXK_ESCAPE);
    Press(WXK_ESCAPE);
    EXPECT_TRUE(std::filesystem::is_directory(local / "site/made"));
    EXPECT_FALSE(window->IsDestroyed());
    EXPECT_FALSE(dialog->IsClosed());

    // A path typed into the remote box.
    auto* combo = static_cast<wxComboBox*>(window->Widget(res::kRemotePathCombo));
    ClickAt(combo->GetScreenRect().GetLeftTop() + wxPoint(20, combo->GetSize().y / 2));
    combo->SelectAll();
    sim.Text("/pages");
    Press(WXK_RETURN);
    Idle();
    EXPECT_EQ(Names(res::kRemoteList), std::vector<std::string>{"about.html"}) << Log();
    EXPECT_FALSE(Screenshot(window->Frame(), "window_resized.png").empty());
}

TEST_F(ModernWindowTest, IconButtonsShowATooltipAndCarryAnAccessibleName) {
    StartProgram(local / "site");
    ASSERT_TRUE(wxwin::PumpUntil([this] { return window->Frame()->IsShownOnScreen(); }));
    wxWindow* mirror = window->Widget(res::kMirrorButton);
    ASSERT_NE(mirror->GetToolTip(), nullptr);
    EXPECT_EQ(mirror->GetToolTipText(), "Mirror the local folder onto the server");
    EXPECT_EQ(wxwin::AccessibleName(mirror), "Mirror the local folder onto the server");
    EXPECT_EQ(wxwin::AccessibleName(window->Widget(res::kConnectButton)), "Connect");
    ASSERT_NO_FATAL_FAILURE(Connect());
    Settle();
    EXPECT_EQ(window->Widget(res::kConnectButton)->GetToolTipText(), "Disconnect");
    // Hovering shows the tip on the screen (the toolkit waits half a second).
    window->Frame()->Raise();
    const wxPoint over = mirror->GetScreenRect().GetLeftTop() + wxPoint(8, 8);
    for (int step = 0; step < 4; ++step) {
        sim.MouseMove(over + wxPoint(step, step));
        Settle();
    }
    for (int i = 0; i < 40; ++i) {
        Settle();
    }
    EXPECT_FALSE(Screenshot(window->Frame(), "tooltip.png", true).empty());
    sim.MouseMove(wxPoint(0, 0)); // the next window's pictures show no tip
    Settle();
}

} // namespace
} // namespace guitest
