// An upload whose local file cannot be opened when its turn comes: the server hears nothing of
// it, since a STOR alone would already empty the remote copy.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/system_error.h"
#include "support/app_support.h"
#include "support/scripted_ftp_server.h"

namespace {

using testsupport::Text;

TEST(UnreadableUpload, SendsNoStorShowsTheFileAndEndsIncomplete) {
    testsupport::Script script;
    script.Login().On("PWD").Reply("257 \"/\" is current directory.\r\n");
    script.DataPreparation("A")
        .On("LIST")
        .Reply("150 Here comes the listing.\r\n")
        .SendData("-rw-r--r-- 1 u g 9 Jan 1 2020 keep.bin\r\n")
        .Reply("226 Done.\r\n");
    testsupport::ScriptedFtpServer server(script);
    testsupport::HeadlessApp app;
    app.dir.Write("local/keep.bin", "new copy");
    const std::string path = app.dir / "local/keep.bin";
    app.WriteSettings("Sname=127.0.0.1:" + std::to_string(server.Port()) +
                      ";\r\nUname=u;\r\npin=p;\r\nlc=" + app.dir / "local;\r\n");
    app.Open();
    app.Win().Click(res::kConnectButton);
    app.WaitIdle();
    ASSERT_TRUE(app.Win().Select(res::kLocalList, {"keep.bin"}));
    std::filesystem::remove(path); // gone between the listing and the upload
    app.Win().QueueAnswer(win::kAnswerYes);
    app.Win().QueueMenuChoice(res::kCmdLocalUpload);
    app.Win().RightClick(res::kLocalList);
    app.WaitIdle();

    testsupport::ExpectBoxes(app,
                             {Text(res::kTextUploadPrefix) + "1" + Text(res::kTextSelectedFiles),
                              path + "\n" + platform::SystemErrorText(ENOENT)});
    EXPECT_TRUE(app.Log().ends_with(Text(res::kTextUploadIncomplete))) << app.Log();
    EXPECT_TRUE(app.dialog->View().m_connected);
    server.Stop();
    EXPECT_EQ(server.Problems(), ""); // nothing after the listing: no TYPE, PORT or STOR
}

} // namespace
