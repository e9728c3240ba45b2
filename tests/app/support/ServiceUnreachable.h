#pragma once
// The main window asks the stock service for its site names at start-up and
// reports an unreachable service once; the window tests run without one.
#include "../../common/ScriptedDialogs.h"

inline void TolerateUnreachableService(TScriptedDialogs& dialogs) {
    dialogs.Tolerate([](const TScriptedDialogs::TMessage& box) {
        return box.Kind == TMsgDlgType::mtError &&
               (box.Text.startsWith(QLatin1String("Unable to open session with server")) ||
                box.Text.startsWith(QLatin1String("Make sure you are currently connected")));
    });
}
