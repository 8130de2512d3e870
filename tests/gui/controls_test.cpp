// The controls through their interfaces against real widgets: list view rows, states,
// notifications and label editing; tabs with a veto; the combo boxes; the log's positions.
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/odcombo.h>
#include <wx/textctrl.h>

#include "gui/gui_support.h"
#include "platform/window/wx/wx_list_view.h"
#include "platform/window/wx/wx_text.h"
#include "res/resource_ids.h"

namespace guitest {
namespace {

using win::kStateFocused;
using win::kStateSelected;
using win::MessageKind;

class ListViewTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        list().InsertItems(0, {{"folder", 0}, {"index.html", 1}, {"caf\xE9.txt", 6}});
        widget = static_cast<wxListCtrl*>(window->Widget(res::kLocalList));
    }
    win::IListView& list() { return window->ListView(res::kLocalList); }
    wxListCtrl* widget = nullptr;
};

TEST_F(ListViewTest, RowsKeepTheirBytesAndImages) {
    EXPECT_EQ(list().GetItemCount(), 3);
    // Not valid UTF-8: shown with a replacement character, handed back byte for byte.
    EXPECT_EQ(list().GetItemText(2), "caf\xE9.txt");
    EXPECT_EQ(widget->GetItemText(2), wxString::FromUTF8("caf\xEF\xBF\xBD.txt"));
    EXPECT_EQ(list().GetItemImage(1), 1);
    EXPECT_EQ(list().FindItem("INDEX.HTML"), 1);
    EXPECT_EQ(list().FindItem("CAF\xC9.TXT"), -1); // only A to Z fold
    EXPECT_EQ(list().InsertItem(1, "between", 15), 1);
    EXPECT_EQ(list().GetItemText(2), "index.html");
    EXPECT_TRUE(list().DeleteItem(0));
    EXPECT_FALSE(list().DeleteItem(7));
    EXPECT_EQ(list().GetItemText(0), "between");
    list().SetImageList(res::kBitmapFileTypes);
    ASSERT_NE(widget->GetImageList(wxIMAGE_LIST_SMALL), nullptr);
    EXPECT_EQ(widget->GetImageList(wxIMAGE_LIST_SMALL)->GetImageCount(), 24);
}

TEST_F(ListViewTest, TheProgramsStateChangesNotifyNobody) {
    list().SetItemState(1, kStateSelected | kStateFocused, kStateSelected | kStateFocused);
    list().SetItemState(2, kStateSelected, kStateSelected);
    wxwin::PumpPending();
    EXPECT_TRUE(handler.Messages().empty());
    EXPECT_EQ(list().GetItemState(1), kStateSelected | kStateFocused);
    EXPECT_EQ(list().GetSelectedCount(), 2);
    EXPECT_EQ(list().GetNextSelected(-1), 1);
    EXPECT_EQ(list().GetNextSelected(1), 2);
    EXPECT_EQ(list().GetNextSelected(2), -1);
    list().SetItemState(-1, 0, kStateSelected);
    EXPECT_EQ(list().GetSelectedCount(), 0);
    EXPECT_EQ(list().GetSelectionMark(), -1);
    list().SetSelectionMark(2);
    EXPECT_EQ(list().GetSelectionMark(), 2);
}

TEST_F(ListViewTest, TheUsersSelectionIsReportedOnceLossesFirst) {
    list().SetItemState(0, kStateSelected | kStateFocused, kStateSelected | kStateFocused);
    // What a click on row 2 does inside the widget.
    widget->SetItemState(0, 0, wxLIST_STATE_SELECTED);
    widget->SetItemState(2, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                         wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    ASSERT_TRUE(wxwin::PumpUntil([&] { return handler.Of(MessageKind::ItemChanged).size() >= 2; }));
    const auto changing = handler.Of(MessageKind::ItemChanging);
    const auto changed = handler.Of(MessageKind::ItemChanged);
    ASSERT_EQ(changed.size(), 2u);
    ASSERT_EQ(changing.size(), 2u);
    EXPECT_EQ(changed[0].index, 0);
    EXPECT_EQ(changed[0].oldState, kStateSelected | kStateFocused);
    EXPECT_EQ(changed[0].newState, 0u);
    EXPECT_EQ(changed[1].index, 2);
    EXPECT_EQ(changed[1].oldState, 0u);
    EXPECT_EQ(changed[1].newState, kStateSelected | kStateFocused);
    EXPECT_EQ(changed[1].id, res::kLocalList);
    // Each change is announced before it is reported.
    const auto all = handler.Messages();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].kind, MessageKind::ItemChanging);
    EXPECT_EQ(all[1].kind, MessageKind::ItemChanged);
    EXPECT_EQ(list().GetSelectionMark(), 2);
}

