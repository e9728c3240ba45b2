// Every program of these tests writes its desktop registration and settings
// into a temporary folder, never into the user's.
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

struct TAppTestEnvironment {
    TAppTestEnvironment() {
        if (!Home.isValid())
            std::abort();
        qputenv("XDG_DATA_HOME", QDir(Home.path()).filePath("xdg-data").toLocal8Bit());
    }
    QTemporaryDir Home;
};

const TAppTestEnvironment Environment;

} // namespace
