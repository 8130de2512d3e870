// A logged-in (or about to log in) engine against a scripted server on 127.0.0.1.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/recording_owner.h"
#include "ftp/ftp_client.h"
#include "support/scripted_ftp_server.h"

namespace enginetest {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { owner.engine = &client; }

    void Start(testsupport::Script script) {
        server = std::make_unique<testsupport::ScriptedFtpServer>(std::move(script));
        int error = 0;
        ASSERT_TRUE(client.CreateControlSocket(error)) << error;
    }
    bool Connect(const std::string& user = "u", const std::string& password = "p") {
        return client.FtpConnect("127.0.0.1", user, password, server->Port());
    }
    // Logs in as the script's Login() expects, then forgets the login's log and phases.
    void StartLoggedIn(testsupport::Script script) {
        Start(std::move(script));
        ASSERT_TRUE(Connect()) << owner.log;
        owner.log.clear();
        owner.phases.clear();
    }
    // Ends the server and gives every line it received.
    std::string Transcript() {
        server->Stop();
        return server->Transcript();
    }
    std::string Problems() {
        server->Stop();
        return server->Problems();
    }

    RecordingOwner owner;
    ftp::FtpClient client{owner};
    std::unique_ptr<testsupport::ScriptedFtpServer> server;
};

} // namespace enginetest
