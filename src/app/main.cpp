// Quillbrook: start-up.
#include "app/CommandLine.h"
#include "app/HeadlessRunner.h"
#include "app/QuillbrookApplication.h"
#include "app/QuillbrookForm.h"
#include "app/SettingsLocation.h"
#include "support/AppEnvironment.h"
#include "support/ui/AboutDialog.h"
#include "support/ui/ApplicationException.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const TCommandLine line = TCommandLine::Parse(arguments);
    // --settings, else the portable file beside the program, else the user's own.
    if (line.Action == TCommandLine::caRun || line.Headless())
        qb::SetSettingsFilePath(qb::LocateSettingsFile(line.SettingsFile));
    switch (line.Action) {
    case TCommandLine::caError:
        std::fprintf(stderr, "quillbrook: %s\n\n%s", qPrintable(line.ErrorText),
                     qPrintable(TCommandLine::UsageText()));
        return 2;
    case TCommandLine::caHelp:
        std::fputs(qPrintable(TCommandLine::UsageText()), stdout);
        return 0;
    case TCommandLine::caVersion:
        std::printf("%s %s\n", QuillbrookTitle, QuillbrookVersion);
        return 0;
    case TCommandLine::caSearch:
    case TCommandLine::caListSites:
    case TCommandLine::caInfoUrl:
        return RunHeadless(line, argc, argv);
    case TCommandLine::caRun:
        break;
    }

    TQuillbrookApplication app(argc, argv);
    if (!line.SettingsFile.isEmpty())
        qb::SetSettingsFilePath(line.SettingsFile);

    TAboutDialog splash;
    SetUpQuillbrookAbout(splash);
    splash.ShowSplash();

    std::unique_ptr<TQuillbrookForm> form;
    try {
        form = std::make_unique<TQuillbrookForm>(line.Files);
    } catch (...) {
        splash.HideSplash();
        ApplicationException(std::current_exception());
        return 1;
    }
    form->show();
    splash.HideSplash();
    return app.exec();
}
