// The program's window logic on the real window against a real FTP server: connect with the
// button, browse into a folder by activating its row, disconnect, close.
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <algorithm>

#include "gui/gui_support.h"
#include "platform/window/wx/wx_list_view.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "support/pyftpd_server.h"
#include "support/temp_dir.h"
#include "ui/main_dialog.h"

namespace guitest {
namespace {

using testsupport::PyFtpdServer;
using testsupport::TempDir;

std::vector<std::string> Rows(wxWindow* widget) {
    auto* list = static_cast<wxListCtrl*>(widget);
    std::vector<std::string> rows;
    for (int i = 0; i < list->GetItemCount(); ++i) {
        rows.push_back(list->GetItemText(i).ToStdString());
    }
    return rows;
}

bool Has(const std::vector<std::string>& rows, const std::string& name) {
    return std::find(rows.begin(), rows.end(), name) != rows.end();
}

void Click(wxWindow* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

TEST_F(MainWindowTest, ConnectBrowseAndDisconnectThroughRealWidgets) {
    PyFtpdServer server;
    ASSERT_TRUE(server.Start()) << "pyftpdlib did not start";
    server.Root().Write("welcome.txt", "hello");
    server.Root().Write("pub/inner.txt", "inside");
    TempDir local;
    local.Write("upload.html", "<p>");
    TempDir home;
    home.Write("DEVurorure.ini", "[data]\r\nSname=" + server.Address() +
                                     ";\r\nUname=" + PyFtpdServer::kUser +
                                     ";\r\npin=" + ReverseCharacters(PyFtpdServer::kPassword) +
                                     ";\r\nlc=" + local.Path() + ";\r\n");
    SettingsStore store(home / "DEVurorure.ini");
    auto dialog = std::make_unique<CMainDialog>(*window, store);
    window->SetHandler(dialog.get());
    dialog->Start();
    window->ShowWindow();

    EXPECT_TRUE(Has(Rows(window->Widget(res::kLocalList)), "upload.html"));
    EXPECT_EQ(window->Text(res::kServerNameEdit).GetText(), server.Address());

    Click(window->Widget(res::kConnectButton));
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        return !dialog->m_busy && Has(Rows(window->Widget(res::kRemoteList)), "welcome.txt");
    })) << window->Edit(res::kLogEdit).GetText();
    EXPECT_EQ(window->Button(res::kConnectButton).GetIcon(), res::kIconDisconnect);
    EXPECT_NE(window->Edit(res::kLogEdit).GetText().find("230"), std::string::npos);

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
        return !dialog->m_busy && Has(Rows(window->Widget(res::kRemoteList)), "inner.txt");
    })) << window->Edit(res::kLogEdit).GetText();
    Screenshot(window->Frame(), "main_window_connected.png");

    Click(window->Widget(res::kConnectButton));
    ASSERT_TRUE(wxwin::PumpUntil([&] {
        return !dialog->m_busy &&
               window->Button(res::kConnectButton).GetIcon() == res::kIconConnect;
    }));
    window->Frame()->Close();
    ASSERT_TRUE(wxwin::PumpUntil([&] { return window->IsDestroyed(); }));
    dialog->WaitForWorker();
    window->SetHandler(nullptr);
    dialog.reset();
}

// Lets the X server deliver what the simulator sent.
void Settle() {
    for (int i = 0; i < 10; ++i) {
        wxwin::PumpPending();
        wxMilliSleep(5);
    }
}

TEST_F(MainWindowTest, AFileDraggedWithTheMouseOntoTheRemoteListArrivesOnTheServer) {
    PyFtpdServer server;
    ASSERT_TRUE(server.Start()) << "pyftpdlib did not start";
    TempDir local;
    local.Write("dragged.html", "<p>moved by mouse</p>");
    TempDir home;
    home.Write("DEVurorure.ini", "[data]\r\nSname=" + server.Address() +
                                     ";\r\nUname=" + PyFtpdServer::kUser +
                                     ";\r\npin=" + ReverseCharacters(PyFtpdServer::kPassword) +
                                     ";\r\nlc=" + local.Path() + ";\r\n");
    SettingsStore store(home / "DEVurorure.ini");
    auto dialog = std::make_unique<CMainDialog>(*window, store);
    window->SetHandler(dialog.get());
    dialog->Start();
    window->ShowWindow();
    wxwin::PumpUntil([this] { return window->Frame()->IsShownOnScreen(); });
    Click(window->Widget(res::kConnectButton));
    ASSERT_TRUE(wxwin::PumpUntil([&] { return !dialog->m_busy && dialog->m_connected; }));

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
        return !dialog->m_busy && Has(Rows(window->Widget(res::kRemoteList)), "dragged.html");
    })) << window->Edit(res::kLogEdit).GetText();
    EXPECT_EQ(server.Root().Read("dragged.html"), "<p>moved by mouse</p>");
    EXPECT_EQ(window->Edit(res::kLogEdit).GetText().find("Do you wish"), std::string::npos);

    window->Frame()->Close();
    ASSERT_TRUE(wxwin::PumpUntil([&] { return window->IsDestroyed(); }));
    dialog->WaitForWorker();
    window->SetHandler(nullptr);
    dialog.reset();
}

} // namespace
} // namespace guitest
