// The smallest browser on the same web engine, for side-by-side runs of the whole-process
// benchmarks: one window with an address line above its page views, nothing else. Several pages
// open in tabs, as tabbed browsers keep them: only the page of the current tab is shown, the others
// are hidden (and the engine is told so). Its profile is made as the program's own is (named,
// persistent storage and cache under the data folder, cookies kept, disk cache), so the two differ
// only by what the program adds around the pages.
//
//   reference_browser [--maximized] [url...]
//   one page view per address (the first in front; the tab row shows only with two or more); the
//   address line has the focus once the window is shown; --maximized shows the window maximised
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QStandardPaths>
#include <QTabWidget>
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

    QStringList urls = QCoreApplication::arguments().mid(1);
    const bool maximized = urls.removeAll(QStringLiteral("--maximized")) > 0;

    QMainWindow window;
    auto *central = new QWidget(&window);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *address = new QLineEdit(central);
    auto *tabs = new QTabWidget(central);
    tabs->setTabBarAutoHide(true);
    tabs->setDocumentMode(true);
    const auto addView = [&] {
        auto *view = new QWebEngineView(tabs);
        // the page goes with the view, before the profile, which the application object deletes last
        view->setPage(new QWebEnginePage(profile, view));
        QObject::connect(view, &QWebEngineView::urlChanged, address, [address, tabs, view](const QUrl &url) {
            if (tabs->currentWidget() == view)
                address->setText(url.toString());
        });
        QObject::connect(view, &QWebEngineView::titleChanged, tabs,
                         [tabs, view](const QString &title) { tabs->setTabText(tabs->indexOf(view), title); });
        tabs->addTab(view, QString());
        return view;
    };
    column->addWidget(address);
    column->addWidget(tabs, 1);
    window.setCentralWidget(central);
    window.resize(1024, 700);

    QObject::connect(address, &QLineEdit::returnPressed, tabs, [address, tabs] {
        if (auto *view = qobject_cast<QWebEngineView *>(tabs->currentWidget()))
            view->load(QUrl::fromUserInput(address->text()));
    });
    QObject::connect(tabs, &QTabWidget::currentChanged, address, [address, tabs] {
        if (auto *view = qobject_cast<QWebEngineView *>(tabs->currentWidget()))
            address->setText(view->url().toString());
    });

    if (urls.isEmpty())
        addView();
    for (const QString &url : std::as_const(urls))
        addView()->load(QUrl::fromUserInput(url));
    if (!urls.isEmpty())
        address->setText(urls.first());
    if (maximized)
        window.showMaximized();
    else
        window.show();
    address->setFocus();
    return app.exec();
}
