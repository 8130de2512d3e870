// The main window's own logic through the headless window: settings in and out, the log, the
// connect-progress timer, the close procedure and the Enter key.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <sstream>

#include "platform/system_error.h"
#include "res/string_table.h"
#include "support/headless_app.h"

using testsupport::HeadlessApp;

namespace {

std::vector<std::string> KeysInOrder(const std::string& file) {
    std::vector<std::string> keys;
    std::istringstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        auto eq = line.find('=');
        if (eq != std::string::npos) {
            keys.push_back(line.substr(0, eq));
        }
    }
    return keys;
}

TEST(MainWindowSettings, NoFileGivesTheDefaultsAndClosingWritesEveryKeyInOrder) {
    HeadlessApp app;
    app.Open();
    const auto d = app.dialog->View();
    EXPECT_EQ(app.Win().Tab(res::kHostTab).GetCurSel(), 0);
    EXPECT_EQ(d.m_options.m_doNotSavePassword + d.m_options.m_doNotConfirmDelete +
                  d.m_options.m_lowercaseFileName + d.m_options.m_lowercaseExtension +
                  d.m_options.m_doNotDeleteFiles,
              0);
    EXPECT_EQ(d.m_asciiExtensions.Slots()[5], "pl");
    EXPECT_EQ(d.m_asciiExtensions.Slots()[6], "");
    for (const auto& h : d.m_hosts) {
        EXPECT_FALSE(h.InUse());
        EXPECT_EQ(h.TimeZoneIndex, 0);
    }
    EXPECT_EQ(app.Win().Get(res::kStatusBar).GetText(), "");
    EXPECT_FALSE(app.Win().Button(res::kCancelButton).IsEnabled());
    EXPECT_EQ(app.Win().Button(res::kConnectButton).GetIcon(), res::kIconConnect);

    ASSERT_TRUE(app.Close());
    EXPECT_TRUE(app.Win().Destroyed());
    EXPECT_EQ(
        KeysInOrder(app.dir.Read("DEVurorure.ini")),
        (std::vector<std::string>{"x", "y", "tabX", "c1", "c2", "c3", "c4", "c5", "ab_ext", "Sname",
                                  "Uname", "pin", "lc", "sc", "Htime", "pasv", "keeptime"}));
    EXPECT_EQ(app.Setting("Htime"), std::string(30, 'a'));
    EXPECT_EQ(app.Setting("pasv"), "0");
    EXPECT_EQ(app.Setting("ab_ext"), "htm;html;xml;txt;cgi;pl;" + std::string(24, ';'));
}

TEST(MainWindowSettings, OutOfRangeValuesReadAsZero) {
    for (const char* tab : {"7", "-1"}) {
        HeadlessApp app;
        app.WriteSettings(std::string("tabX=") + tab + "\r\nc1=2\r\nc2=-1\r\nc3=1\r\n");
        app.Open();
        EXPECT_EQ(app.Win().Tab(res::kHostTab).GetCurSel(), 0) << tab;
        EXPECT_EQ(app.dialog->View().m_options.m_doNotSavePassword, 0);
        EXPECT_EQ(app.dialog->View().m_options.m_doNotConfirmDelete, 0);
        EXPECT_EQ(app.dialog->View().m_options.m_lowercaseFileName, 1);
    }
}

TEST(MainWindowSettings, EmptyExtensionListStaysEmpty) {
    HeadlessApp app;
    app.WriteSettings("ab_ext=\r\n");
    app.Open();
    for (const auto& e : app.dialog->View().m_asciiExtensions.Slots()) {
        EXPECT_EQ(e, "");
    }
}

TEST(MainWindowSettings, ShortTimeZoneTextLeavesTheRestUnset) {
    HeadlessApp app;
    app.WriteSettings("Htime=b{\r\n");
    app.Open();
    EXPECT_EQ(app.dialog->View().m_hosts[0].TimeZoneIndex, 1);
    EXPECT_EQ(app.dialog->View().m_hosts[1].TimeZoneIndex, 26);
    EXPECT_EQ(app.dialog->View().m_hosts[2].TimeZoneIndex, 0);
    app.Close();
    EXPECT_EQ(app.Setting("Htime"), "b{" + std::string(28, 'a'));
}

