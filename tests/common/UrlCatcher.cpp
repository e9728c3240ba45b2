#include "UrlCatcher.h"

#include <QDesktopServices>

TUrlCatcher::TUrlCatcher(QStringList schemes) : FSchemes(std::move(schemes)) {
    for (const QString& scheme : FSchemes)
        QDesktopServices::setUrlHandler(scheme, this, "Open");
}

TUrlCatcher::~TUrlCatcher() {
    for (const QString& scheme : FSchemes)
        QDesktopServices::unsetUrlHandler(scheme);
}
