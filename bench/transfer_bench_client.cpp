// One download or upload by the engine, with an owner that does per block what the window
// does (range, position, byte counter text). Driven by bench/transfer_bench.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ftp/engine_owner.h"
#include "ftp/ftp_client.h"
#include "local/number_format.h"

namespace {

class BenchOwner : public ftp::QuietEngineOwner {
public:
    void AppendLog(const std::string& text) override { m_log += text; }
    ftp::BoxAnswer ShowMessage(const std::string& text, ftp::BoxButtons buttons,
                               ftp::BoxIcon) override {
        std::fprintf(stderr, "message: %s", text.c_str());
        return buttons == ftp::BoxButtons::Ok ? ftp::BoxAnswer::Ok : ftp::BoxAnswer::No;
    }
    void DisconnectCleanup() override { std::fprintf(stderr, "connection lost\n"); }
    void SetProgressRange(std::int64_t total) override { m_range = total; }
    void SetProgress(std::int64_t done) override {
        // As the window does: the bar's 32-bit range scaled, the counter's digits grouped.
        m_position = m_range > 0x7fffffff ? static_cast<int>(done / (m_range / 0x7fffffff + 1))
                                          : static_cast<int>(done);
        m_counter = local::FormatByteCount(static_cast<std::uint64_t>(done));
    }

    const std::string& Log() const { return m_log; }

private:
    std::string m_log;
    std::string m_counter;
    std::int64_t m_range = 0;
    int m_position = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 9) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD get|put REMOTE LOCAL SIZE\n",
                     argv[0]);
        return 2;
    }
    BenchOwner owner;
    ftp::FtpClient client(owner);
    int error = 0;
    if (!client.CreateControlSocket(error) ||
        !client.FtpConnect(argv[1], argv[3], argv[4], static_cast<unsigned>(std::atoi(argv[2])))) {
        std::fprintf(stderr, "login failed\n%s\n", owner.Log().c_str());
        return 1;
    }
    const std::string direction = argv[5];
    const bool done = direction == "get"
                          ? client.FtpRetrieve(argv[7], argv[6], "I", std::atoll(argv[8]), 0)
                          : client.FtpStore(argv[7], argv[6], "I");
    client.FtpQuit();
    if (!done) {
        std::fprintf(stderr, "transfer failed\n%s\n", owner.Log().c_str());
        return 1;
    }
    return 0;
}
