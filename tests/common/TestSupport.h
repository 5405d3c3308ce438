#pragma once
// Small helpers shared by the test executables.
#include <QByteArray>
#include <QString>
#include <functional>

namespace testsupport {

// Runs the event loop until done() answers true or ms milliseconds have passed; answers done()'s
// last answer. The caller asserts it with a message giving the state found:
// ASSERT_TRUE(waitUntil(...)) << "what was awaited, and what there is". scripts/test refuses a
// dropped answer, and so does the compiler (unused-result is an error in the tests).
[[nodiscard]] bool waitUntil(const std::function<bool()> &done, int ms = 5000);
// Runs the event loop for ms milliseconds (to let events that should not come have their chance).
void processEventsFor(int ms);

// Whole contents of a file, or an empty array when it cannot be read.
QByteArray readBytes(const QString &path);
// Writes the bytes to the file, creating its folder; fails the calling test on error.
void writeBytes(const QString &path, const QByteArray &bytes);
// Path of a file under the shared fixtures folder (../shared/fixtures beside the source tree, or
// $BRIVO_FIXTURES_DIR): files written by other programs, which a clone may lack. A test that reads
// them starts with SKIP_WITHOUT_SHARED_FIXTURES().
QString fixture(const QString &relative);
bool sharedFixturesPresent();
// Path of a file under the project's own fixtures (tests/fixtures), always there.
QString ownFixture(const QString &relative);

// A named pipe (FIFO) made with mkfifo whose readers are watched: code that opens it for reading is
// noticed and let go at once (a writer opens the pipe and closes it again, so the reader's open and
// read end), so a test of code that must never wait on a pipe ends either way and can tell which.
class WatchedFifo {
public:
    explicit WatchedFifo(const QString &path);
    ~WatchedFifo();
    WatchedFifo(const WatchedFifo &) = delete;
    WatchedFifo &operator=(const WatchedFifo &) = delete;
    // False when the pipe could not be made (the test asserts it).
    bool made() const { return m_made; }
    // True once something opened the pipe for reading.
    bool opened() const;

private:
    struct Watch;
    bool m_made = false;
    Watch *m_watch = nullptr;
};

} // namespace testsupport

// Skips the calling test, saying why, when the shared fixtures folder is absent.
#define SKIP_WITHOUT_SHARED_FIXTURES()                                                                                 \
    do {                                                                                                               \
        if (!testsupport::sharedFixturesPresent())                                                                     \
            GTEST_SKIP() << "the shared fixtures folder " << testsupport::fixture(QString()).toStdString()             \
                         << " is absent; the files in tests/fixtures cover the same readers";                          \
    } while (false)

#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "{";
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l.at(i).toStdString() << '"';
    *os << "}";
}

namespace testsupport {

// Runs the event loop until value() equals expected or ms milliseconds have passed; a failure
// names the value last seen and the one expected. ASSERT_TRUE(waitForEqual(...)).
template <typename Get, typename T>
[[nodiscard]] ::testing::AssertionResult waitForEqual(Get value, const T &expected, int ms = 5000)
{
    if (waitUntil([&] { return value() == expected; }, ms))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "after " << ms << " ms the value is " << ::testing::PrintToString(value())
                                         << ", expected " << ::testing::PrintToString(expected);
}

} // namespace testsupport