TEST(MainWindowSettings, PositionIsRestoredOnlyInsideThePrimaryWorkArea) {
    {
        HeadlessApp app;
        app.WriteSettings("x=100\r\ny=50\r\n");
        app.Open();
        EXPECT_EQ(app.Win().GetWindowRect().left, 100);
        EXPECT_EQ(app.Win().GetWindowRect().top, 50);
    }
    {
        HeadlessApp app;
        app.WriteSettings("x=-300\r\ny=50\r\n"); // a second screen to the left
        app.Open();
        win::Rect r = app.Win().GetWindowRect();
        EXPECT_EQ(r.left, (1280 - (r.right - r.left)) / 2) << "centred instead";
    }
    {
        HeadlessApp app;
        app.WriteSettings("x=1280\r\ny=0\r\n"); // right edge is exclusive
        app.Open();
        EXPECT_NE(app.Win().GetWindowRect().left, 1280);
    }
}

TEST(MainWindowSettings, SizeAndColumnWidthsAreKeptOnceChangedAndReadBackWithinBounds) {
    HeadlessApp app;
    app.Open();
    const win::Rect first = app.Win().GetWindowRect();
    app.Close();
    // Untouched: the file keeps its designed keys alone.
    EXPECT_EQ(app.Setting("width"), "<missing>");
    EXPECT_EQ(app.Setting("lcols"), "<missing>");

    app.Restart();
    app.Win().Resize(1200, 5000);
    app.Close();
    EXPECT_EQ(app.Setting("width"), "1200");
    EXPECT_EQ(app.Setting("height"), "1024") << "no taller than the screen";
    EXPECT_EQ(app.Setting("lcols"), "<missing>") << "the columns were not touched";
    EXPECT_EQ(KeysInOrder(app.dir.Read("DEVurorure.ini")).back(), "height");

    // Read back; a width list out of bounds or of the wrong length gives the defaults.
    app.WriteSettings("width=400\r\nheight=300\r\nlcols=300,60,200\r\nrcols=10,90,90,90\r\n");
    app.Restart();
    const win::Rect small = app.Win().GetWindowRect();
    EXPECT_EQ(small.right - small.left, first.right - first.left) << "never below the first size";
    const auto columns = [&app](int id) {
        std::vector<int> widths;
        for (const win::ListColumn& c : app.Win().Get(id).Columns()) {
            widths.push_back(c.width);
        }
        return widths;
    };
    EXPECT_EQ(columns(res::kLocalList), (std::vector<int>{300, 60, 200}));
    EXPECT_EQ(columns(res::kRemoteList), (std::vector<int>{180, 90, 135, 90}));
    app.Close();
    EXPECT_EQ(app.Setting("lcols"), "300,60,200");
    EXPECT_EQ(app.Setting("rcols"), "180,90,135,90");
}

TEST(MainWindowLook, EveryIconButtonAndTheProgressPartsSayWhatTheyDo) {
    HeadlessApp app;
    app.Open();
    for (int id : {res::kLocalUpButton, res::kRemoteUpButton, res::kConnectButton,
                   res::kOptionButton, res::kCancelButton, res::kLocalRefreshButton,
                   res::kUploadAllButton, res::kMirrorButton, res::kRemoteRefreshButton,
                   res::kOpenFolderButton, res::kProgressBar, res::kByteCounter}) {
        EXPECT_FALSE(app.Win().Get(id).Tip().empty()) << "control " << id;
    }
    EXPECT_EQ(app.Win().Get(res::kMirrorButton).Tip(), "Mirror the local folder onto the server");
    EXPECT_EQ(app.Win().Get(res::kConnectButton).Tip(), "Connect");
    app.Win().Button(res::kConnectButton).SetIcon(res::kIconDisconnect);
    EXPECT_EQ(app.Win().Get(res::kConnectButton).Tip(), "Disconnect");
    // Escape closes nothing.
    app.Win().KeyDown(res::kLocalList, static_cast<win::Key>(0));
    EXPECT_FALSE(app.dialog->IsClosed());
}

TEST(MainWindowSettings, MinimisedWindowSavesNoPosition) {
    HeadlessApp app;
    app.WriteSettings("x=100\r\ny=50\r\n");
    app.Open();
    app.Win().SetMinimized(true);
    app.Close();
    EXPECT_EQ(app.Setting("x"), "-1");
    EXPECT_EQ(app.Setting("y"), "-1");
}

