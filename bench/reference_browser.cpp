// The smallest browser on the same web engine, for side-by-side runs of the whole-process
// benchmarks: one window with an address line above one page view, nothing else. Its profile is
// made as the program's own is (named, persistent storage and cache under the data folder, cookies
// kept, disk cache), so the two differ only by what the program adds around the page.
//
//   reference_browser [url]      the address line has the focus once the window is shown
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char **argv)
{
    // the engine cannot start its sandbox as root; the program decides the same way
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("reference_browser"));

    auto *profile = new QWebEngineProfile(QStringLiteral("Reference"), &app);
    const QString base =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/webengine");
    QDir().mkpath(base);
    profile->setPersistentStoragePath(base + QStringLiteral("/storage"));
    profile->setCachePath(base + QStringLiteral("/cache"));
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);

    QMainWindow window;
    auto *central = new QWidget(&window);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *address = new QLineEdit(central);
    auto *view = new QWebEngineView(central);
    // the page goes with the window, before the profile, which the application object deletes last
    auto *page = new QWebEnginePage(profile, view);
    view->setPage(page);
    column->addWidget(address);
    column->addWidget(view, 1);
    window.setCentralWidget(central);
    window.resize(1024, 700);

    QObject::connect(address, &QLineEdit::returnPressed, view,
                     [address, view] { view->load(QUrl::fromUserInput(address->text())); });
    QObject::connect(view, &QWebEngineView::urlChanged, address,
                     [address](const QUrl &url) { address->setText(url.toString()); });

    window.show();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) {
        address->setText(args.at(1));
        view->load(QUrl::fromUserInput(args.at(1)));
    }
    address->setFocus();
    return app.exec();
}
