// The main window as built from its template: caption, frame, where the controls sit, the
// keys and the close request.
#include <wx/notebook.h>

#include <map>

#include "gui/gui_support.h"
#include "res/resource_ids.h"
#include "res/string_table.h"
#include "res/templates.h"

namespace guitest {
namespace {

using res::ControlKind;

// The template rectangle in pixels as the window should honour it: drop-down boxes count
// with the height of the box, not of their list.
wxRect TemplateRect(const MainWindowTest& test, const res::ControlTemplate& c,
                    const std::function<wxPoint(int, int)>& dlu) {
    (void)test;
    const bool dropDown = c.kind == ControlKind::ComboBox || c.kind == ControlKind::ImageComboBox;
    const int height = dropDown ? std::min(c.height, 14) : c.height;
    const wxPoint a = dlu(c.x, c.y);
    const wxPoint b = dlu(c.x + c.width, c.y + height);
    return wxRect(a, b - wxPoint(1, 1));
}

TEST_F(MainWindowTest, FrameStartsAtTheTemplatesSizeAndGrowsFromIt) {
    EXPECT_EQ(window->GetCaption(), res::kMainCaption);
    wxFrame* frame = window->Frame();
    const long style = frame->GetWindowStyle();
    EXPECT_TRUE(style & wxMINIMIZE_BOX);
    EXPECT_TRUE(style & wxMAXIMIZE_BOX);
    EXPECT_TRUE(style & wxRESIZE_BORDER);
    EXPECT_TRUE(frame->GetIcon().IsOk());
    EXPECT_EQ(frame->GetMinSize(), frame->GetSize());

    // The surface is the template's width; its height grows only where a control needs it.
    const wxPoint full = Dlu(469, 302);
    EXPECT_EQ(window->Surface()->GetSize().x, full.x);
    EXPECT_GE(window->Surface()->GetSize().y + frame->GetStatusBar()->GetSize().y, full.y);
    EXPECT_LE(window->Surface()->GetSize().y, full.y + 40);

    // Grown: the panes share the width, the log and the lists the height; the fixed parts stay.
    window->ShowWindow();
    auto rectOf = [this](int id) { return window->Widget(id)->GetRect(); };
    std::map<int, wxRect> before;
    for (int id : {res::kLocalList, res::kRemoteList, res::kLogEdit, res::kHostTab,
                   res::kByteCounter, res::kRemotePathCombo}) {
        before[id] = rectOf(id);
    }
    const wxSize small = frame->GetSize();
    window->Resize(small.x + 200, small.y + 150);
    ASSERT_TRUE(
        wxwin::PumpUntil([&] { return rectOf(res::kLocalList) != before[res::kLocalList]; }));
    EXPECT_EQ(rectOf(res::kLocalList).width, before[res::kLocalList].width + 100);
    EXPECT_EQ(rectOf(res::kRemoteList).x, before[res::kRemoteList].x + 100);
    EXPECT_EQ(rectOf(res::kRemoteList).width, before[res::kRemoteList].width + 100);
    EXPECT_EQ(rectOf(res::kLogEdit).height, before[res::kLogEdit].height + 50);
    EXPECT_EQ(rectOf(res::kLocalList).height, before[res::kLocalList].height + 100);
    EXPECT_EQ(rectOf(res::kHostTab), before[res::kHostTab]);
    EXPECT_EQ(rectOf(res::kByteCounter).x, before[res::kByteCounter].x + 200);
    EXPECT_EQ(rectOf(res::kRemotePathCombo).GetRight(),
              before[res::kRemotePathCombo].GetRight() + 200);
    // Never below the first size.
    window->Resize(200, 200);
    EXPECT_TRUE(wxwin::PumpUntil([&] { return frame->GetSize() == small; }));
}

TEST_F(MainWindowTest, ControlsKeepTheTemplatesColumnsAndArrangement) {
    const res::DialogTemplate* dialog = res::FindTemplate(res::kMainTemplate);
    ASSERT_NE(dialog, nullptr);
    auto dlu = [this](int x, int y) { return Dlu(x, y); };
    std::vector<std::pair<wxRect, wxRect>> rects; // template, placed
    for (const auto& c : dialog->controls) {
        wxWindow* widget = window->Widget(c.id);
        ASSERT_NE(widget, nullptr) << "control " << c.id;
        const wxRect expected = TemplateRect(*this, c, dlu);
        const wxRect placed = widget->GetRect();
        if (c.kind != ControlKind::Static) {
            // Labels may spill over their margin; everything else keeps its columns exactly.
            EXPECT_EQ(placed.x, expected.x) << "control " << c.id;
            EXPECT_EQ(placed.width, expected.width) << "control " << c.id;
        }
        if (c.kind == ControlKind::Edit || c.kind == ControlKind::ComboBox ||
            c.kind == ControlKind::ImageComboBox) {
            EXPECT_GE(placed.height, widget->GetBestSize().y) << "control " << c.id << " clipped";
        }
        rects.emplace_back(expected, placed);
    }
    // Controls apart in the template stay apart; a row above stays above.
    for (std::size_t i = 0; i < rects.size(); ++i) {
        for (std::size_t j = 0; j < rects.size(); ++j) {
            if (i == j) {
                continue;
            }
            if (!rects[i].first.Intersects(rects[j].first)) {
                EXPECT_FALSE(rects[i].second.Intersects(rects[j].second))
                    << "controls " << dialog->controls[i].id << " and " << dialog->controls[j].id;
            }
            if (rects[i].first.GetBottom() < rects[j].first.GetTop()) {
                EXPECT_LT(rects[i].second.GetBottom(), rects[j].second.GetTop())
                    << "controls " << dialog->controls[i].id << " and " << dialog->controls[j].id;
            }
        }
    }
}

TEST_F(MainWindowTest, HostFieldsLieBelowTheTabHeaderInsideTheStrip) {
    auto* book = dynamic_cast<wxNotebook*>(window->Widget(res::kHostTab));
    ASSERT_NE(book, nullptr);
    const wxRect strip = book->GetRect();
    const int header = book->CalcSizeFromPage(wxSize(0, 0)).y;
    for (int id : {res::kServerNameEdit, res::kUserNameEdit, res::kPasswordEdit, res::kHostList,
                   res::kHostBackground, res::kServerNameLabel}) {
        const wxRect r = window->Widget(id)->GetRect();
        EXPECT_GE(r.GetTop(), strip.GetTop() + header) << "control " << id;
        EXPECT_LE(r.GetBottom(), strip.GetBottom()) << "control " << id;
    }
    // The host list starts hidden, the cancel button disabled.
    EXPECT_FALSE(window->ListView(res::kHostList).IsVisible());
    EXPECT_FALSE(window->Button(res::kCancelButton).IsEnabled());
}

TEST_F(MainWindowTest, StatusLineSitsAtTheBottomAndIsReachableById) {
    window->ShowWindow();
    wxwin::PumpPending();
    window->Text(res::kStatusBar).SetText("readme.txt  1.234 Bytes");
    EXPECT_EQ(window->Text(res::kStatusBar).GetText(), "readme.txt  1.234 Bytes");
    wxStatusBar* bar = window->Frame()->GetStatusBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetStatusText(), "readme.txt  1.234 Bytes");
    EXPECT_GE(bar->GetPosition().y, window->Widget(res::kLocalList)->GetRect().GetBottom());
}

TEST_F(MainWindowTest, UnknownIdsAreHarmlessStandIns) {
    window->Text(4242).SetText("nowhere");
    EXPECT_EQ(window->Text(4242).GetText(), "");
    EXPECT_EQ(window->ListView(res::kLogEdit).InsertItem(0, "x", 0), -1);
    EXPECT_EQ(window->Widget(4242), nullptr);
}

TEST_F(MainWindowTest, EscapeLeavesTheWindowAndTheCloseBoxOnlyAsksTheLogic) {
    window->ShowWindow();
    SendHookKey(window->Frame(), WXK_ESCAPE);
    wxwin::PumpPending();
    EXPECT_TRUE(handler.Of(win::MessageKind::Close).empty());
    window->Frame()->Close();
    wxwin::PumpPending();
    EXPECT_EQ(handler.Of(win::MessageKind::Close).size(), 1u);
    EXPECT_FALSE(window->IsDestroyed());
    EXPECT_TRUE(window->Frame()->IsShown());

    // The logic agrees on the next request.
    handler.onMessage = [this](win::Message& m) {
        if (m.kind == win::MessageKind::Close) {
            window->Destroy();
        }
    };
    window->Frame()->Close();
    EXPECT_TRUE(window->IsDestroyed());
    EXPECT_TRUE(wxwin::PumpUntil([this] { return window->Frame() == nullptr; }));
    // Calls after the end are dropped, not a crash.
    window->Text(res::kServerNameEdit).SetText("late");
    EXPECT_EQ(window->Text(res::kServerNameEdit).GetText(), "");
}

TEST_F(MainWindowTest, EnterIsOfferedToTheLogicWithTheFocusedControl) {
    window->ShowWindow();
    window->SetFocus(res::kPasswordEdit);
    wxwin::PumpUntil([this] { return window->GetFocusId() == res::kPasswordEdit; });
    ASSERT_EQ(window->GetFocusId(), res::kPasswordEdit);
    handler.onMessage = [](win::Message& m) {
        if (m.kind == win::MessageKind::KeyEnter && m.id == res::kPasswordEdit) {
            m.result = 1;
        }
    };
    SendHookKey(window->Frame(), WXK_RETURN);
    const auto enters = handler.Of(win::MessageKind::KeyEnter);
    ASSERT_EQ(enters.size(), 1u);
    EXPECT_EQ(enters[0].id, res::kPasswordEdit);
    EXPECT_EQ(handler.Of(win::MessageKind::Close).size(), 0u);
}

TEST_F(MainWindowTest, TimerTicksArriveAsMessagesUntilStopped) {
    window->StartTimer(res::kConnectTimer, 5);
    ASSERT_TRUE(
        wxwin::PumpUntil([this] { return handler.Of(win::MessageKind::Timer).size() >= 3; }));
    EXPECT_EQ(handler.Of(win::MessageKind::Timer)[0].id, res::kConnectTimer);
    window->StopTimer(res::kConnectTimer);
    wxwin::PumpPending();
    const std::size_t ticks = handler.Of(win::MessageKind::Timer).size();
    for (int i = 0; i < 5; ++i) {
        wxwin::PumpPending();
    }
    EXPECT_EQ(handler.Of(win::MessageKind::Timer).size(), ticks);
}

TEST_F(MainWindowTest, MovedWindowIsNotCentredAndReportsItsPlace) {
    window->Move(40, 30);
    EXPECT_TRUE(window->WasMoved());
    const win::Rect r = window->GetWindowRect();
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, window->Frame()->GetSize().x);
    const win::Rect work = window->GetPrimaryWorkArea();
    EXPECT_GT(work.right - work.left, 0);
    const win::Rect list = window->GetControlRectOnScreen(res::kRemoteList);
    const win::Rect client = window->GetClientRectOnScreen();
    EXPECT_TRUE(client.Contains(list.left, list.top));
}

} // namespace
} // namespace guitest