TEST_F(ListViewTest, ALabelEditEndsAsTheLogicDecides) {
    window->ShowWindow();
    handler.onMessage = [this](win::Message& m) {
        if (m.kind == MessageKind::EndLabelEdit && !m.cancelled && m.text != "refused") {
            list().SetItemText(m.index, m.text + ".bak");
        }
    };
    list().EditLabel(1);
    ASSERT_TRUE(wxwin::PumpUntil([&] { return widget->GetEditControl() != nullptr; }));
    widget->GetEditControl()->SetValue("renamed");
    widget->EndEditLabel(false);
    wxwin::PumpPending();
    auto ends = handler.Of(MessageKind::EndLabelEdit);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].index, 1);
    EXPECT_EQ(ends[0].text, "renamed");
    EXPECT_FALSE(ends[0].cancelled);
    EXPECT_EQ(list().GetItemText(1), "renamed.bak");
    EXPECT_EQ(widget->GetItemText(1), "renamed.bak");

    // Refused: the row keeps its text.
    list().EditLabel(0);
    ASSERT_TRUE(wxwin::PumpUntil([&] { return widget->GetEditControl() != nullptr; }));
    widget->GetEditControl()->SetValue("refused");
    widget->EndEditLabel(false);
    wxwin::PumpPending();
    EXPECT_EQ(widget->GetItemText(0), "folder");

    list().EditLabel(0);
    ASSERT_TRUE(wxwin::PumpUntil([&] { return widget->GetEditControl() != nullptr; }));
    widget->EndEditLabel(true);
    wxwin::PumpPending();
    ends = handler.Of(MessageKind::EndLabelEdit);
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_TRUE(ends[2].cancelled);
    EXPECT_EQ(list().GetItemText(0), "folder");
}

TEST_F(MainWindowTest, TabChangesCanBeVetoedAndProgramChangesAreSilent) {
    win::ITabControl& tabs = window->Tab(res::kHostTab);
    for (int i = 0; i < 6; ++i) {
        tabs.InsertItem(i, "Host " + std::to_string(i + 1));
    }
    tabs.InsertItem(6, "Host Lists");
    EXPECT_EQ(tabs.GetItemCount(), 7);
    EXPECT_EQ(tabs.GetItemText(6), "Host Lists");
    tabs.SetCurSel(2);
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_TRUE(handler.Messages().empty());

    auto* book = static_cast<wxNotebook*>(window->Widget(res::kHostTab));
    handler.onMessage = [](win::Message& m) {
        if (m.kind == MessageKind::TabChanging) {
            m.result = 1;
        }
    };
    book->SetSelection(4); // a change that does not come from our calls
    wxwin::PumpPending();
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_EQ(handler.Of(MessageKind::TabChanging).size(), 1u);
    EXPECT_TRUE(handler.Of(MessageKind::TabChanged).empty());

    handler.onMessage = nullptr;
    book->SetSelection(5);
    wxwin::PumpPending();
    EXPECT_EQ(tabs.GetCurSel(), 5);
    ASSERT_EQ(handler.Of(MessageKind::TabChanged).size(), 1u);
    EXPECT_EQ(handler.Of(MessageKind::TabChanged)[0].id, res::kHostTab);
}

