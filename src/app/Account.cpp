#include "app/Account.h"

#include "support/IniFile.h"

TAccount TAccount::Load(const QString& settingsFile) {
    const qb::TIniFile ini = qb::TIniFile::LoadFromFile(settingsFile);
    TAccount account;
    account.UserName = ini.ReadString("Account", "UserName", {});
    account.Password = ini.ReadString("Account", "Password", {});
    return account;
}
