#pragma once
// The service executable run as a child process, so that its memory and
// threads can be watched from outside as an operator would see them.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class TServiceProcess {
public:
    // Starts `executable` with `arguments` (which should ask for --port 0),
    // standard error going to `logPath`, and waits for the line that names
    // the port.  Throws std::runtime_error, with the log, when none comes.
    TServiceProcess(const std::string& executable, const std::vector<std::string>& arguments,
                    std::string logPath);
    ~TServiceProcess(); // stops the process if it still runs
    TServiceProcess(const TServiceProcess&) = delete;
    TServiceProcess& operator=(const TServiceProcess&) = delete;

    pid_t Pid() const { return FPid; }
    std::uint16_t Port() const { return FPort; }
    bool Running();
    // Asks the process to stop (SIGTERM); kills it when it has not ended
    // after `grace`.  The exit code, or 128 plus the signal that ended it.
    int Stop(std::chrono::milliseconds grace = std::chrono::seconds(30));
    std::string LogText() const;

private:
    void ReadPort(std::chrono::milliseconds giveUp);
    bool Reap(int options);

    std::string FLogPath;
    pid_t FPid = -1;
    int FOutput = -1;
    std::uint16_t FPort = 0;
    int FStatus = -1; // once reaped
};

// One look at a running process in /proc.
struct TProcessFigures {
    long ResidentKiB = -1; // VmRSS
    int Threads = -1;
    double CpuSeconds = -1; // user and system time so far
};
TProcessFigures ReadProcessFigures(pid_t pid);
