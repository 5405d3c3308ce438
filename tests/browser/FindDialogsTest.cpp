// The find dialog inside a window whose own commands take keys, as the main window's Stop takes Esc.
#include "browser/FindDialogs.h"

#include "browser/IEBrowsers.h"
#include "common/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using testsupport::waitUntil;

TEST(FindDialogTest, EscClosesTheDialogAndLeavesTheWindowsEscCommandAlone)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *browser = new TIEBrowser(&window);
    layout->addWidget(browser);
    // the main window's Stop: Esc anywhere in the window
    int stops = 0;
    auto *stop = new QAction(&window);
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    QObject::connect(stop, &QAction::triggered, [&] { ++stops; });
    window.addAction(stop);
    window.resize(400, 300);
    window.show();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile page(dir.filePath(QStringLiteral("find.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<body>word word</body>");
    page.close();
    browser->Navigate(QUrl::fromLocalFile(page.fileName()).toString());
    ASSERT_TRUE(waitUntil([&] { return browser->HasDocument() && !browser->Busy(); }, 20000))
        << "the page did not load";

    browser->Find();
    TFindDialog *find = browser->FindDialog();
    ASSERT_NE(find, nullptr);
    ASSERT_TRUE(find->isVisible());
    QApplication::setActiveWindow(find);
    find->textEdit()->setFocus();
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == find->textEdit(); }))
        << "the dialog's text box never took the focus";

    QTest::keyClick(find->textEdit(), Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible()) << "Esc did not close the find dialog";
    EXPECT_EQ(stops, 0) << "Esc in the find dialog ran the window's own Esc command";

    // with the dialog gone, Esc is the window's again
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &window; })) << "the window never got active";
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(stops, 1);
}
