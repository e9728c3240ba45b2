#pragma once
// The stock service as the application uses it: every operation opens a
// session, makes one call with the token first, and closes the session.
// Not tied to the main window: disabling the window and pumping messages are
// hooks, so a command-line tool can use it as well.  Failures are shown
// through ShowErrorBox where the operation says so.
#include "app/Account.h"
#include "app/TlsSettings.h"
#include "xmlrpc/Transport.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;
class TXrArray;
class TXrStruct;
class TXrValue;

// Fails with the service's own error ("17, Bad symbol") when "Error" is true;
// a missing or non-boolean "Error" is itself an error.
void CheckResultError(const TXrStruct& result);

// The result of `method` as the shape it must have; anything else fails as an
// invalid type conversion.
TXrStruct& ResultStruct(TXrValue* result, const std::string& method);
TXrArray& ResultArray(TXrValue* result, const std::string& method);

class TStockServiceClient {
public:
    // One remote call.  `threaded`: run on the call thread with messages
    // pumped (everything but opening and closing sessions).  Tests replace it.
    using TRemoteCall = std::function<std::unique_ptr<TXrValue>(
        const std::string& method, const TXrArray& params, bool threaded)>;

    TStockServiceClient(std::string serverHost, int serverPort, TAccount account);

    // For the main window: the window is disabled during threaded calls and
    // the event loop runs meanwhile.  Server, account and transport security
    // from the settings file.
    static TStockServiceClient ForWindow(QWidget* window, const QString& settingsFile);
    // Server and account as given; the transport security from the settings
    // file in use (qb::SettingsFilePath()).
    static TStockServiceClient ForWindow(QWidget* window, std::string serverHost, int serverPort,
                                         TAccount account);

    std::string ServerHost;
    int ServerPort;
    TAccount Account;
    TTransportLimits Limits = DefaultTransportLimits();
    // Checked at each call: an unknown mode fails the call (ETlsSetupError),
    // it never falls back to anonymous.  Default: anonymous.
    TTlsSettings Tls;
    std::string SettingsProblem; // non-empty: every call fails with it (TServerSettings::Problem)
    std::function<void(bool enabled)> SetWindowEnabled; // may be empty
    std::function<void()> PumpMessages;                 // may be empty
    TRemoteCall RemoteCall; // empty: RpcCall / RpcCallInThread with the fields above

    // The token, or empty when no session could be opened; a failure has then
    // been shown ("Make sure you are currently connected to the Internet" for
    // transport errors, "Unable to open session with server" otherwise).
    std::string OpenSession();
    // Shows any failure; never fails itself.
    void CloseSession(const std::string& token);

    // A threaded call; `params` start with the session token.  The window is
    // disabled exactly while the call runs.  Faults are raised.  The caller
    // owns the result.
    std::unique_ptr<TXrValue> CallInThread(const std::string& method, const TXrArray& params);

    // Runs `method` in a session of its own: `addParams` adds the method's
    // parameters after the token, `use` gets the result.  False when no
    // session could be opened.  Errors pass on after the session is closed.
    bool CallInSession(const std::string& method,
                       const std::function<void(TXrArray& params)>& addParams,
                       const std::function<void(TXrValue& result)>& use);

    // The information-site names; nothing on any failure (only OpenSession
    // and CloseSession show theirs).
    std::optional<std::vector<std::string>> GetStockInfoSites();
    // The information address of a stock; empty on failure, which is shown.
    std::string GetStockInfoURL(const std::string& country, const std::string& symbol,
                                const std::string& exchange, const std::string& siteName);

private:
    std::unique_ptr<TXrValue> Call(const std::string& method, const TXrArray& params,
                                   bool threaded);
    std::uint16_t Port16() const;
};
