// Script mode: a script in, the exact standard output and standard error out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <sstream>

#include "app/script_mode.h"
#include "platform/system_error.h"
#include "support/temp_dir.h"

using testsupport::TempDir;

namespace {

struct Transcript {
    int status;
    std::string out;
    std::string err;
};

Transcript RunLines(const TempDir& dir, const std::string& script, bool answerYes = false) {
    std::istringstream in(script);
    std::ostringstream out;
    std::ostringstream err;
    int status = RunScript(in, out, err, dir / "DEVurorure.ini", answerYes);
    return {status, out.str(), err.str()};
}

TEST(ScriptMode, TypedServerNameIsSavedInItsSlot) {
    TempDir dir;
    auto t = RunLines(dir, "# a comment\n\ntype 1000 example.org\nclose\n");
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.out, "");
    EXPECT_EQ(t.err, "");
    std::string ini = dir.Read("DEVurorure.ini");
    EXPECT_NE(ini.find("Sname=example.org;" + std::string(29, ';') + "\r\n"), std::string::npos)
        << ini;
}

TEST(ScriptMode, ScriptWithoutCloseStillRunsTheCloseProcedure) {
    TempDir dir;
    auto t = RunLines(dir, "type 1001 \"anna maria\"\n");
    EXPECT_EQ(t.status, 0);
    EXPECT_NE(dir.Read("DEVurorure.ini").find("Uname=anna maria;"), std::string::npos);
}

TEST(ScriptMode, LogGoesToStandardOutputAndBoxesToStandardError) {
    TempDir dir;
    // Port 1 on loopback refuses the connection.
    auto t = RunLines(dir, "type 1000 127.0.0.1:1\n"
                           "click 1012\n"
                           "wait\n"
                           "show 1012\n"
                           "show 1014\n");
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.out, "Connecting to 127.0.0.1:1\r\nCannot connect to the FTP server.\r\n");
    std::string refused; // the system's sentence, its line breaks escaped as in the transcript
    for (char c : platform::SystemErrorText(ECONNREFUSED)) {
        refused += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    }
    EXPECT_EQ(t.err, "box warning ok: " + refused +
                         " -> ok\n"
                         "show 1012:\nenabled icon 151\n"
                         "show 1014:\n0\n");
}

TEST(ScriptMode, ShowListsTabsAndSelection) {
    TempDir dir;
    auto t = RunLines(dir, "tab 2\nshow 1011\n");
    EXPECT_EQ(t.err, "show 1011:\n[ ] 0 Host 1\n[ ] 0 Host 2\n[*] 0 Host 3\n[ ] 0 Host 4\n"
                     "[ ] 0 Host 5\n[ ] 0 Host 6\n[ ] 0 Host Lists\n");
    EXPECT_NE(dir.Read("DEVurorure.ini").find("tabX=2\r\n"), std::string::npos);
}

TEST(ScriptMode, ErrorsNameTheLineAndExitWithTwoAfterClosing) {
    TempDir dir;
    auto t = RunLines(dir, "type 1000 kept.example\nclick 4242\ntype 1000 never.example\n");
    EXPECT_EQ(t.status, 2);
    EXPECT_EQ(t.err, "script: line 2: no control 4242\n");
    EXPECT_NE(dir.Read("DEVurorure.ini").find("Sname=kept.example;"), std::string::npos);
    EXPECT_EQ(RunLines(dir, "frobnicate\n").err, "script: line 1: unknown gesture frobnicate\n");
    EXPECT_EQ(RunLines(dir, "type 1000 \"open\n").err, "script: line 1: unclosed quote\n");
}

#ifndef _WIN32
// Linux only: runs the program through the shell.
TEST(ScriptMode, BinaryReadsStandardInputInTheCurrentDirectory) {
    TempDir dir;
    std::string command = "cd '" + dir.Path() +
                          "' && printf 'type 1000 piped.example\\nclose\\n' | '" + QUORREL_BINARY +
                          "' --script - 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::array<char, 256> buffer{};
    std::string output;
    while (std::fgets(buffer.data(), buffer.size(), pipe)) {
        output += buffer.data();
    }
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(output, "");
    EXPECT_NE(dir.Read("DEVurorure.ini").find("Sname=piped.example;"), std::string::npos);
}
#endif

} // namespace
