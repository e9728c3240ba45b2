// quillbrook-service: the reference stock service, or the demo data maker.
#include "service/DemoData.h"
#include "service/ReferenceService.h"
#include "service/ServiceOptions.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <thread>

namespace {

volatile std::sig_atomic_t StopRequested = 0;

void OnSignal(int) {
    StopRequested = 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        TServiceCommandLine line =
            ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (line.Help) {
            std::cout << ServiceHelpText();
            return 0;
        }
        if (!line.InitDemoPath.empty()) {
            auto start = std::chrono::steady_clock::now();
            CreateDemoDatabase(line.InitDemoPath);
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start);
            std::cerr << "Demo database written to " << line.InitDemoPath << " in " << ms.count()
                      << " ms\n";
            return 0;
        }
        if (line.Options.DatabasePath.empty())
            throw std::runtime_error("No database given (--db PATH); see --help");
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        std::signal(SIGPIPE, SIG_IGN);
        TReferenceService service(line.Options);
        service.Start();
        // Scripts read this line to learn the port.
        std::cout << "Listening on " << line.Options.ListenAddress << " port " << service.Port()
                  << std::endl;
        while (!StopRequested)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        service.Stop();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "quillbrook-service: " << e.what() << "\n";
        return 1;
    }
}
