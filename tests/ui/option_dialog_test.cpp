// The option dialog: editing the extension list and the five flags, through the main window's
// button 1013 on the headless window.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/script_mode.h"
#include "res/string_table.h"
#include "support/headless_app.h"
#include "ui/option_dialog.h"

namespace {

using headless::HeadlessDialog;

constexpr int kEdit = 1000;
constexpr int kList = 1003;
constexpr int kAdd = 1007;
constexpr int kDelete = 1008;
constexpr int kHelpButton = 1012;
constexpr int kHelpLine = 1034;

std::vector<std::string> Entries(HeadlessDialog& d) {
    std::vector<std::string> out;
    for (const auto& row : d.Get(kList).Rows()) {
        out.push_back(row.text);
    }
    return out;
}

void Add(HeadlessDialog& d, const std::string& text) {
    d.Type(kEdit, text);
    d.Click(kAdd);
}

class OptionDialogTest : public ::testing::Test {
protected:
    void Open(const std::string& settings = "") {
        app.WriteSettings(settings);
        app.Open();
    }
    // Opens the option dialog from the main window with `driver` acting in it.
    void RunDialog(headless::HeadlessMainWindow::DialogDriver driver) {
        bool ran = false;
        app.Win().QueueDialogDriver([&](HeadlessDialog& d) {
            ran = true;
            EXPECT_EQ(d.TemplateId(), 132);
            driver(d);
        });
        app.Win().Click(1013);
        ASSERT_TRUE(ran);
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> out;
        for (const auto& box : app.Win().Boxes()) {
            out.push_back(box.text);
        }
        return out;
    }

    testsupport::HeadlessApp app;
};

TEST_F(OptionDialogTest, OpensWithTheListAndFlagsAndStoresThemOnOk) {
    Open("c1=1\r\nc5=1\r\nab_ext=;txt;;MD;\r\n");
    RunDialog([](HeadlessDialog& d) {
        EXPECT_EQ(d.GetCaption(), "Option");
        EXPECT_EQ(Entries(d), (std::vector<std::string>{"txt", "MD"}));
        EXPECT_TRUE(d.Get(1017).IsChecked());
        EXPECT_FALSE(d.Get(1025).IsChecked());
        EXPECT_TRUE(d.Get(1033).IsChecked());
        // Boxes start enabled whatever their masters say.
        EXPECT_TRUE(d.Get(1025).IsEnabled());
        EXPECT_TRUE(d.Get(1032).IsEnabled());
        EXPECT_EQ(d.Get(kEdit).GetText(), "");
        d.Type(kEdit, "abcdefgh");
        EXPECT_EQ(d.Get(kEdit).GetText(), "abcde");
        d.Click(kAdd);
        d.Check(1017, false);
        d.Check(1031, true);
        d.Type(kEdit, "left"); // text still standing at OK is not added
        d.Click(1);
        EXPECT_TRUE(d.Ended());
        EXPECT_EQ(d.Result(), 1);
    });
    const auto& slots = app.dialog->View().m_asciiExtensions.Slots();
    EXPECT_EQ(slots[0], "txt");
    EXPECT_EQ(slots[1], "MD");
    EXPECT_EQ(slots[2], "abcde");
    for (std::size_t i = 3; i < slots.size(); ++i) {
        EXPECT_EQ(slots[i], "");
    }
    EXPECT_EQ(app.dialog->View().m_options.m_doNotSavePassword, 0);
    EXPECT_EQ(app.dialog->View().m_options.m_doNotConfirmDelete, 0);
    EXPECT_EQ(app.dialog->View().m_options.m_lowercaseFileName, 1);
    EXPECT_EQ(app.dialog->View().m_options.m_lowercaseExtension, 0);
    EXPECT_EQ(app.dialog->View().m_options.m_doNotDeleteFiles, 1);
    EXPECT_TRUE(app.Win().Boxes().empty());
    // Nothing reaches the file before the window closes.
    EXPECT_EQ(app.Setting("ab_ext"), ";txt;;MD;");
    app.Close();
    EXPECT_EQ(app.Setting("ab_ext"), "txt;MD;abcde;" + std::string(27, ';'));
    EXPECT_EQ(app.Setting("c1"), "0");
    EXPECT_EQ(app.Setting("c3"), "1");
    EXPECT_EQ(app.Setting("c5"), "1");
}

TEST_F(OptionDialogTest, AddRefusesEmptyDuplicateAndUnstorableTexts) {
    Open();
    RunDialog([](HeadlessDialog& d) {
        d.Click(kAdd);                            // nothing typed
        Add(d, "TXT");                            // "txt" is listed
        Add(d, "a;b");                            // would split into two items in the settings file
        EXPECT_EQ(d.Get(kEdit).GetText(), "a;b"); // a refusal keeps the text
        Add(d, "tx");
        EXPECT_EQ(d.Get(kEdit).GetText(), "");
        Add(d, ".txt"); // taken as typed
        d.Click(1);
    });
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{res::LoadString(122), res::LoadString(124),
                                                    res::LoadString(122)}));
    EXPECT_EQ(app.Win().Boxes()[0].text, "Type an extension you wish to add.");
    EXPECT_EQ(app.Win().Boxes()[1].text, "It has already been posted.");
    for (const auto& box : app.Win().Boxes()) {
        EXPECT_EQ(box.icon, win::Icon::Warning);
        EXPECT_EQ(box.buttons, win::Buttons::Ok);
    }
    const auto& slots = app.dialog->View().m_asciiExtensions.Slots();
    EXPECT_EQ(slots[6], "tx");
    EXPECT_EQ(slots[7], ".txt");
    EXPECT_EQ(slots[8], "");
    // Compared without the dot, ".txt" matches no file; "tx" does not make .txt files ASCII
    // on its own, "txt" still does.
    EXPECT_EQ(app.dialog->AsciiTypeFor("a.tx"), "A");
    EXPECT_EQ(app.dialog->AsciiTypeFor("a.txt"), "A");
    app.dialog->Arrange().m_asciiExtensions.Slots()[3] = "";
    EXPECT_EQ(app.dialog->AsciiTypeFor("a.txt"), "I");
}