TEST(MainWindowSettings, PasswordsAreStoredReversedOrNotAtAll) {
    HeadlessApp app;
    app.Open();
    app.Win().Type(res::kServerNameEdit, "ftp.example.org");
    app.Win().Type(res::kPasswordEdit, "gr\xc3\xbc\xc3\x9f"
                                       "e1");
    app.Close();
    EXPECT_EQ(app.Setting("pin"), "1e\xc3\x9f\xc3\xbcrg" + std::string(30, ';'));
    app.Restart();
    EXPECT_EQ(app.dialog->View().m_hosts[0].password, "gr\xc3\xbc\xc3\x9f"
                                                      "e1");
    EXPECT_EQ(app.Win().Get(res::kPasswordEdit).GetText(), "gr\xc3\xbc\xc3\x9f"
                                                           "e1");

    app.dialog->Arrange().m_options.m_doNotSavePassword = 1;
    app.Close();
    EXPECT_EQ(app.Setting("pin"), std::string(30, ';'));
    EXPECT_EQ(app.Setting("c1"), "1");
}

TEST(MainWindowLog, TextGoesToTheCaretAndReplacesTheSelection) {
    HeadlessApp app;
    app.Open();
    app.dialog->AppendLog("first\r\n");
    app.dialog->LogValueAndText("", 151);
    EXPECT_EQ(app.Log(), "first\r\n\r\nCannot connect to the FTP server.\r\n");
    app.Win().Edit(res::kLogEdit).SetSelection(0, 5); // the user selects "first"
    app.dialog->LogTextAndValue(159, "host");
    EXPECT_EQ(app.Log(), "Connecting to host\r\n\r\nCannot connect to the FTP server.\r\n");
    app.dialog->AppendLog("!");
    EXPECT_EQ(app.Log().substr(0, 20), "Connecting to host!\r");
}

TEST(MainWindowLog, FullLogDropsItsOldestLines) {
    HeadlessApp app;
    app.Open();
    const std::string line(99, 'x');
    for (int i = 0; i < 11000; ++i) {
        app.dialog->AppendLog(std::to_string(i % 10) + line.substr(0, 97) + "\r\n");
    }
    std::string log = app.Log();
    EXPECT_LE(log.size(), 1048576u);
    // Trimming drops 16 KiB more than it must, so that it happens once in a while.
    EXPECT_GT(log.size(), 1048576u - 16384u - 200);
    EXPECT_EQ(log.substr(log.size() - 100), "9" + line.substr(0, 97) + "\r\n") << "newest shows";
    EXPECT_EQ(log.size() % 100, 0u) << "only whole lines are dropped";
}

TEST(MainWindowTimer, DotsEveryTenthTickWhileConnecting) {
    HeadlessApp app;
    app.Open();
    auto& win = app.Win();
    app.dialog->Arrange().m_connectPhase = 0;
    app.dialog->Arrange().m_tickCount = 0;
    win.StartTimer(res::kConnectTimer, 50);
    for (int i = 0; i < 20; ++i) {
        win.FireTimer(res::kConnectTimer);
    }
    EXPECT_EQ(app.Log(), "") << "phase 0 does nothing";
    app.dialog->SetConnectPhase(ftp::kPhaseConnecting);
    for (int i = 0; i < 10; ++i) {
        win.FireTimer(res::kConnectTimer);
    }
    EXPECT_EQ(app.Log(), "") << "a greeting within ten ticks adds no dot";
    win.FireTimer(res::kConnectTimer);
    EXPECT_EQ(app.Log(), ".") << "the first dot on the eleventh tick";
    for (int i = 0; i < 10; ++i) {
        win.FireTimer(res::kConnectTimer);
    }
    EXPECT_EQ(app.Log(), "..");
    app.dialog->SetConnectPhase(ftp::kPhaseDone);
    win.FireTimer(res::kConnectTimer);
    EXPECT_FALSE(win.TimerRunning(res::kConnectTimer));
    EXPECT_EQ(app.Log(), "..");
}

TEST(MainWindowProgress, LargeFilesStillFillTheBarAndTheCounterShowsTheTrueCount) {
    HeadlessApp app;
    app.Open();
    const std::int64_t size = 5000000000LL;
    app.dialog->SetProgressRange(size);
    app.dialog->SetProgress(size);
    auto& bar = app.Win().Progress(res::kProgressBar);
    EXPECT_GT(bar.GetRangeHigh(), 0);
    EXPECT_EQ(bar.GetPos(), bar.GetRangeHigh());
    EXPECT_EQ(app.Win().Get(res::kByteCounter).GetText(), "5.000.000.000");
    app.dialog->ResetProgress();
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(app.Win().Get(res::kByteCounter).GetText(), "0");
}

