#pragma once
// Throw-away certificates made when a test program first asks for them: a CA
// and server certificates signed by it, written as PEM files into a temporary
// folder that is removed at exit.  Nothing is checked in, so nothing expires.
// Header only: the transport, service and application tests all use it.
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace qbtest {

struct TCertFiles {
    std::string Cert; // PEM certificate
    std::string Key;  // PEM private key
};

class TTestCertificates {
public:
    // One set per process.
    static const TTestCertificates& Get() {
        static const TTestCertificates certificates;
        return certificates;
    }

    std::string Directory;
    std::string CaFile;    // the CA that signed the three below
    TCertFiles Localhost;  // for localhost and 127.0.0.1
    TCertFiles OtherName;  // for quotes.example only
    TCertFiles Expired;    // for localhost and 127.0.0.1, expired yesterday
    TCertFiles SelfSigned; // for localhost and 127.0.0.1, signed by itself

    ~TTestCertificates() {
        std::error_code ignored;
        std::filesystem::remove_all(Directory, ignored);
    }
    TTestCertificates(const TTestCertificates&) = delete;
    TTestCertificates& operator=(const TTestCertificates&) = delete;

private:
    static constexpr long kDay = 24 * 60 * 60;

    TTestCertificates() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qb-certs-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a folder for test certificates");
        Directory = pattern;

        EVP_PKEY* caKey = NewKey();
        X509* ca = NewCertificate(caKey, "Quillbrook Test CA", nullptr, nullptr, -kDay, 30 * kDay,
                                  nullptr, true);
        CaFile = Write(ca, caKey, "ca").Cert;
        Localhost = Issue("localhost", ca, caKey, -kDay, kDay, "DNS:localhost,IP:127.0.0.1");
        OtherName = Issue("other", ca, caKey, -kDay, kDay, "DNS:quotes.example");
        Expired = Issue("expired", ca, caKey, -10 * kDay, -kDay, "DNS:localhost,IP:127.0.0.1");
        EVP_PKEY* ownKey = NewKey();
        X509* own = NewCertificate(ownKey, "localhost", nullptr, nullptr, -kDay, kDay,
                                   "DNS:localhost,IP:127.0.0.1", false);
        SelfSigned = Write(own, ownKey, "self-signed");
        X509_free(own);
        EVP_PKEY_free(ownKey);
        X509_free(ca);
        EVP_PKEY_free(caKey);
    }

    static EVP_PKEY* NewKey() {
        EVP_PKEY* key = EVP_EC_gen("P-256");
        if (!key)
            throw std::runtime_error("cannot make a test key");
        return key;
    }

    static void AddExtension(X509* cert, X509V3_CTX& context, int nid, const char* value) {
        X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
        if (!extension || X509_add_ext(cert, extension, -1) != 1)
            throw std::runtime_error(std::string("cannot add certificate extension ") + value);
        X509_EXTENSION_free(extension);
    }

    // Signed by `issuer` (with `issuerKey`), or by itself when there is none.
    static X509* NewCertificate(EVP_PKEY* key, const char* commonName, X509* issuer,
                                EVP_PKEY* issuerKey, long notBefore, long notAfter,
                                const char* altNames, bool isCa) {
        static long serial = 1;
        X509* cert = X509_new();
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), serial++);
        X509_gmtime_adj(X509_getm_notBefore(cert), notBefore);
        X509_gmtime_adj(X509_getm_notAfter(cert), notAfter);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
        X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
        X509V3_CTX context;
        X509V3_set_ctx_nodb(&context);
        X509V3_set_ctx(&context, issuer ? issuer : cert, cert, nullptr, nullptr, 0);
        AddExtension(cert, context, NID_basic_constraints, isCa ? "critical,CA:TRUE" : "CA:FALSE");
        AddExtension(cert, context, NID_key_usage,
                     isCa ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature");
        AddExtension(cert, context, NID_subject_key_identifier, "hash");
        if (!isCa)
            AddExtension(cert, context, NID_ext_key_usage, "serverAuth");
        if (altNames)
            AddExtension(cert, context, NID_subject_alt_name, altNames);
        if (X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256()) <= 0)
            throw std::runtime_error("cannot sign a test certificate");
        return cert;
    }

    TCertFiles Issue(const char* name, X509* ca, EVP_PKEY* caKey, long notBefore, long notAfter,
                     const char* altNames) {
        EVP_PKEY* key = NewKey();
        X509* cert = NewCertificate(key, name, ca, caKey, notBefore, notAfter, altNames, false);
        TCertFiles files = Write(cert, key, name);
        X509_free(cert);
        EVP_PKEY_free(key);
        return files;
    }

    TCertFiles Write(X509* cert, EVP_PKEY* key, const std::string& name) const {
        TCertFiles files{Directory + "/" + name + ".crt", Directory + "/" + name + ".key"};
        std::FILE* out = std::fopen(files.Cert.c_str(), "wb");
        const bool certWritten = out && PEM_write_X509(out, cert) == 1;
        if (out)
            std::fclose(out);
        out = std::fopen(files.Key.c_str(), "wb");
        const bool keyWritten =
            out && PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
        if (out)
            std::fclose(out);
        if (!certWritten || !keyWritten)
            throw std::runtime_error("cannot write test certificate " + name);
        return files;
    }
};

} // namespace qbtest
