#include "common/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

struct WatchedFifo::Watch {
    std::atomic<bool> stop{false};
    std::atomic<bool> opened{false};
    std::thread watcher;
};

WatchedFifo::WatchedFifo(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    m_made = ::mkfifo(name.constData(), 0600) == 0;
    if (!m_made)
        return;
    m_watch = new Watch;
    m_watch->watcher = std::thread([name, watch = m_watch] {
        // a writer's open that does not wait succeeds only while a reader has the pipe open or is
        // opening it; it wakes that reader, and its close ends the reader's reads
        while (!watch->stop) {
            const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                watch->opened = true;
                ::close(fd);
            }
            ::usleep(2000);
        }
    });
}

WatchedFifo::~WatchedFifo()
{
    if (!m_watch)
        return;
    m_watch->stop = true;
    m_watch->watcher.join();
    delete m_watch;
}

bool WatchedFifo::opened() const
{
    return m_watch && m_watch->opened;
}

} // namespace testsupport
