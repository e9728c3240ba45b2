// The reference service under load, run as its own process: many
// well-behaved clients at once, beside clients that drip, stall, overflow or
// hang up.  Every normal call must succeed, a newcomer must be answered
// throughout, the misbehaving clients must be answered or cut off in bounded
// time, and the service's resident memory must level off once warmed up.
//
// QB_LOAD_CLIENTS and QB_LOAD_CALLS (calls per client) size the run.
#include "support/LatencySummary.h"
#include "support/Misbehaviour.h"
#include "support/MixedClient.h"
#include "support/Probe.h"
#include "support/ProcessSampler.h"
#include "support/ServiceProcess.h"

#include "service/DemoData.h"
#include "service/ServiceOptions.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

#if defined(QB_LOAD_SANITIZED) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Sanitizers slow every call several-fold and keep freed memory in
// quarantine, so the run is smaller and resident memory is only reported.
constexpr int kDefaultClients = 4;
constexpr int kDefaultCalls = 60;
constexpr bool kCheckMemory = false;
#else
constexpr int kDefaultClients = 16;
constexpr int kDefaultCalls = 500;
constexpr bool kCheckMemory = true;
#endif

// Growth of resident memory allowed after warm-up.  Once every connection
// thread has had its stack and malloc arena, the service's memory is its
// sessions (a few dozen bytes each) and the answers in flight (under 100 KiB
// each, one per connection); what moves beyond that is malloc keeping freed
// blocks in its arenas, about 1.5 MiB here.  8 MiB over the 6,400 calls after
// warm-up catches a leak of 1.3 KiB a call, let alone an answer, a database
// connection or a thread per call.
constexpr long kGrowthBoundKiB = 8 * 1024;

int SizeFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    int value = std::atoi(text);
    if (value < 1)
        throw std::runtime_error(std::string(name) + " must be a positive number");
    return value;
}

// A few hundred stocks: set-up stays quick, answers stay realistic in size.
const std::string& LoadDatabasePath() {
    static const std::string path = [] {
        std::string target = std::string(QB_BINARY_DIR) + "/tests/load/demo-300.sqlite";
        if (!std::filesystem::exists(target)) {
            std::string scratch = target + ".tmp" + std::to_string(::getpid());
            TDemoDataOptions options;
            options.StockCount = 300;
            options.LastDay = QDate(2026, 6, 30);
            CreateDemoDatabase(scratch, options);
            std::filesystem::rename(scratch, target);
        }
        return target;
    }();
    return path;
}

// Figures go to the test's XML output and, as one block, to stdout.
class TFigures {
public:
    template <class T> void Add(const std::string& name, const T& value) {
        std::ostringstream text;
        text << value;
        ::testing::Test::RecordProperty(name, text.str());
        FText << "  " << name << ": " << text.str() << "\n";
    }
    void Latencies(const std::string& name, const TLatencySummary& s) {
        char text[160];
        std::snprintf(text, sizeof text, "n=%zu median=%.1f ms p95=%.1f ms max=%.1f ms", s.Count,
                      s.MedianMs, s.P95Ms, s.MaxMs);
        Add(name, text);
    }
    std::string Text() const { return FText.str(); }

private:
    std::ostringstream FText;
};

long Seconds(TClock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(d).count());
}

} // namespace

