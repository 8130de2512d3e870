// What the user does to a file list arrives as messages: activation, context menu (once per
// click), a drag with the mouse captured, focus, and files dropped from the desktop.
#include <wx/app.h>
#include <wx/dnd.h>
#include <wx/listctrl.h>
#include <wx/uiaction.h>

#include "gui/gui_support.h"
#include "platform/window/wx/wx_list_view.h"
#include "res/resource_ids.h"

namespace guitest {
namespace {

using win::MessageKind;

class ListGestureTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        window->ListView(res::kRemoteList).InsertItems(0, {{"pub", 0}, {"readme.txt", 6}});
        window->ListView(res::kLocalList).InsertItems(0, {{"site", 0}});
        list = static_cast<wxwin::ListWidget*>(window->Widget(res::kRemoteList));
        window->ShowWindow();
        wxwin::PumpUntil([this] { return window->Frame()->IsShownOnScreen(); });
    }
    void SendListEvent(wxEventType type, long index) {
        wxListEvent event(type, list->GetId());
        event.SetEventObject(list);
        event.m_itemIndex = index;
        list->GetEventHandler()->ProcessEvent(event);
    }
    void SendMouse(wxEventType type, wxPoint at) {
        wxMouseEvent event(type);
        event.SetEventObject(list->Surface());
        event.SetPosition(at);
        list->Surface()->GetEventHandler()->ProcessEvent(event);
    }
    wxwin::ListWidget* list = nullptr;
};

TEST_F(ListGestureTest, ActivationNamesTheRow) {
    SendListEvent(wxEVT_LIST_ITEM_ACTIVATED, 1);
    const auto activated = handler.Of(MessageKind::ItemActivated);
    ASSERT_EQ(activated.size(), 1u);
    EXPECT_EQ(activated[0].id, res::kRemoteList);
    EXPECT_EQ(activated[0].index, 1);
}

TEST_F(ListGestureTest, OneRightClickAsksForOneMenuAtItsScreenPoint) {
    const wxPoint click(12, 8);
    const wxPoint screen = list->Surface()->ClientToScreen(click);
    SendMouse(wxEVT_RIGHT_DOWN, click);
    ASSERT_EQ(handler.Of(MessageKind::ContextMenu).size(), 1u);
    EXPECT_EQ(handler.Of(MessageKind::ContextMenu)[0].x, screen.x);
    EXPECT_EQ(handler.Of(MessageKind::ContextMenu)[0].y, screen.y);
    EXPECT_EQ(handler.Of(MessageKind::ContextMenu)[0].id, res::kRemoteList);
    // The same click reported a second time asks for no second menu.
    wxContextMenuEvent again(wxEVT_CONTEXT_MENU, list->GetId(), screen);
    again.SetEventObject(list);
    list->GetEventHandler()->ProcessEvent(again);
    EXPECT_EQ(handler.Of(MessageKind::ContextMenu).size(), 1u);
    // A new click at the same place is a new request.
    SendMouse(wxEVT_RIGHT_DOWN, click);
    EXPECT_EQ(handler.Of(MessageKind::ContextMenu).size(), 2u);
    // From the keyboard: a point on the list.
    wxContextMenuEvent key(wxEVT_CONTEXT_MENU, list->GetId(), wxDefaultPosition);
    key.SetEventObject(list);
    list->GetEventHandler()->ProcessEvent(key);
    ASSERT_EQ(handler.Of(MessageKind::ContextMenu).size(), 3u);
    const win::Rect rect = window->GetControlRectOnScreen(res::kRemoteList);
    const auto last = handler.Of(MessageKind::ContextMenu)[2];
    EXPECT_TRUE(rect.Contains(last.x, last.y));
}

