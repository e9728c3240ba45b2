#include "xmlrpc/RpcCallThread.h"
#include "xmlrpc/Transport.h"

#include "support/CertTlsServer.h"
#include "support/ScriptedTlsServer.h"
#include "support/TestCertificates.h"
#include "xmlrpc/XrValues.h"

#include <gtest/gtest.h>

#include <openssl/x509_vfy.h>

#include <fstream>

using namespace std::chrono_literals;

namespace {

const std::string kOk = "<?xml version=\"1.0\"?>\r\n<methodResponse><params><param><value>"
                        "<string>tok-1</string></value></param></params></methodResponse>\r\n";

using TMode = TTlsOptions::TMode;

const qbtest::TTestCertificates& Certs() {
    return qbtest::TTestCertificates::Get();
}

TTlsOptions Verified(std::string caFile) {
    return {TMode::Verified, std::move(caFile)};
}

TTransportLimits ShortLimits() {
    TTransportLimits limits;
    limits.ConnectTimeout = 3000ms;
    limits.IdleTimeout = 3000ms;
    limits.CallDeadline = 5000ms;
    return limits;
}

// The call's answer, or the message of the error it raised, marked by kind.
std::string Outcome(const std::string& host, std::uint16_t port, const TTlsOptions& tls) {
    try {
        TXrArray params;
        std::unique_ptr<TXrValue> result =
            RpcCall(host, port, true, "StockService.OpenSession", params, ShortLimits(), tls);
        auto* text = dynamic_cast<TXrString*>(result.get());
        return text ? "ok " + text->Value : "no string";
    } catch (const ETransportError& e) {
        return "transport: " + e.Message();
    } catch (const ETlsSetupError& e) {
        return "setup: " + e.Message();
    } catch (const std::exception& e) {
        return std::string("other: ") + e.what();
    }
}

std::string Unverified(const std::string& host, long code) {
    return "transport: The certificate of " + host +
           " could not be verified: " + X509_verify_cert_error_string(code) + ".";
}

} // namespace

TEST(VerifiedTls, CertificateAndHostAreChecked) {
    struct TCase {
        const char* Name;
        qbtest::TCertFiles Server;
        std::string Host;
        std::string CaFile; // empty: the platform's trust store
        std::string Expected;
    };
    const TCase cases[] = {
        {"trusted, by name", Certs().Localhost, "localhost", Certs().CaFile, "ok tok-1"},
        {"trusted, by address", Certs().Localhost, "127.0.0.1", Certs().CaFile, "ok tok-1"},
        {"other name", Certs().OtherName, "localhost", Certs().CaFile,
         Unverified("localhost", X509_V_ERR_HOSTNAME_MISMATCH)},
        {"other address", Certs().OtherName, "127.0.0.1", Certs().CaFile,
         Unverified("127.0.0.1", X509_V_ERR_IP_ADDRESS_MISMATCH)},
        {"expired", Certs().Expired, "localhost", Certs().CaFile,
         Unverified("localhost", X509_V_ERR_CERT_HAS_EXPIRED)},
        {"self-signed, platform store", Certs().SelfSigned, "localhost", "",
         Unverified("localhost", X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT)},
        {"own CA unknown to the platform", Certs().Localhost, "localhost", "",
         Unverified("localhost", X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY)},
        {"self-signed, other CA file", Certs().SelfSigned, "localhost", Certs().CaFile,
         Unverified("localhost", X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TCertTlsServer server(c.Server.Cert, c.Server.Key, kOk);
        EXPECT_EQ(Outcome(c.Host, server.Port(), Verified(c.CaFile)), c.Expected);
        // A refused certificate means the request, password and all, was never sent.
        EXPECT_EQ(server.Answered(), c.Expected.starts_with("ok") ? 1 : 0);
    }
}

TEST(VerifiedTls, ModeMismatchFailsQuicklyAndSaysSo) {
    TCertTlsServer certified(Certs().Localhost.Cert, Certs().Localhost.Key, kOk);
    TScriptedTlsServer anonymous;
    anonymous.AnswerBody(kOk);
    struct TCase {
        const char* Name;
        std::uint16_t Port;
        TTlsOptions Tls;
        std::string Hint;
    };
    const TCase cases[] = {
        {"verified client, anonymous service", anonymous.Port(), Verified(Certs().CaFile),
         "The service may offer only anonymous TLS"},
        {"anonymous client, service with a certificate", certified.Port(), TTlsOptions{},
         "The service may require TLS with a verified certificate"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto started = std::chrono::steady_clock::now();
        const std::string outcome = Outcome("localhost", c.Port, c.Tls);
        EXPECT_LT(std::chrono::steady_clock::now() - started, ShortLimits().ConnectTimeout);
        EXPECT_TRUE(outcome.starts_with("transport: TLS handshake failed")) << outcome;
        EXPECT_NE(outcome.find(c.Hint), std::string::npos) << outcome;
    }
    EXPECT_EQ(certified.Answered(), 0);
    EXPECT_TRUE(anonymous.Requests().empty());
}

TEST(VerifiedTls, UnusableCaFileIsNamedBeforeAnyConnection) {
    const std::string notPem = Certs().Directory + "/not-a-bundle.pem";
    std::ofstream(notPem) << "these are no certificates\n";
    struct TCase {
        std::string CaFile;
        std::string Expected;
    };
    const std::string missing = Certs().Directory + "/missing/ca.pem";
    const TCase cases[] = {
        {missing, "setup: The CA file " + missing + " cannot be read: No such file or directory."},
        {notPem, "setup: The CA file " + notPem + " holds no usable PEM certificate"},
    };
    TCertTlsServer server(Certs().Localhost.Cert, Certs().Localhost.Key, kOk);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.CaFile);
        EXPECT_TRUE(Outcome("localhost", server.Port(), Verified(c.CaFile)).starts_with(c.Expected))
            << Outcome("localhost", server.Port(), Verified(c.CaFile));
    }
    EXPECT_EQ(server.Answered() + server.FailedHandshakes(), 0);
}

TEST(VerifiedTls, CallThreadCarriesTheChoice) {
    TCertTlsServer server(Certs().Localhost.Cert, Certs().Localhost.Key, kOk);
    TXrArray params;
    std::unique_ptr<TXrValue> result =
        RpcCallInThread("localhost", server.Port(), true, "StockService.OpenSession", params,
                        nullptr, ShortLimits(), Verified(Certs().CaFile));
    auto* text = dynamic_cast<TXrString*>(result.get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Value, "tok-1");

    TCertTlsServer other(Certs().OtherName.Cert, Certs().OtherName.Key, kOk);
    try {
        RpcCallInThread("localhost", other.Port(), true, "StockService.OpenSession", params,
                        nullptr, ShortLimits(), Verified(Certs().CaFile));
        FAIL() << "a certificate for another name was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ("transport: " + e.Message(),
                  Unverified("localhost", X509_V_ERR_HOSTNAME_MISMATCH));
    }
}