TEST(ServiceLoad, MixedCallsBesideMisbehavingClients) {
    // The misbehaving clients write on after the service has hung up on them.
    std::signal(SIGPIPE, SIG_IGN);
    const int clients = SizeFromEnvironment("QB_LOAD_CLIENTS", kDefaultClients);
    const int callsEach = SizeFromEnvironment("QB_LOAD_CALLS", kDefaultCalls);
    const TServiceOptions defaults;
    // Each misbehaviour with what the service must make of it, and how soon.
    struct TMisbehaviourCase {
        TMisbehaviourKind Kind;
        const char* Outcome;
        std::chrono::milliseconds Within;
    };
    const TMisbehaviourCase kinds[] = {
        {TMisbehaviourKind::mbDrip, "answered", defaults.RequestTimeout},
        {TMisbehaviourKind::mbSilent, "closed by the service", defaults.IdleTimeout + 5s},
        {TMisbehaviourKind::mbOversizedBody, "refused 413", 5s},
        {TMisbehaviourKind::mbHugeLength, "refused 413", 5s},
        {TMisbehaviourKind::mbHangUp, "hung up", 5s},
    };
    const int kindCount = static_cast<int>(std::size(kinds));

    std::vector<std::string> arguments{"--db", LoadDatabasePath(), "--port", "0"};
    // Every client of the run must be served at once, or the probe would
    // measure the backlog rather than the service.
    const int connections = clients + kindCount + 1;
    if (defaults.MaxConnections < connections)
        arguments.insert(arguments.end(), {"--max-connections", std::to_string(connections)});
    const std::string logPath = std::string(QB_BINARY_DIR) + "/tests/load/service.log";
    TServiceProcess service(QB_SERVICE_EXECUTABLE, arguments, logPath);
    TProcessSampler sampler(service.Pid(), 100ms);
    std::this_thread::sleep_for(200ms); // a sample of the idle service
    const auto started = TClock::now();

    std::vector<std::unique_ptr<TMisbehavingClient>> misbehaving;
    for (const auto& kind : kinds)
        misbehaving.push_back(std::make_unique<TMisbehavingClient>(kind.Kind, service.Port(),
                                                                   defaults.MaxRequestBytes));
    TProbe probe(service.Port(), 500ms);

    std::vector<std::unique_ptr<TMixedClient>> normal;
    std::atomic<int> progress{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        normal.push_back(std::make_unique<TMixedClient>(service.Port(), 1000u + i));
        threads.emplace_back([&, client = normal.back().get()] {
            client->Run(callsEach, progress);
            ++finished;
        });
    }
    // Warm-up ends when a fifth of the calls are done.
    const int warmUpCalls = clients * callsEach / 5;
    std::optional<TClock::time_point> warmedUp;
    while (finished < clients) {
        if (!warmedUp && progress >= warmUpCalls)
            warmedUp = TClock::now();
        std::this_thread::sleep_for(20ms);
    }
    for (auto& t : threads)
        t.join();
    const auto loadEnded = TClock::now();
    if (!warmedUp)
        warmedUp = loadEnded;

    // Each misbehaviour gets at least one verdict of the service, however
    // short the run (the silent client waits out the idle time-out).
    auto patience = TClock::now() + defaults.RequestTimeout + 10s;
    for (auto& m : misbehaving)
        while (m->CompletedAttempts() == 0 && TClock::now() < patience)
            std::this_thread::sleep_for(50ms);
    for (auto& m : misbehaving)
        m->Stop();
    probe.Stop();
    const auto clientsLeft = TClock::now();

    // Once every client has gone, the connection threads must be gone too.
    const int idleThreads = sampler.Samples().front().Figures.Threads;
    auto threadsSettled = TClock::now() + 5s;
    while (ReadProcessFigures(service.Pid()).Threads > idleThreads &&
           TClock::now() < threadsSettled)
        std::this_thread::sleep_for(50ms);
    std::this_thread::sleep_for(300ms);
    sampler.Stop();
    const double serviceCpuSeconds = ReadProcessFigures(service.Pid()).CpuSeconds;
    const int exitCode = service.Stop();

    // Figures.
    const auto samples = sampler.Samples();
    ASSERT_GE(samples.size(), 3u);
    long rssIdle = samples.front().Figures.ResidentKiB;
    long rssWarm = -1, rssMax = 0, rssEnd = samples.back().Figures.ResidentKiB;
    int threadsMax = 0;
    for (const auto& s : samples) {
        if (s.At < started || s.At > clientsLeft)
            continue;
        threadsMax = std::max(threadsMax, s.Figures.Threads);
        if (s.At >= *warmedUp) {
            if (rssWarm < 0)
                rssWarm = s.Figures.ResidentKiB;
            rssMax = std::max(rssMax, s.Figures.ResidentKiB);
        }
    }
    if (rssWarm < 0)
        rssWarm = rssMax = rssEnd;

    TClientReport all;
    for (const auto& c : normal) {
        const auto& r = c->Report();
        all.Calls += r.Calls;
        all.Failures += r.Failures;
        all.LatencyMs.insert(all.LatencyMs.end(), r.LatencyMs.begin(), r.LatencyMs.end());
        for (const auto& f : r.FirstFailures)
            if (all.FirstFailures.size() < 10)
                all.FirstFailures.push_back(f);
    }
    const double loadSeconds = std::chrono::duration<double>(loadEnded - started).count();
    const TLatencySummary calls = Summarise(all.LatencyMs);
    const TLatencySummary probes = Summarise(probe.LatencyMs());

    TFigures figures;
    figures.Add("clients", clients);
    figures.Add("calls_per_client", callsEach);
    figures.Add("calls", all.Calls);
    figures.Add("failed_calls", all.Failures);
    figures.Add("load_seconds", loadSeconds);
    figures.Add("calls_per_second", all.Calls / std::max(loadSeconds, 1e-3));
    figures.Latencies("call_latency", calls);
    figures.Add("service_cpu_seconds", serviceCpuSeconds);
    figures.Add("service_cpu_ms_per_call", serviceCpuSeconds * 1000 / std::max(all.Calls, 1));
    figures.Latencies("probe_latency", probes);
    figures.Add("probe_failures", probe.Failures().size());
    figures.Add("probe_longest_silence_ms", probe.LongestSilence().count());
    figures.Add("rss_idle_kib", rssIdle);
    figures.Add("rss_after_warmup_kib", rssWarm);
    figures.Add("rss_max_after_warmup_kib", rssMax);
    figures.Add("rss_after_clients_left_kib", rssEnd);
    figures.Add("threads_idle", idleThreads);
    figures.Add("threads_max", threadsMax);
    figures.Add("threads_after_clients_left", samples.back().Figures.Threads);
    figures.Add("wall_seconds", Seconds(TClock::now() - started));
    for (const auto& m : misbehaving) {
        std::ostringstream outcomes;
        for (const auto& [outcome, tally] : m->Report().Outcomes)
            outcomes << outcome << " x" << tally.Count << " (longest " << tally.MaxMs << " ms); ";
        figures.Add("client that " + m->Report().Name, outcomes.str());
    }
    std::cout << "Service load figures:\n" << figures.Text() << std::flush;

    // Verdicts.
    EXPECT_EQ(exitCode, 0) << "the service did not end cleanly; its log:\n" << service.LogText();
    EXPECT_EQ(all.Failures, 0) << ::testing::PrintToString(all.FirstFailures);
    EXPECT_GE(all.Calls, clients * callsEach);

    // A newcomer is answered all along, and well inside the idle time-out: a
    // service whose connection slots were held by the slow clients would
    // keep it waiting that long.
    EXPECT_TRUE(probe.Failures().empty()) << ::testing::PrintToString(probe.Failures());
    EXPECT_LT(probes.MaxMs, 5000.0);
    EXPECT_LT(probe.LongestSilence(), 5s);

    // What the service made of each misbehaviour; an attempt the end of the
    // run broke off tells nothing.
    for (int i = 0; i < kindCount; ++i) {
        const auto& report = misbehaving[i]->Report();
        SCOPED_TRACE(report.Name);
        for (const auto& [outcome, tally] : report.Outcomes) {
            if (outcome != TMisbehavingClient::kInterrupted) {
                EXPECT_EQ(outcome, kinds[i].Outcome);
            }
        }
        auto verdict = report.Outcomes.find(kinds[i].Outcome);
        ASSERT_NE(verdict, report.Outcomes.end());
        EXPECT_LE(verdict->second.MaxMs, kinds[i].Within.count());
    }

    // Connection threads end with their clients.
    EXPECT_EQ(samples.back().Figures.Threads, idleThreads);

    if (kCheckMemory) {
        EXPECT_LT(rssMax - rssWarm, kGrowthBoundKiB) << "resident memory grew after warm-up from "
                                                     << rssWarm << " KiB to " << rssMax << " KiB";
        EXPECT_LT(rssEnd - rssWarm, kGrowthBoundKiB);
    }
}
