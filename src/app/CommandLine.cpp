#include "app/CommandLine.h"

#include "app/HeadlessRunner.h"

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
    QString dateText;
    bool dateGiven = false, outputGiven = false;
    int forms = 0;
    auto fail = [&line](const QString& text) {
        line.Action = caError;
        line.ErrorText = text;
        return line;
    };
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
        // "--name VALUE" or "--name=VALUE"; false when the value is missing.
        auto valued = [&](const char* name, QString& value, bool& matched) {
            const QString option = QLatin1String(name);
            matched = argument == option || argument.startsWith(option + u'=');
            if (!matched)
                return true;
            if (argument.size() > option.size())
                value = argument.mid(option.size() + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                value.clear();
            return !value.isEmpty();
        };
        bool matched = false;
        if (!valued("--settings", line.SettingsFile, matched))
            return fail(QStringLiteral("Missing value after '--settings'."));
        if (matched)
            continue;
        if (!valued("--search", line.SearchFile, matched))
            return fail(QStringLiteral("Missing value after '--search'."));
        if (matched) {
            ++forms;
            line.Action = caSearch;
            continue;
        }
        if (!valued("--date", dateText, matched))
            return fail(QStringLiteral("Missing value after '--date'."));
        if (matched) {
            dateGiven = true;
            continue;
        }
        if (!valued("--output", line.OutputFile, matched))
            return fail(QStringLiteral("Missing value after '--output'."));
        if (matched) {
            outputGiven = true;
            continue;
        }
        if (argument == QLatin1String("--list-sites")) {
            ++forms;
            line.Action = caListSites;
            continue;
        }
        if (argument == QLatin1String("--info-url")) {
            if (i + 4 >= arguments.size())
                return fail(QStringLiteral(
                    "'--info-url' needs four values: SITE COUNTRY SYMBOL EXCHANGE."));
            line.InfoArguments = arguments.mid(i + 1, 4);
            i += 4;
            ++forms;
            line.Action = caInfoUrl;
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
        return fail(QStringLiteral("Unknown option '%1'.").arg(argument));
    }
    if (forms > 1)
        return fail(
            QStringLiteral("Give only one of '--search', '--list-sites' and '--info-url'."));
    if ((dateGiven || outputGiven) && line.Action != caSearch)
        return fail(QStringLiteral("'--date' and '--output' go with '--search' only."));
    if (line.Headless() && !line.Files.isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.").arg(line.Files.constFirst()));
    if (dateGiven) {
        QString error;
        const std::optional<QDate> date = ParseTradeDate(dateText, error);
        if (!date)
            return fail(error);
        line.TradeDate = *date;
    }
    return line;
}

QString TCommandLine::UsageText() {
    return QStringLiteral(
        "Usage: quillbrook [--settings PATH] [FILTER.qbk]\n"
        "       quillbrook [--settings PATH] --search FILTER.qbk [--date YYYY-MM-DD]\n"
        "                  [--output PATH]\n"
        "       quillbrook [--settings PATH] --list-sites\n"
        "       quillbrook [--settings PATH] --info-url SITE COUNTRY SYMBOL EXCHANGE\n"
        "       quillbrook --help | --version\n"
        "\n"
        "Without options the window starts; FILTER.qbk is a filter file to open.\n"
        "\n"
        "Options:\n"
        "  --settings PATH  use PATH as the settings file instead of the\n"
        "                   executable's path with \".ini\"\n"
        "  --search FILE    run the filter of FILE without a window and write the\n"
        "                   results as CSV text, or as a workbook when the output\n"
        "                   ends in \".xls\"\n"
        "  --date DATE      trade date of the search (default: today)\n"
        "  --output PATH    write the results to PATH instead of standard output\n"
        "  --list-sites     print the information sites of the service\n"
        "  --info-url SITE COUNTRY SYMBOL EXCHANGE\n"
        "                   print the information address of a stock\n"
        "  -h, --help       show this text and exit\n"
        "  -v, --version    show the version and exit\n"
        "\n"
        "Exit status of the forms without a window: 0 done, 1 no stock matched,\n"
        "2 wrong command line, 3 filter refused, 4 service failed, 5 file error.\n");
}
