// Modal dialogs from their templates: the logic initialises them, decides what every button,
// Enter and Escape do, and ends them.
#include <wx/app.h>
#include <wx/choice.h>

#include "gui/gui_support.h"
#include "platform/window/wx/wx_dialog_window.h"
#include "res/resource_ids.h"
#include "res/templates.h"
#include "ui/permission_dialog.h"

namespace guitest {
namespace {

using win::MessageKind;

// A dialog logic whose steps the test writes.
class ScriptedLogic : public win::IDialogLogic {
public:
    std::function<void(win::IDialogWindow&)> onInit;
    std::function<void(win::IDialogWindow&, win::Message&)> onMessage;
    std::vector<win::Message> messages;

    void OnInitDialog(win::IDialogWindow& window) override {
        m_window = &window;
        if (onInit) {
            onInit(window);
        }
    }
    void Dispatch(win::Message& message) override {
        messages.push_back(message);
        if (onMessage) {
            onMessage(*m_window, message);
        }
    }
    std::size_t Count(MessageKind kind, int id) const {
        std::size_t n = 0;
        for (const auto& m : messages) {
            n += m.kind == kind && m.id == id ? 1 : 0;
        }
        return n;
    }
    std::size_t Count(MessageKind kind) const {
        std::size_t n = 0;
        for (const auto& m : messages) {
            n += m.kind == kind ? 1 : 0;
        }
        return n;
    }

private:
    win::IDialogWindow* m_window = nullptr;
};

// Runs `step` inside the dialog's modal loop.
void WhenShown(std::function<void(wxwin::WxDialogWindow&)> step) {
    wxTheApp->CallAfter([step] {
        if (wxwin::WxDialogWindow* dialog = wxwin::CurrentDialog()) {
            step(*dialog);
        }
    });
}

TEST_F(MainWindowTest, TheLogicDecidesWhetherCancelAndEscapeEndTheDialog) {
    ScriptedLogic logic;
    int cancels = 0;
    logic.onMessage = [&](win::IDialogWindow& dialog, win::Message& m) {
        if (m.kind == MessageKind::ButtonClick && m.id == res::kIdCancel && ++cancels == 3) {
            dialog.EndDialog(res::kIdCancel);
        }
    };
    logic.onInit = [&](win::IDialogWindow& dialog) {
        EXPECT_EQ(dialog.GetCaption(), "Host Propetry");
        dialog.Text(res::kHostProServer).SetText("ftp.example.org");
        WhenShown([](wxwin::WxDialogWindow& shown) {
            SendHookKey(shown.Dialog(), WXK_ESCAPE); // 1: refused by the logic
            shown.Dialog()->Close();                 // 2: the close box, refused
            EXPECT_TRUE(shown.Dialog()->IsModal());
            SendHookKey(shown.Dialog(), WXK_ESCAPE); // 3: accepted
        });
    };
    EXPECT_EQ(window->RunModal(res::kHostProTemplate, logic), res::kIdCancel);
    EXPECT_EQ(logic.Count(MessageKind::ButtonClick, res::kIdCancel), 3u);
}

TEST_F(MainWindowTest, EnterOutsideTheButtonsClicksOkUnlessTheLogicTookIt) {
    ScriptedLogic logic;
    bool takeEnter = true;
    logic.onMessage = [&](win::IDialogWindow& dialog, win::Message& m) {
        if (m.kind == MessageKind::KeyEnter && takeEnter) {
            m.result = 1;
            takeEnter = false;
        }
        if (m.kind == MessageKind::ButtonClick && m.id == res::kIdOk) {
            dialog.EndDialog(res::kIdOk);
        }
    };
    logic.onInit = [&](win::IDialogWindow& dialog) {
        dialog.SetFocus(res::kPermModeEdit);
        WhenShown([](wxwin::WxDialogWindow& shown) {
            SendHookKey(shown.Dialog(), WXK_RETURN); // swallowed by the logic
            SendHookKey(shown.Dialog(), WXK_RETURN); // becomes OK
        });
    };
    EXPECT_EQ(window->RunModal(res::kPermissionTemplate, logic), res::kIdOk);
    EXPECT_EQ(logic.Count(MessageKind::KeyEnter), 2u);
    EXPECT_EQ(logic.Count(MessageKind::ButtonClick, res::kIdOk), 1u);
}

TEST_F(MainWindowTest, ADialogEndedDuringItsInitialisationIsNotShown) {
    ScriptedLogic logic;
    logic.onInit = [](win::IDialogWindow& dialog) { dialog.EndDialog(7); };
    EXPECT_EQ(window->RunModal(res::kOptionTemplate, logic), 7);
    EXPECT_EQ(window->RunModal(9999, logic), -1);
}

TEST_F(MainWindowTest, DialogControlsKeepTheirArrangementAndAMovedDialogStays) {
    ScriptedLogic logic;
    win::Rect placed;
    logic.onInit = [&](win::IDialogWindow& dialog) {
        dialog.Move(25, 35);
        dialog.Combo(res::kHostProTimeZone).AddString("GMT-12:00");
        WhenShown([&](wxwin::WxDialogWindow& shown) {
            placed = shown.GetWindowRect();
            const int ids[] = {res::kHostProServer, res::kHostProUser, res::kHostProPassword,
                               res::kHostProFolder, res::kHostProTimeZone};
            for (std::size_t i = 0; i + 1 < std::size(ids); ++i) {
                const wxRect upper = shown.Widget(ids[i])->GetRect();
                const wxRect lower = shown.Widget(ids[i + 1])->GetRect();
                EXPECT_LT(upper.GetBottom(), lower.GetTop()) << ids[i];
                EXPECT_EQ(upper.x, lower.x);
            }
            const wxRect zone = shown.Widget(res::kHostProTimeZone)->GetRect();
            EXPECT_GE(zone.height, shown.Widget(res::kHostProTimeZone)->GetBestSize().y);
            EXPECT_LT(zone.GetBottom(), shown.Widget(res::kIdOk)->GetRect().GetTop());
            Screenshot(shown.Dialog(), "host_property_dialog.png");
            shown.EndDialog(res::kIdCancel);
        });
    };
    window->RunModal(res::kHostProTemplate, logic);
    EXPECT_EQ(placed.left, 25);
    EXPECT_EQ(placed.top, 35);
}

TEST_F(MainWindowTest, CheckBoxesReportClicksAndTheMouseComingAndGoing) {
    ScriptedLogic logic;
    logic.onInit = [&](win::IDialogWindow& dialog) {
        dialog.CheckBox(res::kOptLowercaseName).SetChecked(true);
        dialog.ListBox(res::kOptExtensionList).AddString("htm");
        dialog.ListBox(res::kOptExtensionList).AddString("txt");
        WhenShown([&](wxwin::WxDialogWindow& shown) {
            EXPECT_TRUE(shown.CheckBox(res::kOptLowercaseName).IsChecked());
            wxWindow* box = shown.Widget(res::kOptDoNotDelete);
            wxMouseEvent enter(wxEVT_ENTER_WINDOW);
            enter.SetEventObject(box);
            box->GetEventHandler()->ProcessEvent(enter);
            wxCommandEvent click(wxEVT_CHECKBOX, box->GetId());
            click.SetEventObject(box);
            box->GetEventHandler()->ProcessEvent(click);
            shown.ListBox(res::kOptExtensionList).SetCurSel(1);
            EXPECT_EQ(shown.ListBox(res::kOptExtensionList).GetCurSel(), 1);
            EXPECT_EQ(shown.ListBox(res::kOptExtensionList).GetString(1), "txt");
            Screenshot(shown.Dialog(), "option_dialog.png");
            shown.EndDialog(res::kIdOk);
        });
    };
    window->RunModal(res::kOptionTemplate, logic);
    EXPECT_EQ(logic.Count(MessageKind::HotItem, res::kOptDoNotDelete), 1u);
    EXPECT_EQ(logic.Count(MessageKind::ButtonClick, res::kOptDoNotDelete), 1u);
}

TEST_F(MainWindowTest, PermissionDialogShowsTheModeBesideItsLabelAboveTheButtons) {
    ui::CPermissionDialog dialog;
    dialog.m_permission = "-rwxr-x---";
    WhenShown([](wxwin::WxDialogWindow& shown) {
        EXPECT_EQ(shown.GetCaption(), "Permission Window");
        EXPECT_EQ(shown.Text(res::kPermModeEdit).GetText(), "750");
        const wxRect edit = shown.Widget(res::kPermModeEdit)->GetRect();
        const wxRect ok = shown.Widget(res::kIdOk)->GetRect();
        const wxRect cancel = shown.Widget(res::kIdCancel)->GetRect();
        EXPECT_LT(edit.GetBottom(), ok.GetTop());
        EXPECT_LT(ok.GetRight(), cancel.GetLeft());
        EXPECT_GE(edit.height, shown.Widget(res::kPermModeEdit)->GetBestSize().y);
        EXPECT_FALSE(Screenshot(shown.Dialog(), "permission_dialog.png").empty());
        SendHookKey(shown.Dialog(), WXK_RETURN); // Enter presses OK
    });
    EXPECT_EQ(window->RunModal(res::kPermissionTemplate, dialog), win::kAnswerOk);
    EXPECT_FALSE(dialog.m_changed);
}

} // namespace
} // namespace guitest
