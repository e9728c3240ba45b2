#include "app/CommandLine.h"

#include <QSet>

namespace {

// Options the toolkit takes out of the command line itself.
const QSet<QString>& ToolkitOptionsWithValue() {
    static const QSet<QString> options{
        "platform",     "platformpluginpath", "platformtheme", "plugin",  "qmljsdebugger",
        "style",        "stylesheet",         "session",       "display", "qwindowgeometry",
        "qwindowicon",  "qwindowtitle",       "geometry",      "title",   "name",
        "qwindowscreen"};
    return options;
}

const QSet<QString>& ToolkitFlags() {
    static const QSet<QString> options{"reverse", "widgetcount", "nograb",
                                       "dograb",  "sync",        "qwindowalpha"};
    return options;
}

} // namespace

TCommandLine TCommandLine::Parse(const QStringList& arguments) {
    TCommandLine line;
    bool onlyFiles = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (onlyFiles || argument.size() < 2 || !argument.startsWith(u'-')) {
            line.Files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            onlyFiles = true;
            continue;
        }
        if (argument == QLatin1String("--settings") ||
            argument.startsWith(QLatin1String("--settings="))) {
            const qsizetype equals = argument.indexOf(u'=');
            if (equals >= 0) {
                line.SettingsFile = argument.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                line.SettingsFile = arguments[++i];
            } else {
                line.Action = caError;
                line.ErrorText = QStringLiteral("Missing value after '--settings'.");
                return line;
            }
            if (line.SettingsFile.isEmpty()) {
                line.Action = caError;
                line.ErrorText = QStringLiteral("Missing value after '--settings'.");
                return line;
            }
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            line.Action = caHelp;
            return line;
        }
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            line.Action = caVersion;
            return line;
        }
        const QString bare = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        if (ToolkitOptionsWithValue().contains(bare)) {
            ++i;
            continue;
        }
        if (ToolkitFlags().contains(bare))
            continue;
        line.Action = caError;
        line.ErrorText = QStringLiteral("Unknown option '%1'.").arg(argument);
        return line;
    }
    return line;
}

QString TCommandLine::UsageText() {
    return QStringLiteral("Usage: quillbrook [--settings PATH] [FILTER.qbk]\n"
                          "\n"
                          "Options:\n"
                          "  --settings PATH  use PATH as the settings file instead of the\n"
                          "                   executable's path with \".ini\"\n"
                          "  -h, --help       show this text and exit\n"
                          "  -v, --version    show the version and exit\n"
                          "\n"
                          "FILTER.qbk is a filter file to open at start.\n");
}
