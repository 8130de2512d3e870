// Real mouse input through the X server: a click selects, a right click asks for exactly one
// menu, and a drag from one list to the other ends with the release over the other list.
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/uiaction.h>

#include "gui/gui_support.h"
#include "platform/window/wx/wx_list_view.h"
#include "res/resource_ids.h"

namespace guitest {
namespace {

using win::MessageKind;

class InputTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        window->ListView(res::kRemoteList)
            .InsertItems(0, {{"pub", 0}, {"readme.txt", 6}, {"index.html", 1}});
        window->ListView(res::kLocalList).InsertItems(0, {{"site", 0}});
        window->ShowWindow();
        wxwin::PumpUntil([this] { return window->Frame()->IsShownOnScreen(); });
        Settle();
    }
    // Lets the X server deliver what the simulator sent.
    void Settle() {
        for (int i = 0; i < 10; ++i) {
            wxwin::PumpPending();
            wxMilliSleep(5);
        }
    }
    wxPoint RowOnScreen(int row) {
        auto* list = static_cast<wxwin::ListWidget*>(window->Widget(res::kRemoteList));
        wxRect rect;
        list->GetItemRect(row, rect);
        // On the row's icon: in list mode only the icon and the label answer the mouse.
        return list->ClientToScreen(rect.GetLeftTop() + wxPoint(10, rect.height / 2));
    }
    wxUIActionSimulator sim;
};

TEST_F(InputTest, AClickSelectsTheRowAndSetsTheSelectionMark) {
    sim.MouseMove(RowOnScreen(1));
    Settle();
    sim.MouseClick();
    ASSERT_TRUE(wxwin::PumpUntil([&] { return !handler.Of(MessageKind::ItemChanged).empty(); }));
    Settle();
    const auto changed = handler.Of(MessageKind::ItemChanged);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].index, 1);
    EXPECT_EQ(changed[0].newState, win::kStateSelected | win::kStateFocused);
    EXPECT_EQ(window->ListView(res::kRemoteList).GetSelectionMark(), 1);

    // A click on empty space takes the selection away, and the logic hears of it.
    const win::Rect list = window->GetControlRectOnScreen(res::kRemoteList);
    sim.MouseMove(wxPoint(list.right - 30, list.bottom - 30));
    Settle();
    sim.MouseClick();
    Settle();
    EXPECT_EQ(window->ListView(res::kRemoteList).GetSelectedCount(), 0);
    const auto after = handler.Of(MessageKind::ItemChanged);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1].index, 1);
    EXPECT_EQ(after[1].newState & win::kStateSelected, 0u);
}

TEST_F(InputTest, ARightClickAsksForExactlyOneMenu) {
    sim.MouseMove(RowOnScreen(2));
    Settle();
    sim.MouseClick(wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(wxwin::PumpUntil([&] { return !handler.Of(MessageKind::ContextMenu).empty(); }));
    Settle();
    EXPECT_EQ(handler.Of(MessageKind::ContextMenu).size(), 1u);
}

TEST_F(InputTest, ADragEndsOverTheOtherList) {
    handler.onMessage = [this](win::Message& m) {
        if (m.kind == MessageKind::BeginDrag) {
            window->CaptureMouse(m.id);
            window->SetCursor(res::kCursorDrop);
        } else if (m.kind == MessageKind::LeftButtonUp) {
            window->SetCursor(0);
            window->ReleaseMouse();
        }
    };
    const wxPoint from = RowOnScreen(1);
    const win::Rect local = window->GetControlRectOnScreen(res::kLocalList);
    const wxPoint to((local.left + local.right) / 2, (local.top + local.bottom) / 2);
    sim.MouseMove(from);
    Settle();
    sim.MouseDown();
    Settle();
    // A drag begins after a few moves with the button held over the row.
    for (int step = 1; step <= 5; ++step) {
        sim.MouseMove(from + wxPoint(2 * step, 0));
        Settle();
    }
    for (int step = 1; step <= 10; ++step) {
        sim.MouseMove(from + (to - from) * step / 10);
        Settle();
    }
    sim.MouseUp();
    Settle();
    ASSERT_TRUE(wxwin::PumpUntil([&] { return !handler.Of(MessageKind::LeftButtonUp).empty(); }));
    EXPECT_EQ(handler.Of(MessageKind::BeginDrag).size(), 1u);
    EXPECT_FALSE(handler.Of(MessageKind::MouseMove).empty());
    const auto up = handler.Of(MessageKind::LeftButtonUp)[0];
    EXPECT_EQ(up.id, res::kRemoteList);
    EXPECT_TRUE(local.Contains(up.x, up.y)) << up.x << "," << up.y;
}

TEST_F(InputTest, HostFieldsLaidOverTheTabStripTakeClicksAndTheTabsChange) {
    for (int i = 0; i < 6; ++i) {
        window->Tab(res::kHostTab).InsertItem(i, "Host " + std::to_string(i + 1));
    }
    window->Tab(res::kHostTab).InsertItem(6, "Host Lists");
    Settle();
    const win::Rect edit = window->GetControlRectOnScreen(res::kUserNameEdit);
    sim.MouseMove(wxPoint(edit.left + 20, (edit.top + edit.bottom) / 2));
    Settle();
    sim.MouseClick();
    ASSERT_TRUE(wxwin::PumpUntil([&] { return window->GetFocusId() == res::kUserNameEdit; }));

    // A click on the last tab: asked first, then told.
    auto* book = static_cast<wxNotebook*>(window->Widget(res::kHostTab));
    wxPoint onTab(-1, -1);
    for (int x = 0; x < book->GetSize().x && onTab.x < 0; x += 4) {
        if (book->HitTest(wxPoint(x, 12)) == 6) {
            onTab = wxPoint(x + 10, 12);
        }
    }
    ASSERT_GE(onTab.x, 0);
    sim.MouseMove(book->ClientToScreen(onTab));
    Settle();
    sim.MouseClick();
    ASSERT_TRUE(wxwin::PumpUntil([&] { return !handler.Of(MessageKind::TabChanged).empty(); }));
    ASSERT_EQ(handler.Of(MessageKind::TabChanging).size(), 1u);
    EXPECT_EQ(window->Tab(res::kHostTab).GetCurSel(), 6);

    // The newly shown page must not cover the host list shown over it.
    window->ListView(res::kHostList).Show(true);
    window->ListView(res::kHostList).InsertItem(0, "ftp.example.org", 0);
    Settle();
    auto* hosts = static_cast<wxListCtrl*>(window->Widget(res::kHostList));
    wxRect row;
    hosts->GetItemRect(0, row);
    sim.MouseMove(hosts->ClientToScreen(row.GetLeftTop() + wxPoint(10, row.height / 2)));
    Settle();
    sim.MouseClick();
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        for (const auto& m : handler.Of(MessageKind::ItemChanged)) {
            if (m.id == res::kHostList) {
                return true;
            }
        }
        return false;
    }));
}

} // namespace
} // namespace guitest
