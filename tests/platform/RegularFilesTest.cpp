// Names handed in from outside are read only when they are regular files, and never waited on.
#include "platform/RegularFiles.h"

#include "common/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using regularfiles::Outcome;

TEST(RegularFiles, ReadsAFileUpToItsLimitAndRefusesEverythingElseWithItsReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("plain.txt"));
    testsupport::writeBytes(file, "0123456789");
    QByteArray bytes;
    EXPECT_TRUE(regularfiles::read(file, 100, bytes));
    EXPECT_EQ(bytes, QByteArray("0123456789"));
    EXPECT_TRUE(regularfiles::read(file, 4, bytes));
    EXPECT_EQ(bytes, QByteArray("01234")) << "one byte past the limit tells the caller it is too large";
    // a link to a file is the file
    ASSERT_TRUE(QFile::link(file, dir.filePath(QStringLiteral("link"))));
    QFile opened;
    ASSERT_TRUE(regularfiles::open(dir.filePath(QStringLiteral("link")), opened));
    EXPECT_EQ(opened.readAll(), QByteArray("0123456789"));

    const testsupport::WatchedFifo fifo(dir.filePath(QStringLiteral("pipe")));
    ASSERT_TRUE(fifo.made());
    const struct {
        QString path;
        Outcome::Kind kind;
        const char *word;
    } refused[] = {
        {dir.filePath(QStringLiteral("missing")), Outcome::Missing, "does not exist"},
        {dir.filePath(QStringLiteral("missing/below")), Outcome::Missing, "does not exist"},
        {QString(), Outcome::Missing, "no file"},
        {dir.path(), Outcome::NotAFile, "directory"},
        {dir.filePath(QStringLiteral("pipe")), Outcome::NotAFile, "pipe"},
        {QStringLiteral("/dev/zero"), Outcome::NotAFile, "device"},
    };
    for (const auto &r : refused) {
        for (const Outcome &o : {regularfiles::check(r.path), regularfiles::read(r.path, 100, bytes)}) {
            EXPECT_EQ(o.kind, r.kind) << r.path.toStdString();
            EXPECT_TRUE(o.reason.contains(QLatin1String(r.word))) << o.reason.toStdString();
        }
        EXPECT_TRUE(bytes.isEmpty());
        QFile none;
        EXPECT_FALSE(regularfiles::open(r.path, none));
        EXPECT_FALSE(none.isOpen());
    }
    EXPECT_FALSE(fifo.opened()) << "the pipe was opened";
}

} // namespace