TEST_F(OptionDialogTest, ThirtyEntriesAreTheLimitUntilOneIsDeleted) {
    Open("ab_ext=\r\n");
    RunDialog([](HeadlessDialog& d) {
        for (int i = 0; i < 30; ++i) {
            Add(d, "e" + std::to_string(i));
        }
        Add(d, "more");
        EXPECT_EQ(d.Get(kList).GetCount(), 30);
        EXPECT_EQ(d.Get(kEdit).GetText(), "more");
        d.Click(kDelete); // nothing selected
        ASSERT_TRUE(d.Select(kList, {"e7"}));
        d.Click(kDelete);
        d.Click(kAdd);
        d.Click(1);
    });
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Cannot add an extension any more.",
                                                    "Choose an item to delete."}));
    const auto& slots = app.dialog->View().m_asciiExtensions.Slots();
    EXPECT_EQ(slots[6], "e6");
    EXPECT_EQ(slots[7], "e8");
    EXPECT_EQ(slots[28], "e29");
    EXPECT_EQ(slots[29], "more");
}

TEST_F(OptionDialogTest, EnterInTheExtensionBoxAddsWithoutClosing) {
    Open();
    RunDialog([](HeadlessDialog& d) {
        d.Type(kEdit, "php");
        EXPECT_TRUE(d.KeyEnter(kEdit));
        EXPECT_FALSE(d.Ended());
        EXPECT_EQ(Entries(d).back(), "php");
        EXPECT_TRUE(d.KeyEnter(kEdit)); // empty now: refused, still swallowed
        EXPECT_FALSE(d.KeyEnter(1017)); // elsewhere Enter keeps its meaning
        d.Click(2);
    });
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Type an extension you wish to add."}));
    EXPECT_EQ(app.dialog->View().m_asciiExtensions.Slots()[6], "");
}

