#include "app/FormStorage.h"

#include "support/IniFile.h"
#include "support/Win1252.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
const char* const StateKey = "WindowState";
const char* const LeftKey = "Left";
const char* const TopKey = "Top";
const char* const WidthKey = "Width";
const char* const HeightKey = "Height";
const char* const ActiveControlKey = "ActiveControl";

// Beyond any desktop: a stored value outside is damage, and adding such
// numbers up would overflow.
constexpr int MaxExtent = 100000;

bool Plausible(int value, int low) {
    return value >= low && value <= MaxExtent;
}
} // namespace

TFormStorage::TFormStorage(QString settingsFile, QString section)
    : FSettingsFile(std::move(settingsFile)), FSection(std::move(section)) {}

bool TFormStorage::Load(TFormPlacement& placement) const {
    const qb::TIniFile ini = qb::TIniFile::ReadFile(FSettingsFile);
    const std::string section = qb::ToAnsi(FSection);
    if (!ini.SectionExists(section))
        return false;
    const int state = ini.ReadInteger(section, StateKey, TFormPlacement::wsMaximized);
    placement.WindowState =
        state >= TFormPlacement::wsNormal && state <= TFormPlacement::wsMaximized
            ? static_cast<TFormPlacement::TState>(state)
            : TFormPlacement::wsMaximized;
    const int left = ini.ReadInteger(section, LeftKey, 0);
    const int top = ini.ReadInteger(section, TopKey, 0);
    const int width = ini.ReadInteger(section, WidthKey, 0);
    const int height = ini.ReadInteger(section, HeightKey, 0);
    placement.NormalGeometry = Plausible(left, -MaxExtent) && Plausible(top, -MaxExtent) &&
                                       Plausible(width, 1) && Plausible(height, 1)
                                   ? QRect(left, top, width, height)
                                   : QRect();
    placement.ActiveControl = qb::FromAnsi(ini.ReadString(section, ActiveControlKey));
    return true;
}

void TFormStorage::Save(const TFormPlacement& placement) const {
    // Read again right before writing, so lines others wrote meanwhile stay;
    // a file that cannot be read is not replaced.
    qb::TIniFile ini = qb::TIniFile::ReadFile(FSettingsFile);
    const std::string section = qb::ToAnsi(FSection);
    ini.WriteInteger(section, StateKey, placement.WindowState);
    if (!placement.NormalGeometry.isEmpty()) {
        ini.WriteInteger(section, LeftKey, placement.NormalGeometry.left());
        ini.WriteInteger(section, TopKey, placement.NormalGeometry.top());
        ini.WriteInteger(section, WidthKey, placement.NormalGeometry.width());
        ini.WriteInteger(section, HeightKey, placement.NormalGeometry.height());
    }
    ini.WriteString(section, ActiveControlKey, qb::ToAnsi(placement.ActiveControl));
    ini.SaveToFile(FSettingsFile);
}

void TFormStorage::RestorePlacement(QWidget& window) const {
    // Maximised also when the settings file cannot be read.
    window.setWindowState(Qt::WindowMaximized);
    TFormPlacement placement;
    if (!Load(placement))
        return;
    QRect geometry = placement.NormalGeometry;
    if (geometry.isEmpty()) {
        geometry = QRect(QPoint(), window.sizeHint().expandedTo(window.minimumSize()));
    }
    geometry.setSize(geometry.size().expandedTo(window.minimumSize()));
    // A placement from another screen layout must not leave the window
    // unreachable or larger than the screen.
    QScreen* screen = QGuiApplication::screenAt(geometry.center());
    const bool onScreen = screen != nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        if (!available.isEmpty())
            geometry.setSize(
                geometry.size().boundedTo(available.size()).expandedTo(window.minimumSize()));
        if (!onScreen)
            geometry.moveCenter(available.center());
    }
    window.setGeometry(geometry);
    // A window closed while minimised opens maximised, as on a first start.
    window.setWindowState(placement.WindowState == TFormPlacement::wsNormal ? Qt::WindowNoState
                                                                            : Qt::WindowMaximized);
    if (!placement.ActiveControl.isEmpty())
        if (auto* control = window.findChild<QWidget*>(placement.ActiveControl))
            if (control->focusPolicy() != Qt::NoFocus)
                control->setFocus(Qt::OtherFocusReason);
}

void TFormStorage::SavePlacement(const QWidget& window) const {
    TFormPlacement placement;
    const Qt::WindowStates state = window.windowState();
    placement.WindowState = state & Qt::WindowMinimized   ? TFormPlacement::wsMinimized
                            : state & Qt::WindowMaximized ? TFormPlacement::wsMaximized
                                                          : TFormPlacement::wsNormal;
    placement.NormalGeometry = window.normalGeometry();
    if (placement.NormalGeometry.isEmpty())
        placement.NormalGeometry = window.geometry();
    if (const QWidget* focus = window.focusWidget())
        placement.ActiveControl = focus->objectName();
    Save(placement);
}
