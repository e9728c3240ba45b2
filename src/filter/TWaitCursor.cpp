#include "filter/TWaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

int WaitDepth = 0;

} // namespace

TWaitCursor::TWaitCursor() {
    if (WaitDepth++ == 0)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitCursor::~TWaitCursor() {
    if (--WaitDepth == 0)
        QGuiApplication::restoreOverrideCursor();
}

int TWaitCursor::Depth() {
    return WaitDepth;
}