TEST(MainWindowClose, WhileBusyAsksAndNoKeepsTheWindow) {
    HeadlessApp app;
    app.Open();
    app.dialog->Arrange().m_busy = true;
    app.Win().QueueAnswer(win::kAnswerNo);
    win::Message close(win::MessageKind::Close);
    app.dialog->Dispatch(close);
    EXPECT_FALSE(app.dialog->IsClosed());
    EXPECT_FALSE(app.Win().Destroyed());
    auto boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, res::LoadString(112));
    EXPECT_EQ(boxes[0].buttons, win::Buttons::YesNo);
    EXPECT_EQ(boxes[0].icon, win::Icon::Question);
    EXPECT_FALSE(std::filesystem::exists(app.dir / "DEVurorure.ini"));

    bool ended = false;
    app.dialog->Arrange().m_exitWhileBusy = [&] { ended = true; };
    app.Win().QueueAnswer(win::kAnswerYes);
    app.dialog->Dispatch(close);
    EXPECT_TRUE(ended) << "a running job ends with the process";
    EXPECT_TRUE(std::filesystem::exists(app.dir / "DEVurorure.ini")) << "settings first";
    app.dialog->Arrange().m_busy = false;
}

TEST(MainWindowClose, NotBusyAsksNothing) {
    HeadlessApp app;
    app.Open();
    EXPECT_TRUE(app.Close());
    EXPECT_TRUE(app.Win().Boxes().empty());
}

TEST(MainWindowKeys, EnterInTheHostEditsIsSwallowedAndConnectsFromThePassword) {
    HeadlessApp app;
    app.Open();
    EXPECT_TRUE(app.Win().KeyEnter(res::kServerNameEdit));
    EXPECT_TRUE(app.Win().KeyEnter(res::kUserNameEdit));
    EXPECT_FALSE(app.Win().TimerRunning(res::kConnectTimer));
    app.Win().Type(res::kServerNameEdit, "127.0.0.1:1");
    EXPECT_TRUE(app.Win().KeyEnter(res::kPasswordEdit));
    EXPECT_TRUE(app.Win().TimerRunning(res::kConnectTimer)) << "Enter in the password connects";
    app.WaitIdle();
    EXPECT_EQ(app.Log(), "Connecting to 127.0.0.1:1\r\nCannot connect to the FTP server.\r\n");
    EXPECT_FALSE(app.dialog->IsClosed());
}

TEST(MainWindowButtons, RemoteButtonsNeedAConnection) {
    HeadlessApp app;
    app.Open();
    for (int id : {res::kUploadAllButton, res::kMirrorButton, res::kRemoteRefreshButton,
                   res::kRemoteUpButton}) {
        app.Win().Click(id);
        EXPECT_FALSE(app.dialog->View().m_busy) << id;
    }
    EXPECT_TRUE(app.Win().Boxes().empty());
}

} // namespace

#ifndef _WIN32
// Linux only: FIFOs.
TEST(MainWindowOpen, ASettingsFileThatIsAFifoIsReportedAndNeitherReadNorWritten) {
    HeadlessApp app;
    ASSERT_EQ(::mkfifo((app.dir / "DEVurorure.ini").c_str(), 0600), 0);
    app.Open(); // would wait for a writer for ever
    auto boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, res::LoadString(res::kTextSettingsRefused) +
                                 app.dir / "DEVurorure.ini\r\n" +
                                 res::LoadString(res::kTextSettingsNotFile));
    EXPECT_TRUE(app.Close());
    EXPECT_TRUE(std::filesystem::is_fifo(app.dir / "DEVurorure.ini"));
}
#endif

TEST(MainWindowClose, SettingsThatCannotBeWrittenAskFirstAndNoKeepsTheWindow) {
    HeadlessApp app;
    app.Open();
    std::filesystem::remove_all(app.dir.Path()); // the settings file's folder is gone
    app.Win().QueueAnswer(win::kAnswerNo);
    EXPECT_FALSE(app.Close());
    EXPECT_FALSE(app.Win().Destroyed());
    auto boxes = app.Win().Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              res::LoadString(res::kTextCannotSaveSettings) + app.dir / "DEVurorure.ini" + "\r\n" +
                  platform::SystemErrorText(ENOENT) + res::LoadString(res::kTextCloseAnyway));
    EXPECT_EQ(boxes[0].buttons, win::Buttons::YesNo);

    std::filesystem::create_directory(app.dir.Path());
    EXPECT_TRUE(app.Close()) << "once the cause is gone, closing saves";
    EXPECT_TRUE(std::filesystem::exists(app.dir / "DEVurorure.ini"));
}
