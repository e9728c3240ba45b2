#include "service/ReferenceService.h"
#include "service/ServiceOptions.h"

#include "../xmlrpc/support/TestCertificates.h"
#include "support/ServiceFixture.h"
#include "xmlrpc/Transport.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace std::chrono_literals;

namespace {

const qbtest::TTestCertificates& Certs() {
    return qbtest::TTestCertificates::Get();
}

TServiceOptions CertifiedOptions(const std::string& cert, const std::string& key) {
    TServiceOptions options;
    options.DatabasePath = TestDatabasePath();
    options.Accounts = {DemoAccount()};
    options.LogCalls = false;
    options.CertFile = cert;
    options.KeyFile = key;
    return options;
}

// OpenSession's token, or the message of the error the call raised.
std::string OpenSessionOutcome(std::uint16_t port, const TTlsOptions& tls) {
    TTransportLimits limits;
    limits.ConnectTimeout = 3000ms;
    limits.IdleTimeout = 3000ms;
    limits.CallDeadline = 5000ms;
    TXrArray params;
    params.AddString("demo");
    params.AddString("demo");
    try {
        auto result =
            RpcCall("localhost", port, true, "StockService.OpenSession", params, limits, tls);
        auto* token = dynamic_cast<TXrString*>(result.get());
        return token && !token->Value.empty() ? "token" : "no token";
    } catch (const std::exception& e) {
        return e.what();
    }
}

} // namespace

TEST(ServiceCommandLine, CertificateAndKeyGoTogether) {
    struct TCase {
        std::vector<std::string> Args;
        std::string Cert, Key, Error; // Error empty: accepted
    };
    const TCase cases[] = {
        {{}, "", "", ""},
        {{"--cert", "s.crt", "--key", "s.key"}, "s.crt", "s.key", ""},
        {{"--key", "s.key", "--cert", "s.crt"}, "s.crt", "s.key", ""},
        {{"--cert", "s.crt"}, "", "", "--cert needs --key"},
        {{"--key", "s.key"}, "", "", "--key needs --cert"},
        {{"--key", "s.key", "--cert"}, "", "", "Missing value for --cert"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Args));
        try {
            const TServiceCommandLine line = ParseCommandLine(c.Args);
            EXPECT_EQ(c.Error, "");
            EXPECT_EQ(line.Options.CertFile, c.Cert);
            EXPECT_EQ(line.Options.KeyFile, c.Key);
        } catch (const std::exception& e) {
            EXPECT_NE(c.Error, "");
            EXPECT_NE(std::string(e.what()).find(c.Error), std::string::npos) << e.what();
        }
    }
    for (const char* option : {"--cert FILE", "--key FILE"})
        EXPECT_NE(ServiceHelpText().find(option), std::string::npos) << option;
}

TEST(ServiceCertificate, UnusableFilesAreNamedAtStart) {
    const std::string missing = Certs().Directory + "/missing.pem";
    const std::string notPem = Certs().Directory + "/not-a-certificate.pem";
    std::ofstream(notPem) << "no PEM here\n";
    const qbtest::TCertFiles& good = Certs().Localhost;
    struct TCase {
        const char* Name;
        std::string Cert, Key;
        std::vector<std::string> Named; // in the message
    };
    const TCase cases[] = {
        {"missing certificate", missing, good.Key, {"certificate file", missing}},
        {"missing key", good.Cert, missing, {"key file", missing}},
        {"certificate not PEM", notPem, good.Key, {"certificate file", notPem}},
        {"key not PEM", good.Cert, notPem, {"key file", notPem}},
        {"key of another certificate",
         good.Cert,
         Certs().OtherName.Key,
         {Certs().OtherName.Key, good.Cert}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TReferenceService service(CertifiedOptions(c.Cert, c.Key));
        try {
            service.Start();
            ADD_FAILURE() << "started";
        } catch (const std::exception& e) {
            for (const std::string& part : c.Named)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    }
}

TEST(ServiceCertificate, ServesVerifiedClientsOnly) {
    TReferenceService service(CertifiedOptions(Certs().Localhost.Cert, Certs().Localhost.Key));
    service.Start();
    EXPECT_EQ(OpenSessionOutcome(service.Port(), {TTlsOptions::TMode::Verified, Certs().CaFile}),
              "token");
    // No anonymous suite is left for a client that cannot check the certificate.
    const std::string anonymous = OpenSessionOutcome(service.Port(), {});
    EXPECT_NE(anonymous.find("TLS handshake failed"), std::string::npos) << anonymous;

    // And without a certificate the service stays anonymous.
    TReferenceService plain(CertifiedOptions("", ""));
    plain.Start();
    EXPECT_EQ(OpenSessionOutcome(plain.Port(), {}), "token");
}
