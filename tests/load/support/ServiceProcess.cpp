#include "ServiceProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;

} // namespace

TServiceProcess::TServiceProcess(const std::string& executable,
                                 const std::vector<std::string>& arguments, std::string logPath)
    : FLogPath(std::move(logPath)) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, FLogPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> words{executable};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int rc = posix_spawn(&FPid, executable.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    FOutput = output[0];
    if (rc != 0) {
        ::close(FOutput);
        FPid = -1;
        throw std::runtime_error("Cannot start " + executable + ": " + std::strerror(rc));
    }
    try {
        ReadPort(std::chrono::seconds(30));
    } catch (...) {
        Stop(std::chrono::seconds(5));
        ::close(FOutput);
        throw;
    }
}

TServiceProcess::~TServiceProcess() {
    if (FPid > 0 && FStatus < 0)
        Stop();
    if (FOutput >= 0)
        ::close(FOutput);
}

void TServiceProcess::ReadPort(std::chrono::milliseconds giveUp) {
    // The service prints "Listening on ADDRESS port N" once it accepts calls.
    auto until = TClock::now() + giveUp;
    std::string text;
    for (;;) {
        // Other lines (warnings, notices) may come first.
        for (auto line = text.find('\n'); line != std::string::npos; line = text.find('\n')) {
            std::string first = text.substr(0, line);
            text.erase(0, line + 1);
            auto at = first.rfind(" port ");
            if (first.rfind("Listening on ", 0) == 0 && at != std::string::npos) {
                FPort = static_cast<std::uint16_t>(std::stoi(first.substr(at + 6)));
                return;
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - TClock::now());
        pollfd p{FOutput, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            throw std::runtime_error("The service named no port in time; its log:\n" + LogText());
        char chunk[256];
        auto n = ::read(FOutput, chunk, sizeof chunk);
        if (n <= 0)
            throw std::runtime_error("The service ended before it listened; its log:\n" +
                                     LogText());
        text.append(chunk, static_cast<std::size_t>(n));
    }
}

bool TServiceProcess::Reap(int options) {
    if (FStatus >= 0)
        return true;
    int status = 0;
    pid_t rc;
    do
        rc = ::waitpid(FPid, &status, options);
    while (rc < 0 && errno == EINTR);
    if (rc != FPid)
        return false;
    FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool TServiceProcess::Running() {
    return FPid > 0 && !Reap(WNOHANG);
}

int TServiceProcess::Stop(std::chrono::milliseconds grace) {
    if (FPid <= 0)
        return -1;
    if (Reap(WNOHANG))
        return FStatus;
    ::kill(FPid, SIGTERM);
    auto until = TClock::now() + grace;
    while (TClock::now() < until) {
        if (Reap(WNOHANG))
            return FStatus;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(FPid, SIGKILL);
    Reap(0);
    return FStatus;
}

std::string TServiceProcess::LogText() const {
    std::ifstream file(FLogPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TProcessFigures ReadProcessFigures(pid_t pid) {
    TProcessFigures figures;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            figures.ResidentKiB = std::stol(line.substr(6));
        else if (line.rfind("Threads:", 0) == 0)
            figures.Threads = std::stoi(line.substr(8));
    }
    // In stat, utime and stime are the 12th and 13th fields after the
    // parenthesised command name (which may itself hold blanks).
    std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(statFile, stat);
    auto close = stat.rfind(')');
    if (close != std::string::npos) {
        std::istringstream fields(stat.substr(close + 2));
        std::string field;
        unsigned long long ticks = 0;
        for (int i = 1; i <= 13 && fields >> field; ++i)
            if (i >= 12)
                ticks += std::stoull(field);
        figures.CpuSeconds =
            static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    return figures;
}
