#pragma once
// Settings of one running reference service, filled from the command line or
// by a test fixture.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TServiceAccount {
    std::string UserName;
    std::string Password;
};

struct TServiceOptions {
    std::string ListenAddress = "127.0.0.1";
    std::uint16_t Port = 0;   // 0: the system picks a free port
    std::string DatabasePath; // SQLite file made by --init-demo
    std::vector<TServiceAccount> Accounts;
    int MaxRows = 2000; // matches beyond this set "ResultsTruncated"
    std::size_t MaxRequestBytes = 4 * 1024 * 1024;
    std::chrono::milliseconds IdleTimeout{10000};    // longest silence while reading
    std::chrono::milliseconds RequestTimeout{30000}; // handshake and whole request
    int MaxConnections = 64; // served at once; further clients wait in the backlog
    // PEM certificate (chain) and private key.  Both given: TLS 1.2 or later
    // with that certificate and the library's default ciphers, no anonymous
    // suites.  Both empty: TLS 1.2 with ADH-AES256-SHA only, no certificate.
    std::string CertFile;
    std::string KeyFile;
    bool LogCalls = true; // one line per call
    // Where the log lines go; empty: stderr.  Called from several threads.
    std::function<void(const std::string& line)> LogSink;
};

// The demo account that scripts and the default settings file use.
inline const TServiceAccount& DemoAccount() {
    static const TServiceAccount account{"demo", "demo"};
    return account;
}

// Reads the command line (without the program name).  Unknown options and
// malformed values fail with Exception; `--help` text is HelpText().
struct TServiceCommandLine {
    TServiceOptions Options;
    std::string InitDemoPath; // --init-demo PATH: create the demo database and exit
    bool Help = false;
};
TServiceCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string ServiceHelpText();
