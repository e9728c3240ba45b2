#include "HeadlessFixture.h"

#include "filter/TChoicePanel.h"
#include "filter/TFilterFm.h"
#include "filter/TFilterObject.h"
#include "filter/TRangePanel.h"
#include "service/DemoData.h"
#include "service/ReferenceService.h"

#include <QFile>
#include <QProcess>
#include <QWidget>

#include <filesystem>
#include <unistd.h>

namespace {

std::unique_ptr<TReferenceService>& Service() {
    static std::unique_ptr<TReferenceService> service;
    return service;
}

const std::string& DatabasePath() {
    static const std::string path = [] {
        const std::string target = std::string(QB_BINARY_DIR) + "/tests/cli/demo-120.sqlite";
        if (!std::filesystem::exists(target)) {
            const std::string scratch = target + ".tmp" + std::to_string(::getpid());
            TDemoDataOptions options;
            options.StockCount = 120;
            options.LastDay = QDate(2026, 6, 30);
            CreateDemoDatabase(scratch, options);
            std::filesystem::rename(scratch, target);
        }
        return target;
    }();
    return path;
}

TServiceOptions BaseOptions() {
    TServiceOptions options;
    options.DatabasePath = DatabasePath();
    options.Accounts = {{"demo", "demo"}};
    options.LogCalls = false;
    return options;
}

TFilterValuePanel& Panel(TFilterFm& editor, const char* column) {
    TFilterValuePanel* panel = editor.FindPanel(column);
    if (!panel)
        throw std::runtime_error(std::string("no panel ") + column);
    return *panel;
}

void SetUsage(TFilterValuePanel& panel, TFilterUsage usage) {
    panel.SetUsage(usage);
    panel.UsageGroupClick();
}

} // namespace

void HeadlessFixture::SetUpTestSuite() {
    RestartService(nullptr);
}

void HeadlessFixture::TearDownTestSuite() {
    Service().reset();
}

void HeadlessFixture::SetUp() {
    ASSERT_TRUE(FDir.isValid());
}

std::uint16_t HeadlessFixture::Port() {
    return Service()->Port();
}

void HeadlessFixture::RestartService(const std::function<void(TServiceOptions&)>& change) {
    Service().reset();
    TServiceOptions options = BaseOptions();
    if (change)
        change(options);
    Service() = std::make_unique<TReferenceService>(options);
    Service()->Start();
}

QString HeadlessFixture::Settings(const QString& password, int port) {
    const QString path = Path(QStringLiteral("settings-%1-%2.ini").arg(password).arg(port));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("[Server]\r\nServerHost=127.0.0.1\r\nServerPort=%1\r\n"
                              "[Account]\r\nUserName=demo\r\nPassword=%2\r\n")
                   .arg(port < 0 ? int(Port()) : port)
                   .arg(password)
                   .toLatin1());
    return path;
}

QString HeadlessFixture::FilterFile(const QString& name,
                                    const std::function<void(TFilterFm&)>& edit) {
    TFilterObject document(nullptr, {});
    if (edit)
        edit(*document.FilterFm());
    const QString path = Path(name);
    document.SaveToFile(path);
    return path;
}

TRun HeadlessFixture::Run(const QStringList& arguments, const QString& settings,
                          const QString& stdoutFile) {
    QProcess process;
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // As under a scheduler: no display, no platform chosen.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    QStringList all;
    if (!settings.isEmpty())
        all << QStringLiteral("--settings") << settings;
    all << arguments;
    process.start(QStringLiteral(QB_BINARY_DIR "/src/app/quillbrook"), all);
    TRun run;
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << "quillbrook did not finish";
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = process.readAllStandardOutput();
    run.Err = process.readAllStandardError();
    return run;
}

void UseRange(TFilterFm& editor, const char* column, double min, double max) {
    auto& panel = dynamic_cast<TRangePanel&>(Panel(editor, column));
    SetUsage(panel, fuUseFilter);
    panel.SetMinimum(min);
    panel.SetMaximum(max);
}

void DisplayOnly(TFilterFm& editor, const char* column) {
    SetUsage(Panel(editor, column), fuDisplayOnly);
}

void UseChoice(TFilterFm& editor, const char* column, const std::vector<int>& selected) {
    auto& panel = dynamic_cast<TChoicePanel&>(Panel(editor, column));
    SetUsage(panel, fuUseFilter);
    for (int index : selected)
        panel.SetSelected(index, true);
}
