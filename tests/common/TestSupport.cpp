#include "common/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

namespace testsupport {

bool waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return done();
        QTest::qWait(10);
    }
    return true;
}

void processEventsFor(int ms)
{
    QTest::qWait(ms);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QString fixture(const QString &relative)
{
    QString root = qEnvironmentVariable("BRIVO_FIXTURES_DIR");
#ifdef BRIVO_FIXTURES_DIR
    if (root.isEmpty())
        root = QStringLiteral(BRIVO_FIXTURES_DIR);
#endif
    return QDir::cleanPath(root + QLatin1Char('/') + relative);
}

bool sharedFixturesPresent()
{
    return QFileInfo(fixture(QString())).isDir();
}

QString ownFixture(const QString &relative)
{
    return QDir::cleanPath(QStringLiteral(BRIVO_SOURCE_DIR "/tests/fixtures/") + relative);
}

} // namespace testsupport
