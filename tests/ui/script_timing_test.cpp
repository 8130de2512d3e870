// What script mode shows in time and in order: the headless window's timers keep their period
// however its loop naps, and the log pane and the log script mode prints hold the same text in
// the same order while a worker and the window's timer both append, trims included.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/headless_app.h"

namespace {

// A handler that notes when each timer tick came, on the window's own clock.
struct TickRecorder : win::IMessageHandler {
    std::vector<long long>* ticks = nullptr;
    const long long* clockMs = nullptr;
    void Dispatch(win::Message& m) override {
        if (m.kind == win::MessageKind::Timer) {
            ticks->push_back(*clockMs);
        }
    }
};

TEST(ScriptTiming, TimersKeepTheirPeriodWhateverTheLoopNaps) {
    headless::HeadlessMainWindow window;
    long long clockMs = 0;
    const auto start = headless::HeadlessMainWindow::Clock::now();
    window.SetClock([&] { return start + std::chrono::milliseconds(clockMs); },
                    [&](std::chrono::milliseconds nap) { clockMs += nap.count(); });
    std::vector<long long> ticks;
    TickRecorder recorder;
    recorder.ticks = &ticks;
    recorder.clockMs = &clockMs;
    window.SetHandler(&recorder);
    window.StartTimer(1, 50);
    // 1.3 s of a loop with nothing else to do, whose naps grow up to 16 ms.
    window.PumpUntil([&] { return clockMs >= 1300; });
    std::vector<long long> expected;
    for (long long t = 50; t <= 1300; t += 50) {
        expected.push_back(t);
    }
    EXPECT_EQ(ticks, expected);
}

TEST(ScriptTiming, ThePaneAndThePrintedLogHoldTheSameTextInTheSameOrder) {
    testsupport::HeadlessApp app;
    app.Open();
    std::string printed;
    app.Win().SetLogObserver([&printed](const std::string& text) { printed += text; });
    // A worker's line is in before its call returns: a job's next step may depend on it.
    std::thread([&] { app.dialog->AppendLog("first\r\n"); }).join();
    EXPECT_EQ(printed, "first\r\n");
    // Twice the pane's limit from a worker, dots from the window's thread meanwhile.
    const std::string line = std::string(1000, 'x') + "\r\n";
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 4200; ++i) {
            app.dialog->AppendLog(std::to_string(i) + line);
        }
        done = true;
    });
    int dots = 0;
    while (!done) {
        app.dialog->AppendLog(".");
        ++dots;
        app.Win().Pump();
    }
    worker.join();
    app.Win().Pump();
    const std::string pane = app.Log();
    ASSERT_GT(pane.size(), 0u);
    EXPECT_LT(pane.size(), printed.size()) << "the pane was trimmed";
    EXPECT_TRUE(printed.ends_with(pane)) << "the pane is the end of what was printed";
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '.'), dots);
}

} // namespace
