// A loopback FTP server that plays a script: for each command it expects, the exact reply
// bytes (in chunks sent separately when asked), drops, silences, and data connections in
// active or passive mode. It records every line it receives and stops by itself.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct ScriptAction {
    enum class Kind {
        Reply,
        Pause,
        Close,
        Reset,
        SendData,
        ReceiveData,
        ResetData,
        ResetDataOnArrival,
        Listen,
        Flood,
        FloodData,
        HoldData,
        TrickleData,
        StallData,
        Intrude
    };
    Kind kind = Kind::Reply;
    std::string bytes;
    int delayMs = 0;
    std::size_t limit = 0;
};

struct ScriptStep {
    // The line the client should send, without CR LF; "" for the greeting (nothing awaited).
    // A trailing '*' matches any rest of the line (for PORT, whose port is the system's).
    std::string expect;
    std::vector<ScriptAction> actions;
};

class Script {
public:
    Script& Greeting(const std::string& reply);
    Script& On(const std::string& command);
    // Sent with one send call; separate Replies go out as separate sends.
    Script& Reply(const std::string& bytes);
    Script& Pause(int ms);
    // Closes the control connection; the script ends there.
    Script& Close();
    // Resets the control connection (RST instead of FIN); the script ends there.
    Script& Reset();
    // Listens on 127.0.0.1 for the next data connection and sends `reply` with the port
    // written in: "%P%" as a number, "%P1%" and "%P2%" as its high and low byte.
    Script& Listen(const std::string& reply);
    // Connects to the last PORT address (after `delayMs`), or after a Listen accepts the
    // client's connection; sends the bytes, closes its side and waits until the client has
    // closed too.
    Script& SendData(const std::string& bytes, int delayMs = 0);
    // As SendData, but keeps what arrives until the client closes.
    Script& ReceiveData();
    // Sends `pattern` over and over on the control connection until the client stops taking
    // it or `limit` bytes went out (see FloodSent).
    Script& Flood(const std::string& pattern, std::size_t limit);
    // The same on a data connection made as SendData makes it.
    Script& FloodData(const std::string& pattern, std::size_t limit);
    // A data connection that carries `bytes` and then falls silent, open, until the client
    // closes it.
    Script& HoldData(const std::string& bytes);
    // A data connection that carries `bytes` one at a time, `intervalMs` apart, until they are
    // out or the client closes it.
    Script& TrickleData(const std::string& bytes, int intervalMs);
    // A data connection on which the server never reads, held until the client closes it or
    // the script stops.
    Script& StallData();
    // Connects to the last PORT address from 127.0.0.2, sends `bytes` and waits for the client
    // to close the connection (see Intruders).
    Script& Intrude(const std::string& bytes);
    // Opens the data connection as SendData does, sends `bytes` and resets the connection.
    Script& ResetData(const std::string& bytes);
    // The same for an upload: resets the connection once the client's first bytes arrive.
    Script& ResetDataOnArrival();
    // The usual greeting and login of user "u" with password "p", then the FEAT that follows
    // every login, answered as by a server that knows no features.
    Script& Login();
    Script& NoFeatures();
    // TYPE <type> and PORT both accepted.
    Script& DataPreparation(const std::string& type);
    // TYPE <type> accepted and EPSV answered with a port to connect to.
    Script& PassivePreparation(const std::string& type);
    // The login, then "/" as the folder the server starts in.
    static Script AtRoot();
    // AtRoot(), then `rootListing` as the connect job's listing of "/".
    static Script Connected(const std::string& rootListing);
    // In active mode: `command` answered with `listing` on a data connection.
    Script& Listing(const std::string& command, const std::string& listing);
    // In active mode: RETR <path> in `type` answered with `data` on a data connection.
    Script& Retrieval(const std::string& type, const std::string& path, const std::string& data);

    std::vector<ScriptStep> steps;
};

class ScriptedFtpServer {
public:
    explicit ScriptedFtpServer(Script script);
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    unsigned Port() const { return m_port; }
    // Ends the script (at once if the client still holds the connection) and waits for it.
    void Stop();

    // Every line received, each followed by "\n" (CR LF removed).
    std::string Transcript() const;
    std::string DataReceived() const;
    // Deviations from the script: unexpected lines, missing lines, data connection failures.
    std::string Problems() const;
    int DataConnections() const { return m_dataConnections; }
    // Bytes that the last flood got out before the client stopped taking them.
    std::size_t FloodSent() const { return m_floodSent; }
    // Intruders whose connection the client closed, and the bytes it sent them.
    int IntrudersClosed() const { return m_intrudersClosed; }
    std::size_t IntruderBytes() const { return m_intruderBytes; }
    // Connections after the first, each turned away with 421 at once.
    int Refused() const { return m_refused; }

private:
    void Run();
    bool ReadLine(int fd, std::string& pending, std::string& line);
    // Data connections finish even after Stop(): the client may have closed them already.
    bool WaitReadable(int fd, bool untilStop = true);
    void ListenData(const std::string& reply, int controlFd);
    int ConnectData(int delayMs);
    void SendData(const std::string& bytes, int delayMs);
    void ReceiveData();
    // Sends `pattern` repeatedly until `limit`, a failed send, or the peer taking nothing for
    // the give-up time.
    void Flood(int fd, const std::string& pattern, std::size_t limit);
    void HoldData(const std::string& bytes);
    void TrickleData(const std::string& bytes, int intervalMs);
    void StallData();
    void Intrude(const std::string& bytes);
    void ResetData(const std::string& bytes, bool onArrival);
    void Problem(const std::string& text);
    // The server plays one connection: any later one is refused, as at a server's limit.
    void RefuseMore();

    std::vector<ScriptStep> m_steps;
    int m_listenFd = -1;
    unsigned m_port = 0;
    std::string m_lastPort;
    int m_passiveFd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_dataConnections{0};
    std::atomic<std::size_t> m_floodSent{0};
    std::atomic<int> m_intrudersClosed{0};
    std::atomic<std::size_t> m_intruderBytes{0};
    mutable std::mutex m_mutex;
    std::string m_transcript;
    std::string m_data;
    std::string m_problems;
    std::atomic<int> m_refused{0};
    std::thread m_thread;
    std::thread m_refuser;
};

// Masks the port bytes of "PORT a,b,c,d,p1,p2" so that a log can be compared as a whole.
std::string MaskPort(const std::string& text);

} // namespace testsupport
