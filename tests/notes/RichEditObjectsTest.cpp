// Objects in notes: files dropped as URI lists become embedded or linked file objects that survive a
// save and a load; objects of other programs are written back byte for byte; undo keeps an object's
// bytes; oversized files are refused with a message; decoded pictures stay bounded.
#include "notes/RichEditObjects.h"

#include "NotesTestSupport.h"
#include "RtfTestSupport.h"
#include "notes/MMRxRichEdit.h"
#include "notes/RtfPicture.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace richedit;

namespace {

class DroppableRichEdit : public TMMRxRichEdit {
public:
    using TMMRxCustomRichEdit::dropEvent;
};

class RichEditObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        edit = std::make_unique<DroppableRichEdit>();
        edit->resize(420, 260);
        edit->show();
        QApplication::processEvents();
    }
    void TearDown() override { edit.reset(); }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    void dropFiles(DroppableRichEdit &target, const QStringList &paths, Qt::DropAction action = Qt::CopyAction)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls.append(QUrl::fromLocalFile(p));
        data.setUrls(urls);
        QDropEvent drop(QPointF(5, 5), action, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setDropAction(action);
        target.dropEvent(&drop);
    }
    // The objects of the control in document order.
    static QList<TRichObject> objectsOf(TMMRxCustomRichEdit &e)
    {
        QList<TRichObject> list;
        const QString text = e.document()->toRawText();
        for (int i = 0; i < text.size(); ++i) {
            if (text[i] == QChar(ObjectChar))
                list.append(e.ObjectAt(i));
        }
        return list;
    }
    QByteArray save(TMMRxCustomRichEdit &e)
    {
        QBuffer b;
        b.open(QIODevice::WriteOnly);
        e.Lines().SaveToStream(b);
        return b.data();
    }
    void load(TMMRxCustomRichEdit &e, const QByteArray &rtf)
    {
        QByteArray copy = rtf;
        QBuffer b(&copy);
        b.open(QIODevice::ReadOnly);
        e.Lines().LoadFromStream(b);
    }

    notestest::RtfCodecInstalled codec;
    QTemporaryDir dir;
    std::unique_ptr<DroppableRichEdit> edit;
};

QByteArray someBytes(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

} // namespace

TEST_F(RichEditObjects, DroppedFilesAreEmbeddedOrLinkedAndSurviveSaveAndLoad)
{
    const QByteArray bytes = someBytes(5000);
    const QString path = writeFile(QStringLiteral("report data.bin"), bytes);
    dropFiles(*edit, {path}, Qt::LinkAction);
    dropFiles(*edit, {path}); // where the first landed: before it
    QList<TRichObject> objects = objectsOf(*edit);
    ASSERT_EQ(objects.size(), 2);
    EXPECT_EQ(objects[0].ObjectKind, TRichObject::EmbeddedFile);
    EXPECT_EQ(objects[0].Data, bytes);
    EXPECT_EQ(objects[0].FileName, QStringLiteral("report data.bin"));
    EXPECT_TRUE(objects[0].DisplayAsIcon);
    EXPECT_FALSE(objects[0].Image.isNull()); // its icon and name
    EXPECT_EQ(objects[1].ObjectKind, TRichObject::LinkedFile);
    EXPECT_EQ(objects[1].FileName, QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(objects[1].Data.isEmpty());

    const QByteArray rtf = save(*edit);
    EXPECT_TRUE(rtf.contains("{\\object\\objemb{\\*\\objclass Brivo.File}"));
    EXPECT_TRUE(rtf.contains("{\\result {\\pict\\pngblip"));

    DroppableRichEdit reopened;
    load(reopened, rtf);
    const QList<TRichObject> back = objectsOf(reopened);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].ObjectKind, TRichObject::EmbeddedFile);
    EXPECT_EQ(back[0].Data, bytes);
    EXPECT_EQ(back[0].FileName, objects[0].FileName);
    EXPECT_EQ(back[0].FileType, objects[0].FileType);
    EXPECT_EQ(back[0].Image.size(), objects[0].Image.size());
    EXPECT_EQ(back[1].ObjectKind, TRichObject::LinkedFile);
    EXPECT_EQ(back[1].FileName, objects[1].FileName);
    // written again, the same bytes
    EXPECT_EQ(save(reopened), rtf);
}

