// Calls from a worker thread: carried out on the GUI thread in the order made, progress
// coalesced, message boxes answered, nothing hangs once the window is gone.
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "gui/gui_support.h"
#include "res/resource_ids.h"

namespace guitest {
namespace {

// Answers a message box and remembers what it showed.
class ExpectBox : public wxExpectModalBase<wxMessageDialog, ExpectBox> {
public:
    ExpectBox(int answer, wxString* caption, wxString* text)
        : m_answer(answer), m_caption(caption), m_text(text) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override {
        *m_caption = box->GetCaption();
        *m_text = box->GetMessage();
        return m_answer;
    }

private:
    int m_answer;
    wxString* m_caption;
    wxString* m_text;
};

TEST_F(MainWindowTest, LogLinesFromAWorkerArriveWholeAndInOrder) {
    win::IEdit& log = window->Edit(res::kLogEdit);
    std::string expected;
    for (int i = 0; i < 500; ++i) {
        expected += "250 line " + std::to_string(i) + "\r\n";
    }
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 500; ++i) {
            log.ReplaceSelection("250 line " + std::to_string(i) + "\r\n");
            window->Progress(res::kProgressBar).SetPos(i);
        }
        done = true;
    });
    ASSERT_TRUE(wxwin::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(log.GetText(), expected);
    EXPECT_EQ(window->Progress(res::kProgressBar).GetPos(), 499);
}

TEST_F(MainWindowTest, ProgressAndCounterFromAWorkerKeepOnlyTheLatestValue) {
    window->Progress(res::kProgressBar).SetRange(0, 100000);
    std::thread worker([&] {
        for (int i = 1; i <= 100000; ++i) {
            window->Progress(res::kProgressBar).SetPos(i);
            window->Text(res::kByteCounter).SetText(std::to_string(i));
        }
        window->Edit(res::kLogEdit).ReplaceSelection("226 Transfer complete\r\n");
    });
    worker.join(); // the GUI thread is not pumping meanwhile
    // Two coalesced updates and the log line wait, not 200,001 calls.
    EXPECT_EQ(window->Queue().PendingCount(), 3u);
    wxwin::PumpUntil([&] { return window->Queue().PendingCount() == 0; });
    EXPECT_EQ(window->Progress(res::kProgressBar).GetPos(), 100000);
    EXPECT_EQ(window->Text(res::kByteCounter).GetText(), "100000");
    EXPECT_EQ(window->Edit(res::kLogEdit).GetText(), "226 Transfer complete\r\n");
}

TEST_F(MainWindowTest, AGuiThreadCallSeesTheWorkersEarlierCalls) {
    std::thread worker([&] { window->Text(res::kServerNameEdit).SetText("ftp.example.org"); });
    worker.join();
    // No pumping: the GUI thread's own call first carries out what the worker queued.
    EXPECT_EQ(window->Text(res::kServerNameEdit).GetText(), "ftp.example.org");
}

TEST_F(MainWindowTest, PostedWorkRunsFromTheLoopAfterEveryEarlierCall) {
    win::IEdit& log = window->Edit(res::kLogEdit);
    std::string seen;
    bool ran = false;
    std::thread worker([&] {
        log.ReplaceSelection("a");
        window->Post([&] {
            seen = log.GetText();
            ran = true;
        });
        log.ReplaceSelection("b");
    });
    worker.join();
    // A control call on the GUI thread never runs the program's posted work inside itself.
    EXPECT_EQ(log.GetText(), "a");
    EXPECT_FALSE(ran);
    ASSERT_TRUE(wxwin::PumpUntil([&] { return ran; }));
    // It ran after "a"; calls the worker made after posting it may already have landed.
    EXPECT_EQ(seen.substr(0, 1), "a");
    EXPECT_EQ(log.GetText(), "ab");
}

TEST_F(MainWindowTest, AMessageBoxForAWorkerIsAnsweredOnTheGuiThread) {
    wxString caption;
    wxString text;
    std::atomic<int> answer{-1};
    wxTEST_DIALOG(
        {
            std::thread worker([&] {
                answer = window->MessageBox("Do you wish to disconnect?\r\nReally?",
                                            win::Buttons::YesNo, win::Icon::Question);
            });
            wxwin::PumpUntil([&] { return answer != -1; });
            worker.join();
        },
        ExpectBox(wxID_YES, &caption, &text));
    EXPECT_EQ(answer.load(), win::kAnswerYes);
    EXPECT_EQ(caption, "RARedevedaD");
    EXPECT_EQ(text, "Do you wish to disconnect?\nReally?");
}

TEST_F(MainWindowTest, MessageBoxAnswersMapToTheClassicCodes) {
    wxTEST_DIALOG(
        EXPECT_EQ(window->MessageBox("x", win::Buttons::Ok, win::Icon::Warning), win::kAnswerOk),
        wxExpectModal<wxMessageDialog>(wxOK));
    wxTEST_DIALOG(EXPECT_EQ(window->MessageBox("x", win::Buttons::YesNo, win::Icon::Question),
                            win::kAnswerNo),
                  wxExpectModal<wxMessageDialog>(wxNO));
    wxTEST_DIALOG(EXPECT_EQ(window->MessageBox("x", win::Buttons::YesNoCancel, win::Icon::Question),
                            win::kAnswerCancel),
                  wxExpectModal<wxMessageDialog>(wxCANCEL));
}

TEST_F(MainWindowTest, AfterShutdownAWorkersCallsReturnAtOnce) {
    std::thread waiting;
    int answer = -1;
    {
        // A worker waits for a box the GUI never got round to showing.
        waiting = std::thread([&] {
            answer = window->MessageBox("never shown", win::Buttons::YesNo, win::Icon::Question);
        });
        // Not pumping: the box must stay queued.
        while (window->Queue().PendingCount() == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    window->Shutdown();
    waiting.join();
    EXPECT_EQ(answer, 0);
    std::string text = "unchanged";
    std::thread late([&] { text = window->Text(res::kServerNameEdit).GetText(); });
    late.join();
    EXPECT_EQ(text, "");
}

} // namespace
} // namespace guitest
