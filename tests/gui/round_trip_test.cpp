// The program's window logic on the real window against a real FTP server: connect with the
// button, browse into a folder by activating its row, disconnect, close.
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <algorithm>

#include "gui/program_window.h"
#include "platform/window/wx/wx_list_view.h"

namespace guitest {
namespace {

TEST_F(ProgramWindowTest, ConnectBrowseAndDisconnectThroughRealWidgets) {
    server.Root().Write("welcome.txt", "hello");
    server.Root().Write("pub/inner.txt", "inside");
    local.Write("upload.html", "<p>");
    StartProgram(local.Path());

    EXPECT_TRUE(Lists(res::kLocalList, "upload.html"));
    EXPECT_EQ(window->Text(res::kServerNameEdit).GetText(), server.Address());

    ASSERT_NO_FATAL_FAILURE(Connect());
    EXPECT_TRUE(Lists(res::kRemoteList, "welcome.txt"));
    EXPECT_EQ(window->Button(res::kConnectButton).GetIcon(), res::kIconDisconnect);
    EXPECT_NE(Log().find("230"), std::string::npos);

    // Activating the folder's row opens it.
    auto* remote = static_cast<wxListCtrl*>(window->Widget(res::kRemoteList));
    const long pub = remote->FindItem(-1, "pub");
    ASSERT_GE(pub, 0);
    // A double click selects the row, then activates it.
    remote->SetItemState(pub, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                         wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    wxListEvent activate(wxEVT_LIST_ITEM_ACTIVATED, remote->GetId());
    activate.SetEventObject(remote);
    activate.m_itemIndex = pub;
    remote->GetEventHandler()->ProcessEvent(activate);
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        return !dialog->View().m_busy && Lists(res::kRemoteList, "inner.txt");
    })) << Log();
    Screenshot(window->Frame(), "main_window_connected.png");

    Click(res::kConnectButton);
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        return !dialog->View().m_busy &&
               window->Button(res::kConnectButton).GetIcon() == res::kIconConnect;
    }));
}

// Lets the X server deliver what the simulator sent.
void Settle() {
    for (int i = 0; i < 10; ++i) {
        wxwin::PumpPending();
        wxMilliSleep(5);
    }
}

TEST_F(ProgramWindowTest, AFileDraggedWithTheMouseOntoTheRemoteListArrivesOnTheServer) {
    local.Write("dragged.html", "<p>moved by mouse</p>");
    StartProgram(local.Path());
    wxwin::PumpUntil([this] { return window->Frame()->IsShownOnScreen(); });
    ASSERT_NO_FATAL_FAILURE(Connect());

    auto* list = static_cast<wxwin::ListWidget*>(window->Widget(res::kLocalList));
    const long row = list->FindItem(-1, "dragged.html");
    ASSERT_GE(row, 0);
    wxRect rect;
    list->GetItemRect(row, rect);
    // On the row's icon: in list mode only the icon and the label answer the mouse.
    const wxPoint from = list->ClientToScreen(rect.GetLeftTop() + wxPoint(10, rect.height / 2));
    const win::Rect remote = window->GetControlRectOnScreen(res::kRemoteList);
    const wxPoint to((remote.left + remote.right) / 2, (remote.top + remote.bottom) / 2);
    wxUIActionSimulator sim;
    sim.MouseMove(from);
    Settle();
    sim.MouseDown(); // selects the row, then the drag begins after a few moves
    Settle();
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
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        return !dialog->View().m_busy && Lists(res::kRemoteList, "dragged.html");
    })) << Log();
    EXPECT_EQ(server.Root().Read("dragged.html"), "<p>moved by mouse</p>");
    EXPECT_EQ(Log().find("Do you wish"), std::string::npos);
    // Beside the byte counter, the job summed up in real widgets too.
    EXPECT_TRUE(window->Text(res::kJobStatus).GetText().starts_with("1 of 1 files, 21 B of 21 B\n"))
        << window->Text(res::kJobStatus).GetText();
    Screenshot(window->Frame(), "main_window_after_upload.png");
}

} // namespace
} // namespace guitest