TEST_F(RichEditObjects, APictureFileDropsAsItsContentAndAnOversizedFileIsRefusedWithAMessage)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QString picture = dir.filePath(QStringLiteral("p.png"));
    ASSERT_TRUE(image.save(picture));
    const QString big = dir.filePath(QStringLiteral("huge.iso"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(MaxEmbeddedFileSize + 1)); // sparse: nothing is written
    }
    notestest::MessageBoxAnswers boxes;
    dropFiles(*edit, {big, picture});
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_TRUE(boxes.Texts[0].contains(QStringLiteral("huge.iso")));
    const QList<TRichObject> objects = objectsOf(*edit);
    ASSERT_EQ(objects.size(), 1);
    EXPECT_EQ(objects[0].ObjectKind, TRichObject::Picture);
    EXPECT_EQ(objects[0].Image.size(), QSize(20, 10));

    // a picture file linked shows its picture, not its icon
    dropFiles(*edit, {picture}, Qt::LinkAction);
    const QList<TRichObject> after = objectsOf(*edit);
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[0].ObjectKind, TRichObject::LinkedFile);
    EXPECT_FALSE(after[0].DisplayAsIcon);
    EXPECT_EQ(after[0].Image.pixel(3, 3), qRgb(0, 255, 0));
}

TEST_F(RichEditObjects, UndoAndRedoOfAnInsertionAndADeletionKeepTheBytes)
{
    const QByteArray bytes = someBytes(3000);
    edit->SetSelText(QStringLiteral("ab"));
    edit->SetSelStart(1);
    dropFiles(*edit, {writeFile(QStringLiteral("x.dat"), bytes)});
    ASSERT_EQ(objectsOf(*edit).size(), 1);
    edit->Undo();
    EXPECT_TRUE(objectsOf(*edit).isEmpty());
    edit->Redo();
    ASSERT_EQ(objectsOf(*edit).size(), 1);
    EXPECT_EQ(objectsOf(*edit)[0].Data, bytes);

    edit->SetSelection(1, 2, false);
    edit->ClearSelection();
    EXPECT_EQ(edit->TextLength(), 2);
    edit->Undo();
    ASSERT_EQ(objectsOf(*edit).size(), 1);
    EXPECT_EQ(objectsOf(*edit)[0].Data, bytes);
    EXPECT_EQ(objectsOf(*edit)[0].FileName, QStringLiteral("x.dat"));
}

TEST_F(RichEditObjects, ForeignObjectsAreWrittenBackByteForByteAndANestedOneHidesNothingAfterIt)
{
    const QByteArray foreign = "{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw300\\objh200{\\*\\objdata "
                               "0102abcd}{\\result{\\pict\\pngblip\\picw1\\pich1 " +
                               rtf::PngBytes(QImage(1, 1, QImage::Format_RGB32)).toHex() + "}}}";
    // malformed objects: one inside another, a picture and a result outside a result group; then a
    // good one
    const QByteArray nested = "{\\object{\\*\\objclass A}\\object{\\*\\objclass B}\\objdata 00}"
                              "{\\object\\pict\\pngblip ff}{\\object\\result x}";
    const QByteArray doc = "{\\rtf1\\ansi one " + nested + " two " + foreign + " three\\par}";
    load(*edit, doc);
    EXPECT_TRUE(edit->Text().contains(QStringLiteral("three")));
    const QList<TRichObject> objects = objectsOf(*edit);
    ASSERT_FALSE(objects.isEmpty());
    const TRichObject last = objects.back();
    EXPECT_EQ(last.ObjectKind, TRichObject::Object);
    EXPECT_EQ(last.Data, foreign);
    EXPECT_EQ(ObjectTypeName(last), QStringLiteral("Paint.Picture"));
    EXPECT_TRUE(save(*edit).contains(foreign));
}

TEST_F(RichEditObjects, DecodedPicturesStayBoundedAndAreDecodedOnlyWhenAsked)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    {
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        image.save(&b, "PNG");
    }
    QByteArray rtf = "{\\rtf1\\ansi ";
    const int count = DecodedCacheCount + 20;
    for (int i = 0; i < count; ++i)
        rtf += "{\\pict\\pngblip\\picw400\\pich300 " + png.toHex() + "}";
    rtf += "\\par}";
    load(*edit, rtf);
    ASSERT_EQ(objectsOf(*edit).size(), count); // decodes each once more through the cache
    const int before = DecodedPictureCount();
    EXPECT_LE(DecodedCacheUse(), DecodedCacheBytes);
    // the most recent ones are still decoded; the first ones come back decoded again on demand
    EXPECT_EQ(edit->ObjectAt(count - 1).Image.size(), QSize(400, 300));
    EXPECT_EQ(DecodedPictureCount(), before);
    EXPECT_EQ(edit->ObjectAt(0).Image.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(DecodedPictureCount(), before + 1);
    EXPECT_EQ(edit->ObjectAt(0).Data, png); // the encoded bytes are what is kept
}