TEST_F(OptionDialogTest, CancelStoresNothing) {
    Open("c2=1\r\n");
    auto before = app.dialog->View().m_asciiExtensions.Slots();
    for (bool viaClose : {false, true}) {
        RunDialog([viaClose](HeadlessDialog& d) {
            Add(d, "php");
            ASSERT_TRUE(d.Select(kList, {"htm"}));
            d.Click(kDelete);
            ASSERT_TRUE(d.Select(kList, {"pl"}));
            d.Click(kDelete);
            d.Check(1025, false);
            d.Check(1017, true);
            if (viaClose) {
                win::Message close{win::MessageKind::Close};
                d.Handler()->Dispatch(close);
            } else {
                d.Click(2);
            }
            EXPECT_TRUE(d.Ended());
            EXPECT_EQ(d.Result(), 2);
        });
        EXPECT_EQ(app.dialog->View().m_asciiExtensions.Slots(), before);
        EXPECT_EQ(app.dialog->View().m_options.m_doNotConfirmDelete, 1);
        EXPECT_EQ(app.dialog->View().m_options.m_doNotSavePassword, 0);
    }
}

TEST_F(OptionDialogTest, MasterBoxesDisableTheirDependentsForThisOpeningOnly) {
    Open("c4=1\r\n");
    RunDialog([](HeadlessDialog& d) {
        d.Click(1031); // on
        EXPECT_FALSE(d.Get(1032).IsEnabled());
        EXPECT_TRUE(d.Get(1032).IsChecked()); // a disabled box keeps its state
        d.Click(1031);                        // off
        EXPECT_TRUE(d.Get(1032).IsEnabled());
        d.Click(1031);
        d.Click(1033);
        EXPECT_FALSE(d.Get(1025).IsEnabled());
        EXPECT_TRUE(d.Get(1017).IsEnabled());
        d.Click(1);
    });
    EXPECT_EQ(app.dialog->View().m_options.m_lowercaseFileName, 1);
    EXPECT_EQ(app.dialog->View().m_options.m_lowercaseExtension, 1); // stored although disabled
    EXPECT_EQ(app.dialog->View().m_options.m_doNotDeleteFiles, 1);
    RunDialog([](HeadlessDialog& d) {
        for (int id : {1017, 1025, 1031, 1032, 1033}) {
            EXPECT_TRUE(d.Get(id).IsEnabled()) << id;
        }
        EXPECT_TRUE(d.Get(1031).IsChecked());
        EXPECT_TRUE(d.Get(1032).IsChecked());
        EXPECT_TRUE(d.Get(1033).IsChecked());
        EXPECT_FALSE(d.Get(1025).IsChecked());
        d.Click(1);
    });
}

TEST_F(OptionDialogTest, HelpLineFollowsClicksHotItemsAndTheSurface) {
    Open();
    RunDialog([](HeadlessDialog& d) {
        // Dependents first: a master's click disables them.
        const std::pair<int, int> boxes[] = {{1017, 163}, {1025, 164}, {1032, 166},
                                             {1031, 165}, {1033, 167}, {1041, 173}};
        for (auto [box, text] : boxes) {
            d.Click(box);
            EXPECT_EQ(d.Get(kHelpLine).GetText(), res::LoadString(text)) << box;
            EXPECT_FALSE(d.Get(kHelpLine).GetText().empty());
        }
        d.SendHotItem(1017);
        EXPECT_EQ(d.Get(kHelpLine).GetText(), res::LoadString(163));
        win::Message surface{win::MessageKind::MouseOverSurface};
        d.Handler()->Dispatch(surface);
        EXPECT_EQ(d.Get(kHelpLine).GetText(), "");
        d.SendHotItem(1000); // not a check box: the line stays as it is
        EXPECT_EQ(d.Get(kHelpLine).GetText(), "");
        d.Click(kHelpButton);
        EXPECT_FALSE(d.Ended());
        d.Click(2);
    });
    ASSERT_EQ(app.Win().Boxes().size(), 1u);
    EXPECT_EQ(app.Win().Boxes()[0].icon, win::Icon::Information);
    EXPECT_EQ(app.Win().Boxes()[0].text,
              "* About ASCII mode\r\nASCII mode is a mode when you transfer text files.\r\nThe "
              "text files must be transferred by ASCII mode.\r\nPost a file extension you want to "
              "transfer by ASCII mode.\r\nThe solution is simple. In the edit box, type some "
              "extension then click [Add].");
}

