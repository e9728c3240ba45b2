#include "app/StockService.h"

#include "app/ServerSettings.h"
#include "support/AppEnvironment.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"
#include "support/ui/Dialogs.h"
#include "xmlrpc/Faults.h"
#include "xmlrpc/RpcCallThread.h"
#include "xmlrpc/XrValues.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace {

const char* const OpenSessionMethod = "StockService.OpenSession";
const char* const CloseSessionMethod = "StockService.CloseSession";
const char* const SitesMethod = "StockService.GetStockInfoSites";
const char* const UrlMethod = "StockService.GetStockInfoURL";

std::string MessageOf(const std::exception& e) {
    if (auto* own = dynamic_cast<const Exception*>(&e))
        return own->Message();
    return e.what();
}

[[noreturn]] void InvalidResult(const std::string& method, const char* expected) {
    throw Exception("Invalid type conversion: the result of " + method + " is not " + expected +
                    ".");
}

void ShowError(const std::string& text) {
    ShowErrorBox(qb::FromAnsi(text));
}

} // namespace

void CheckResultError(const TXrStruct& result) {
    if (!result.GetBoolean("Error"))
        return;
    throw Exception(std::to_string(result.GetInteger("ErrorCode")) + ", " +
                    result.GetString("ErrorMessage"));
}

TXrStruct& ResultStruct(TXrValue* result, const std::string& method) {
    auto* value = dynamic_cast<TXrStruct*>(result);
    if (!value)
        InvalidResult(method, "a struct");
    return *value;
}

TXrArray& ResultArray(TXrValue* result, const std::string& method) {
    auto* value = dynamic_cast<TXrArray*>(result);
    if (!value)
        InvalidResult(method, "an array");
    return *value;
}

TStockServiceClient::TStockServiceClient(std::string serverHost, int serverPort, TAccount account)
    : ServerHost(std::move(serverHost)), ServerPort(serverPort), Account(std::move(account)) {}

std::unique_ptr<TXrValue> TStockServiceClient::Call(const std::string& method,
                                                    const TXrArray& params, bool threaded) {
    if (!SettingsProblem.empty())
        throw Exception(SettingsProblem);
    if (RemoteCall)
        return RemoteCall(method, params, threaded);
    const TTlsOptions tls = Tls.Options();
    if (threaded)
        return RpcCallInThread(ServerHost, Port16(), true, method, params, PumpMessages, Limits,
                               tls);
    return RpcCall(ServerHost, Port16(), true, method, params, Limits, tls);
}

TStockServiceClient TStockServiceClient::ForWindow(QWidget* window, const QString& settingsFile) {
    const TServerSettings server = TServerSettings::Load(settingsFile);
    TStockServiceClient service =
        ForWindow(window, server.ServerHost, server.ServerPort, TAccount::Load(settingsFile));
    service.Tls = server.Tls;
    service.SettingsProblem = server.Problem;
    return service;
}

TStockServiceClient TStockServiceClient::ForWindow(QWidget* window, std::string serverHost,
                                                   int serverPort, TAccount account) {
    TStockServiceClient service(std::move(serverHost), serverPort, std::move(account));
    service.Tls = TTlsSettings::Load(qb::SettingsFilePath());
    QPointer<QWidget> guarded(window);
    service.SetWindowEnabled = [guarded](bool enabled) {
        if (guarded)
            guarded->setEnabled(enabled);
    };
    service.PumpMessages = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    return service;
}

std::uint16_t TStockServiceClient::Port16() const {
    // A port the transport cannot address is refused there like a missing one.
    return ServerPort > 0 && ServerPort <= 65535 ? std::uint16_t(ServerPort) : 0;
}

std::string TStockServiceClient::OpenSession() {
    std::string token;
    try {
        TXrArray params;
        params.AddString(Account.UserName);
        params.AddString(Account.Password);
        std::unique_ptr<TXrValue> result = RaiseIfFault(Call(OpenSessionMethod, params, false));
        auto* text = dynamic_cast<TXrString*>(result.get());
        if (!text)
            InvalidResult(OpenSessionMethod, "a string");
        token = text->Value;
    } catch (const ETransportError& e) {
        const QString text =
            TranslateText(QStringLiteral("Make sure you are currently connected to the Internet")) +
            QStringLiteral(".\r\r") +
            TranslateText(QStringLiteral("Unable to connect to %1 on port %2"))
                .arg(qb::FromAnsi(ServerHost))
                .arg(ServerPort) +
            QStringLiteral(".\r\r") + qb::FromAnsi(e.Message());
        ShowErrorBox(text);
        token.clear();
    } catch (const std::exception& e) {
        ShowErrorBox(TranslateText(QStringLiteral("Unable to open session with server")) +
                     QStringLiteral(".\r\r") + qb::FromAnsi(MessageOf(e)));
        token.clear();
    }
    return token;
}

void TStockServiceClient::CloseSession(const std::string& token) {
    try {
        TXrArray params;
        params.AddString(token);
        RaiseIfFault(Call(CloseSessionMethod, params, false));
    } catch (const std::exception& e) {
        ShowError(MessageOf(e));
    }
}

std::unique_ptr<TXrValue> TStockServiceClient::CallInThread(const std::string& method,
                                                            const TXrArray& params) {
    if (SetWindowEnabled)
        SetWindowEnabled(false);
    std::unique_ptr<TXrValue> result;
    try {
        result = Call(method, params, true);
    } catch (...) {
        if (SetWindowEnabled)
            SetWindowEnabled(true);
        throw;
    }
    if (SetWindowEnabled)
        SetWindowEnabled(true);
    return RaiseIfFault(std::move(result));
}

bool TStockServiceClient::CallInSession(const std::string& method,
                                        const std::function<void(TXrArray& params)>& addParams,
                                        const std::function<void(TXrValue& result)>& use) {
    const std::string token = OpenSession();
    if (token.empty())
        return false;
    try {
        TXrArray params;
        params.AddString(token);
        if (addParams)
            addParams(params);
        std::unique_ptr<TXrValue> result = CallInThread(method, params);
        if (!result)
            throw Exception("The service sent no result for " + method + ".");
        if (use)
            use(*result);
    } catch (...) {
        CloseSession(token);
        throw;
    }
    CloseSession(token);
    return true;
}

std::optional<std::vector<std::string>> TStockServiceClient::GetStockInfoSites() {
    std::optional<std::vector<std::string>> names;
    try {
        CallInSession(SitesMethod, nullptr, [&](TXrValue& result) {
            const TXrArray& sites = ResultArray(&result, SitesMethod);
            std::vector<std::string> list;
            list.reserve(std::size_t(sites.Count()));
            for (int i = 1; i <= sites.Count(); ++i)
                list.push_back(sites.StringItem(i));
            names = std::move(list);
        });
    } catch (const std::exception&) {
        // The start-up goes on without information sites.
        names.reset();
    }
    return names;
}

std::string TStockServiceClient::GetStockInfoURL(const std::string& country,
                                                 const std::string& symbol,
                                                 const std::string& exchange,
                                                 const std::string& siteName) {
    std::string address;
    try {
        CallInSession(
            UrlMethod,
            [&](TXrArray& params) {
                params.AddString(country);
                params.AddString(symbol);
                params.AddString(exchange);
                params.AddString(siteName);
            },
            [&](TXrValue& result) {
                TXrStruct& answer = ResultStruct(&result, UrlMethod);
                CheckResultError(answer);
                address = answer.GetString("URL");
            });
    } catch (const std::exception& e) {
        address.clear();
        ShowError(MessageOf(e));
    }
    return address;
}
