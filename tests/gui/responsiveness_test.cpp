// The window stays responsive while a job moves many files: a watchdog timer on the GUI thread
// ticks every 10 ms, and the longest gap between two ticks during a download and an upload of a
// tree is how long anything (a worker's queued control calls above all) held the window's
// thread at once. QUORREL_WATCHDOG_FILES sets the tree's size (a few hundred here; the large
// tree runs by hand with the same test).
#include <wx/listctrl.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <thread>

#include "gui/program_window.h"

namespace guitest {
namespace {

using Clock = std::chrono::steady_clock;

// The window thread's own CPU time: a gap the thread spent working is a hold by this program,
// a gap it spent descheduled is the machine's.
long ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

class Watchdog : public wxTimer {
public:
    void Notify() override {
        const Clock::time_point now = Clock::now();
        const long cpu = ThreadCpuMs();
        if (m_last != Clock::time_point{}) {
            if (now - m_last > m_longest) {
                m_longest = now - m_last;
                m_longestAt = m_ticks;
            }
            m_longestBusyMs = std::max(m_longestBusyMs, cpu - m_lastCpu);
        }
        m_last = now;
        m_lastCpu = cpu;
        ++m_ticks;
    }
    void Restart() {
        m_last = {};
        m_longest = {};
        m_longestBusyMs = 0;
        m_ticks = 0;
        Start(10);
    }
    long LongestGapMs() const {
        return static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(m_longest).count());
    }
    long LongestBusyMs() const { return m_longestBusyMs; }
    int Ticks() const { return m_ticks; }
    int LongestAt() const { return m_longestAt; }

private:
    Clock::time_point m_last{};
    Clock::duration m_longest{};
    long m_lastCpu = 0;
    long m_longestBusyMs = 0;
    int m_ticks = 0;
    int m_longestAt = 0;
};

std::string Tail(const std::string& log) {
    return log.substr(log.size() - std::min<std::size_t>(log.size(), 2000));
}

void SelectOnly(wxWindow* widget, const std::string& name) {
    auto* list = static_cast<wxListCtrl*>(widget);
    for (long i = 0; i < list->GetItemCount(); ++i) {
        list->SetItemState(i, 0, wxLIST_STATE_SELECTED);
    }
    const long row = list->FindItem(-1, name);
    ASSERT_GE(row, 0) << name;
    list->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                       wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

constexpr long kHoldMs = 100;
constexpr long kFreezeMs = 1000;

TEST_F(ProgramWindowTest, AWorkerNeverFreezesTheWindowsThreadWhileATreeMoves) {
    const char* env = std::getenv("QUORREL_WATCHDOG_FILES");
    const int files = env ? std::atoi(env) : 400;
    const int folders = std::max(1, (files + 4999) / 5000) * 2;
    for (int i = 0; i < files; ++i) {
        server.Root().Write("tree/d" + std::to_string(i % folders) + "/f" + std::to_string(i) +
                                ".bin",
                            std::string(100, 'x'));
    }
    StartProgram(local.Path());
    ASSERT_NO_FATAL_FAILURE(Connect());

    // Each job as its command starts it once its question is answered; the loop is pumped as
    // the running program's loop would be, and the watchdog measures the gaps.
    Watchdog watchdog;
    auto run = [&](const char* what, auto start) {
        watchdog.Restart();
        start();
        const auto limit = Clock::now() + std::chrono::minutes(30);
        while ((dialog->View().m_busy || window->Queue().PendingCount() != 0) &&
               Clock::now() < limit) {
            wxwin::PumpPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        watchdog.Stop();
        std::cout << what << " of " << files << " files: longest gap between watchdog ticks "
                  << watchdog.LongestGapMs() << " ms at tick " << watchdog.LongestAt() << " over "
                  << watchdog.Ticks() << " ticks; longest busy stretch of the window's thread "
                  << watchdog.LongestBusyMs() << " ms\n";
        EXPECT_FALSE(dialog->View().m_busy);
        EXPECT_GT(watchdog.Ticks(), 1);
        // Work on the window's thread between two ticks is what this program holds it for; the
        // wall-clock gap also counts time a busy machine gave to others, so it only catches a
        // freeze.
        EXPECT_LT(watchdog.LongestBusyMs(), kHoldMs) << what;
        EXPECT_LT(watchdog.LongestGapMs(), kFreezeMs) << what;
    };
    SelectOnly(window->Widget(res::kRemoteList), "tree");
    run("download", [&] { dialog->StartDownload(); });
    EXPECT_TRUE(Log().ends_with(std::to_string(files) +
                                " file(s) downloaded\r\nFile download completed successfully.\r\n"))
        << Tail(Log());

    SelectOnly(window->Widget(res::kLocalList), "tree");
    dialog->Arrange().m_job.mirroring = false;
    dialog->Arrange().m_job.overwrite = true;
    run("upload", [&] { dialog->StartUpload(); });
    const std::string log = Log();
    EXPECT_NE(log.find("File(s) uploading completed successfully.\r\n" + std::to_string(files) +
                       " file(s) uploaded\r\n"),
              std::string::npos)
        << Tail(log);
}

} // namespace
} // namespace guitest