TEST_F(MainWindowTest, ImageComboAsksBeforeItDropsDown) {
    win::IImageComboBox& combo = window->ImageCombo(res::kDriveCombo);
    combo.SetImageList(res::kBitmapFileTypes);
    combo.InsertItem(-1, {"/", 18, 18, 0});
    combo.InsertItem(-1, {"home", 0, 22, 1});
    EXPECT_EQ(combo.GetCount(), 2);
    EXPECT_EQ(combo.GetItem(1).indent, 1);
    EXPECT_EQ(combo.GetItem(1).selectedImage, 22);
    combo.SetCurSel(1);
    EXPECT_EQ(combo.GetCurSel(), 1);

    // The logic rebuilds the list while it is asked.
    handler.onMessage = [&](win::Message& m) {
        if (m.kind == MessageKind::ComboDropDown) {
            combo.InsertItem(-1, {"user", 0, 22, 2});
        }
    };
    window->ShowWindow();
    auto* widget = static_cast<wxOwnerDrawnComboBox*>(window->Widget(res::kDriveCombo));
    widget->Popup();
    wxwin::PumpPending();
    widget->Dismiss();
    ASSERT_EQ(handler.Of(MessageKind::ComboDropDown).size(), 1u);
    EXPECT_EQ(widget->GetCount(), 3u);
    EXPECT_EQ(combo.GetItem(2).text, "user");
}

TEST_F(MainWindowTest, PlainComboFindsWholeEntriesIgnoringCase) {
    win::IComboBox& combo = window->Combo(res::kRemotePathCombo);
    combo.AddString("/pub");
    combo.AddString("/home/user");
    combo.InsertString(0, "/");
    EXPECT_EQ(combo.GetCount(), 3);
    EXPECT_EQ(combo.FindStringExact("/PUB"), 1);
    EXPECT_EQ(combo.FindStringExact("/pu"), -1);
    combo.SetCurSel(1);
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_TRUE(combo.DeleteString(0));
    EXPECT_EQ(combo.GetString(0), "/pub");
    EXPECT_EQ(combo.GetString(1), "/home/user");
    combo.SetCurSel(-1);
    EXPECT_EQ(combo.GetCurSel(), -1);
}

TEST_F(MainWindowTest, LogPositionsAreBytesOfTheUtf8Text) {
    win::IEdit& log = window->Edit(res::kLogEdit);
    log.SetText("\xC3\xA4\xC3\xB6"
                "abc");     // two 2-byte letters, then ASCII
    log.SetSelection(4, 5); // the "a"
    std::size_t start = 0;
    std::size_t end = 0;
    log.GetSelection(start, end);
    EXPECT_EQ(start, 4u);
    EXPECT_EQ(end, 5u);
    log.ReplaceSelection("X");
    EXPECT_EQ(log.GetText(), "\xC3\xA4\xC3\xB6"
                             "Xbc");
    log.GetSelection(start, end);
    EXPECT_EQ(start, 5u); // the caret stands behind the inserted text
    EXPECT_EQ(end, 5u);
    // Trimming the head, as a full log does, keeps what the control shows and what it reports
    // in step.
    log.SetSelection(0, 2);
    log.ReplaceSelection("");
    log.SetSelection(3, 3);
    log.ReplaceSelection("\xC3\xBC");
    EXPECT_EQ(log.GetText(), "\xC3\xB6X\xC3\xBC"
                             "bc");
    EXPECT_EQ(wxwin::FromWx(static_cast<wxTextCtrl*>(window->Widget(res::kLogEdit))->GetValue()),
              log.GetText());
}

TEST_F(MainWindowTest, LogTakesOnlyWhatFitsItsLimit) {
    win::IEdit& log = window->Edit(res::kLogEdit);
    log.SetLimit(10);
    log.ReplaceSelection("12345678");
    log.ReplaceSelection("abcd");
    EXPECT_EQ(log.GetText(), "12345678ab");
    log.ReplaceSelection("more");
    EXPECT_EQ(log.GetText(), "12345678ab");
    // A letter that does not fit whole is not split.
    log.SetText("123456789");
    log.SetSelection(9, 9);
    log.ReplaceSelection("\xC3\xA4");
    EXPECT_EQ(log.GetText(), "123456789");
}

TEST_F(MainWindowTest, ButtonsTakeIconsAndReportClicks) {
    win::IButton& connect = window->Button(res::kConnectButton);
    EXPECT_EQ(connect.GetIcon(), res::kIconConnect);
    connect.SetIcon(res::kIconDisconnect);
    EXPECT_EQ(connect.GetIcon(), res::kIconDisconnect);
    auto* button = static_cast<wxButton*>(window->Widget(res::kConnectButton));
    EXPECT_TRUE(button->GetBitmap().IsOk());
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
    const auto clicks = handler.Of(MessageKind::ButtonClick);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].id, res::kConnectButton);
}

} // namespace
} // namespace guitest
