// The object properties dialog of the notes: the size line is written in the dialog's own language
// from the smallest file to the largest, never half in the system's; the caption is never cut.
#include "notes/OleUIObjInfo.h"

#include "NotesTestSupport.h"
#include "notes/MMRxRichEdit.h"
#include "notes/RichEditObjects.h"

#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The size line the dialog shows for an embedded file of that many bytes.
QString sizeShownFor(qint64 bytes)
{
    QTemporaryDir dir;
    EXPECT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("f.txt"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
    f.close();
    TMMRxRichEdit edit;
    edit.InsertObject(richedit::FileObject(path, false));
    QString shown;
    notestest::DialogAnswers answers([&](QDialog &d) {
        if (auto *size = d.findChild<QLabel *>(QStringLiteral("size")))
            shown = size->text();
        return int(QDialog::Rejected);
    });
    edit.SetSelection(0, 1, false);
    edit.ObjectPropertiesDialog();
    return shown;
}

} // namespace

TEST(ObjectPropertiesDialog, TheSizeIsWrittenInTheDialogsLanguage)
{
    EXPECT_EQ(sizeShownFor(28), QStringLiteral("28 バイト"));
    EXPECT_EQ(sizeShownFor(1023), QStringLiteral("1,023 バイト"));
    EXPECT_EQ(sizeShownFor(2048), QStringLiteral("2.00 KB (2,048 バイト)"));
    EXPECT_EQ(sizeShownFor(5 * 1024 * 1024 + 512 * 1024), QStringLiteral("5.50 MB (5,767,168 バイト)"));
}

TEST(ObjectPropertiesDialog, IsWideEnoughForItsWholeCaption)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a");
    f.close();
    TMMRxRichEdit edit;
    edit.InsertObject(richedit::FileObject(path, false));
    int width = 0;
    int needed = 0;
    QString caption;
    notestest::DialogAnswers answers([&](QDialog &d) {
        d.adjustSize();
        width = d.width();
        caption = d.windowTitle();
        QFont bold = d.font();
        bold.setBold(true);
        // the caption and the title bar's icon and three buttons
        needed = QFontMetrics(bold).horizontalAdvance(caption) + 4 * QFontMetrics(bold).height();
        return int(QDialog::Rejected);
    });
    edit.SetSelection(0, 1, false);
    edit.ObjectPropertiesDialog();
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_GE(width, needed) << caption.toStdString();
}
