#include "support/ui/ApplicationException.h"

#include "support/Exception.h"
#include "support/Win1252.h"
#include "support/ui/Dialogs.h"

#include <QString>

void ApplicationException(const std::exception& error) {
    // Our own errors and the standard library's carry Windows-1252 text.
    ShowErrorBox(qb::FromAnsi(error.what()));
}

void ApplicationException(std::exception_ptr error) {
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        ApplicationException(e);
    } catch (...) {
        ShowErrorBox(QStringLiteral("Unknown error"));
    }
}