TEST_F(ListGestureTest, ADragReportsMovesAndTheReleaseWhileTheMouseIsCaptured) {
    handler.onMessage = [this](win::Message& m) {
        if (m.kind == MessageKind::BeginDrag) {
            window->CaptureMouse(m.id);
            window->SetCursor(res::kCursorDrop);
        } else if (m.kind == MessageKind::LeftButtonUp) {
            window->SetCursor(0);
            window->ReleaseMouse();
        }
    };
    SendMouse(wxEVT_MOTION, wxPoint(10, 10)); // not dragging: nothing
    EXPECT_TRUE(handler.Of(MessageKind::MouseMove).empty());
    SendListEvent(wxEVT_LIST_BEGIN_DRAG, 0);
    ASSERT_EQ(handler.Of(MessageKind::BeginDrag).size(), 1u);
    SendMouse(wxEVT_MOTION, wxPoint(20, 30));
    SendMouse(wxEVT_LEFT_UP, wxPoint(25, 35));
    SendMouse(wxEVT_MOTION, wxPoint(40, 40)); // over: the capture is gone
    const auto moves = handler.Of(MessageKind::MouseMove);
    const auto ups = handler.Of(MessageKind::LeftButtonUp);
    ASSERT_EQ(moves.size(), 1u);
    ASSERT_EQ(ups.size(), 1u);
    const wxPoint screen = list->Surface()->ClientToScreen(wxPoint(25, 35));
    EXPECT_EQ(ups[0].x, screen.x);
    EXPECT_EQ(ups[0].y, screen.y);
    EXPECT_EQ(ups[0].id, res::kRemoteList);
    EXPECT_FALSE(list->Surface()->HasCapture());
}

TEST_F(ListGestureTest, FocusAndDroppedFilesArriveAsMessages) {
    wxFocusEvent focus(wxEVT_SET_FOCUS);
    focus.SetEventObject(list->Surface());
    list->Surface()->GetEventHandler()->ProcessEvent(focus);
    ASSERT_EQ(handler.Of(MessageKind::FocusGained).size(), 1u);
    EXPECT_EQ(handler.Of(MessageKind::FocusGained)[0].id, res::kRemoteList);

    auto* target = dynamic_cast<wxFileDropTarget*>(list->GetDropTarget());
    ASSERT_NE(target, nullptr);
    wxArrayString names;
    names.Add("/home/user/site");
    names.Add(wxString::FromUTF8("/home/user/caf\xC3\xA9.txt"));
    EXPECT_TRUE(target->OnDropFiles(10, 10, names));
    const auto dropped = handler.Of(MessageKind::FilesDropped);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].id, res::kRemoteList);
    ASSERT_EQ(dropped[0].paths.size(), 2u);
    EXPECT_EQ(dropped[0].paths[1], "/home/user/caf\xC3\xA9.txt");
    // The local list does not take files from the desktop.
    EXPECT_EQ(window->Widget(res::kLocalList)->GetDropTarget(), nullptr);
}

TEST_F(ListGestureTest, PopupMenuReturnsTheChosenCommandOrNothing) {
    // The menu runs its own loop; the keys that answer it are queued before it opens.
    int chosen = -1;
    wxTheApp->CallAfter([] {
        wxUIActionSimulator keys;
        keys.Char(WXK_DOWN);
        keys.Char(WXK_RETURN);
    });
    const wxPoint at = list->ClientToScreen(wxPoint(20, 20));
    chosen = window->TrackPopupMenu(res::kMenuRemoteEmpty, {}, at.x, at.y);
    EXPECT_TRUE(chosen == res::kCmdRemoteRefresh || chosen == res::kCmdRemoteCreateFolder)
        << chosen;
    wxTheApp->CallAfter([] {
        wxUIActionSimulator keys;
        keys.Char(WXK_ESCAPE);
    });
    EXPECT_EQ(window->TrackPopupMenu(res::kMenuRemoteEmpty, {res::kCmdRemoteRefresh}, at.x, at.y),
              0);
    EXPECT_EQ(window->TrackPopupMenu(4242, {}, at.x, at.y), 0);
}

} // namespace
} // namespace guitest

namespace guitest {
namespace {

TEST_F(ListGestureTest, TheMenuKeyAndShiftF10AskForTheMenuFromTheKeyboard) {
    list->Surface()->SetFocus();
    wxwin::PumpUntil([this] { return list->Surface()->HasFocus(); });
    const std::size_t before = handler.Of(MessageKind::ContextMenu).size();
    {
        wxUIActionSimulator keys;
        keys.Char(WXK_MENU);
    }
    wxwin::PumpUntil([&] { return handler.Of(MessageKind::ContextMenu).size() > before; });
    ASSERT_EQ(handler.Of(MessageKind::ContextMenu).size(), before + 1) << "Menu key";
    {
        wxUIActionSimulator keys;
        keys.Char(WXK_F10, wxMOD_SHIFT);
    }
    wxwin::PumpUntil([&] { return handler.Of(MessageKind::ContextMenu).size() > before + 1; });
    ASSERT_EQ(handler.Of(MessageKind::ContextMenu).size(), before + 2) << "Shift+F10";
    EXPECT_EQ(handler.Of(MessageKind::ContextMenu).back().id, res::kRemoteList);
}

} // namespace
} // namespace guitest
