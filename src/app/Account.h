#pragma once
// The user's account at the stock service: section "Account" of the settings
// file, keys "UserName" and "Password", sent as two strings to open a session.
#include <QString>

#include <string>

struct TAccount {
    std::string UserName; // Windows-1252, empty when absent
    std::string Password;

    static TAccount Load(const QString& settingsFile);
};
