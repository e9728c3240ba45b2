#include "service/ServiceOptions.h"

#include "support/Exception.h"

#include <charconv>

namespace {

long long NumberOption(const std::string& option, const std::string& text, long long lo,
                       long long hi) {
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi)
        throw Exception("Bad value for " + option + ": " + text);
    return value;
}

} // namespace

TServiceCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TServiceCommandLine line;
    TServiceOptions& o = line.Options;
    bool accountsGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw Exception("Missing value for " + option);
            return args[++i];
        };
        if (option == "--help" || option == "-h")
            line.Help = true;
        else if (option == "--init-demo")
            line.InitDemoPath = value();
        else if (option == "--listen")
            o.ListenAddress = value();
        else if (option == "--port")
            o.Port = static_cast<std::uint16_t>(NumberOption(option, value(), 0, 65535));
        else if (option == "--db")
            o.DatabasePath = value();
        else if (option == "--account") {
            const std::string& account = value();
            auto colon = account.find(':');
            if (colon == std::string::npos || colon == 0)
                throw Exception("An account is given as user:password, not " + account);
            o.Accounts.push_back({account.substr(0, colon), account.substr(colon + 1)});
            accountsGiven = true;
        } else if (option == "--max-rows")
            o.MaxRows = static_cast<int>(NumberOption(option, value(), 1, 1000000));
        else if (option == "--max-request-bytes")
            o.MaxRequestBytes =
                static_cast<std::size_t>(NumberOption(option, value(), 1024, 1LL << 30));
        else if (option == "--idle-timeout-ms")
            o.IdleTimeout = std::chrono::milliseconds(NumberOption(option, value(), 1, 3600000));
        else if (option == "--request-timeout-ms")
            o.RequestTimeout = std::chrono::milliseconds(NumberOption(option, value(), 1, 3600000));
        else if (option == "--max-connections")
            o.MaxConnections = static_cast<int>(NumberOption(option, value(), 1, 10000));
        else if (option == "--quiet")
            o.LogCalls = false;
        else if (option == "--cert")
            o.CertFile = value();
        else if (option == "--key")
            o.KeyFile = value();
        else
            throw Exception("Unknown option " + option + " (see --help)");
    }
    // One without the other would leave the service either unable to prove
    // its name or quietly anonymous.
    if (o.CertFile.empty() != o.KeyFile.empty())
        throw Exception(o.CertFile.empty() ? "--key needs --cert (the certificate of that key)"
                                           : "--cert needs --key (the private key of that "
                                             "certificate)");
    if (!accountsGiven)
        o.Accounts.push_back(DemoAccount());
    return line;
}

std::string ServiceHelpText() {
    return "Usage: quillbrook-service --db PATH [options]\n"
           "       quillbrook-service --init-demo PATH\n"
           "\n"
           "  --init-demo PATH          create the demo database at PATH and exit\n"
           "  --db PATH                 the stock database to serve\n"
           "  --listen ADDRESS          listen address (default 127.0.0.1)\n"
           "  --port N                  port (default 0: any free port, printed at start)\n"
           "  --account USER:PASSWORD   an account; repeat for more (default demo:demo)\n"
           "  --max-rows N              rows before \"ResultsTruncated\" (default 2000)\n"
           "  --max-request-bytes N     largest request body (default 4 MiB)\n"
           "  --idle-timeout-ms N       longest silence while reading a request (default 10000)\n"
           "  --request-timeout-ms N    longest time to receive a request (default 30000)\n"
           "  --max-connections N       calls served at once (default 64)\n"
           "  --quiet                   no log of calls on stderr\n"
           "  --cert FILE               PEM certificate (chain) of the service; with --key:\n"
           "                            TLS 1.2 or later with that certificate instead of\n"
           "                            the anonymous ADH-AES256-SHA\n"
           "  --key FILE                PEM private key of that certificate\n";
}