TEST_F(OptionDialogTest, RefusedWhileAJobRuns) {
    Open();
    bool opened = false;
    app.Win().QueueDialogDriver([&](HeadlessDialog&) { opened = true; });
    app.dialog->Arrange().m_busy = true;
    app.Win().Click(1013);
    app.dialog->Arrange().m_busy = false;
    EXPECT_FALSE(opened);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Cannot setup the option now."}));
    EXPECT_EQ(app.Win().Boxes()[0].icon, win::Icon::Warning);
}

TEST(OptionDialogScript, AddCheckAndOkReachTheSettingsFile) {
    testsupport::TempDir dir;
    std::istringstream script("click 1013\n"
                              "type 1000 php\n"
                              "key-enter 1000\n"
                              "show 1003\n"
                              "check 1031 on\n"
                              "show 1032\n"
                              "click 1\n"
                              "close\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", false), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "show 1003:\n"
                         "[ ] 0 htm\n"
                         "[ ] 0 html\n"
                         "[ ] 0 xml\n"
                         "[ ] 0 txt\n"
                         "[ ] 0 cgi\n"
                         "[ ] 0 pl\n"
                         "[ ] 0 php\n"
                         "show 1032:\n"
                         "off disabled\n");
    settings::SettingsStore store(dir / "DEVurorure.ini");
    EXPECT_EQ(store.ReadString("ab_ext", "", 2048),
              "htm;html;xml;txt;cgi;pl;php;" + std::string(23, ';'));
    EXPECT_EQ(store.ReadInt("c3", -1), 1);
    EXPECT_EQ(store.ReadInt("c4", -1), 0);
}

TEST(OptionDialogScript, PassiveModeIsStoredAfterTheHostKeys) {
    testsupport::TempDir dir;
    std::istringstream script("click 1013\nshow 1041\ncheck 1041 on\nclick 1\nclose\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", false), 0);
    EXPECT_EQ(err.str(), "show 1041:\noff\n");
    const std::string ini = dir.Read("DEVurorure.ini");
    const std::size_t htime = ini.find("\nHtime=");
    ASSERT_NE(htime, std::string::npos) << ini;
    EXPECT_EQ(ini.substr(ini.find('\n', htime + 1) + 1), "pasv=1\r\nkeeptime=0\r\n") << ini;
}

} // namespace

namespace {

// The count of simultaneous transfers: a drop-down of 1 to 10, written after every other key
// once it is not 1, and read back only within that range.
TEST(OptionDialogScript, SimultaneousTransfersAreChosenAndStoredLast) {
    testsupport::TempDir dir;
    auto run = [&](const std::string& gestures) {
        std::istringstream script(gestures);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunScript(script, out, err, dir / "DEVurorure.ini", false), 0);
        return err.str();
    };
    run("click 1013\ncombo 1044 4\nclick 1\nclose\n");
    std::string ini = dir.Read("DEVurorure.ini");
    EXPECT_TRUE(ini.ends_with("keeptime=0\r\ntransfers=4\r\n")) << ini;
    EXPECT_NE(run("click 1013\nshow 1044\nclick 2\nclose\n").find("\n[*] 4\n"), std::string::npos);
    ini.replace(ini.find("transfers=4"), 11, "transfers=11");
    dir.Write("DEVurorure.ini", ini);
    EXPECT_NE(run("click 1013\nshow 1044\nclick 2\nclose\n").find("\n[*] 1\n"), std::string::npos);
}

} // namespace
