// Objects in notes: files dropped as URI lists become embedded or linked file objects that survive a
// save and a load; objects of other programs are written back byte for byte; undo keeps an object's
// bytes; oversized files are refused with a message; decoded pictures stay bounded.
#include "notes/RichEditObjects.h"

#include "NotesTestSupport.h"
#include "RtfTestSupport.h"
#include "notes/MMRxRichEdit.h"
#include "notes/OleUIObjInfo.h"
#include "notes/RtfPicture.h"
#include "platform/ApplicationTitle.h"
#include "platform/PlatformError.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <atomic>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>

using namespace richedit;

// The opens of one watched path, in this process: those that could wait (a pipe's reader waits for a
// writer unless it opens without waiting) are counted. These functions stand in front of the C
// library's own for every open of the test program, Qt's file opens too, and pass each on unchanged.
namespace openwatch {
char g_path[4096];
std::atomic<bool> g_watching{false};
std::atomic<int> g_waitingOpens{0};

void note(const char *path, int flags)
{
    if (g_watching && path && !(flags & O_NONBLOCK) && std::strcmp(path, g_path) == 0)
        ++g_waitingOpens;
}

// Watches path for the scope's time.
struct Scope {
    explicit Scope(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        std::strncpy(g_path, name.constData(), sizeof g_path - 1);
        g_waitingOpens = 0;
        g_watching = true;
    }
    ~Scope() { g_watching = false; }
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
    int waitingOpens() const { return g_waitingOpens; }
};

template <typename Open> int forward(const char *symbol, const char *path, int flags, va_list args)
{
    static const auto real = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, symbol));
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(args, int)) : 0;
    note(path, flags);
    return real(path, flags, mode);
}
} // namespace openwatch

extern "C" int open(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const int fd = openwatch::forward<int (*)(const char *, int, ...)>("open", path, flags, args);
    va_end(args);
    return fd;
}

extern "C" int open64(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const int fd = openwatch::forward<int (*)(const char *, int, ...)>("open64", path, flags, args);
    va_end(args);
    return fd;
}

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
    void TearDown() override
    {
        edit.reset();
        EXPECT_TRUE(unexpectedBoxes.Texts.isEmpty()) << unexpectedBoxes.Texts.join(u'|').toStdString();
    }

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
    notestest::MessageBoxAnswers unexpectedBoxes; // a box no test case answers fails it, never waits
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

TEST_F(RichEditObjects, APipeHandedInIsRefusedWithItsReasonAndNeverOpened)
{
    const QString pipe = dir.filePath(QStringLiteral("feed"));
    const testsupport::WatchedFifo fifo(pipe);
    ASSERT_TRUE(fifo.made());
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        notestest::MessageBoxAnswers boxes;
        dropFiles(*edit, {pipe}, action);
        ASSERT_EQ(boxes.Texts.size(), 1) << "dropped as " << int(action);
        EXPECT_TRUE(boxes.Texts[0].contains(QStringLiteral("feed: ")) &&
                    boxes.Texts[0].contains(QStringLiteral("pipe")))
            << boxes.Texts[0].toStdString();
    }
    EXPECT_TRUE(edit->document()->toRawText().isEmpty()) << "nothing came in, not even the name";
    // a stored link to it is drawn as its card
    TRichObject link;
    link.ObjectKind = TRichObject::LinkedFile;
    link.FileName = pipe;
    RefreshFileObject(link);
    EXPECT_FALSE(link.Image.isNull());
    // nor is a note opened from it
    try {
        edit->Lines().LoadFromFile(pipe);
        ADD_FAILURE() << "a pipe opened as a note";
    } catch (const PlatformError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("pipe"))) << e.message().toStdString();
    }
    EXPECT_FALSE(fifo.opened()) << "the pipe was opened, so the window waited for a writer";
}

// A file handed in is looked at and read only through a handle opened without waiting: opened again
// by its name, a pipe put in its place in the meantime would hold the window until something wrote
// to it. Its kind is told from its content through that handle too.
TEST_F(RichEditObjects, AFileHandedInIsOpenedOnlyWithoutWaiting)
{
    // no extension, so its kind is told from its content
    const QString path = writeFile(QStringLiteral("object"), "#!/bin/sh\necho hi\n");
    {
        const openwatch::Scope watch(path);
        dropFiles(*edit, {path});
        dropFiles(*edit, {path}, Qt::LinkAction);
        EXPECT_TRUE(WouldExecute(path, QString())) << "a script is known by its content";
        EXPECT_EQ(watch.waitingOpens(), 0) << "the file was opened by its name in a way that waits";
    }
    const QList<TRichObject> objects = objectsOf(*edit);
    ASSERT_EQ(objects.size(), 2);
    EXPECT_EQ(objects[0].FileType, QStringLiteral("application/x-shellscript"));
    EXPECT_EQ(objects[1].FileType, QStringLiteral("application/x-shellscript"));
    EXPECT_EQ(objects[0].ObjectKind == TRichObject::EmbeddedFile ? objects[0].Data : objects[1].Data,
              QByteArray("#!/bin/sh\necho hi\n"));
    // the watch sees opens that could wait
    {
        const openwatch::Scope watch(path);
        QFile plain(path);
        ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
        EXPECT_EQ(watch.waitingOpens(), 1);
    }
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

// ---- the container: menus, verbs, properties ----

namespace {

struct MenuShape {
    QStringList Entries; // captions; "-" a separator, ">Title" a submenu
    QStringList Verbs;
    QString DefaultVerb;
};

MenuShape shapeOf(QMenu *menu)
{
    MenuShape s;
    if (!menu)
        return s;
    for (QAction *a : menu->actions()) {
        if (a->isSeparator())
            s.Entries.append(QStringLiteral("-"));
        else if (a->menu()) {
            s.Entries.append(u'>' + a->menu()->title());
            for (QAction *v : a->menu()->actions())
                s.Verbs.append(v->text());
            if (a->menu()->defaultAction())
                s.DefaultVerb = a->menu()->defaultAction()->text();
        } else
            s.Entries.append(a->text());
    }
    if (menu->defaultAction())
        s.DefaultVerb = menu->defaultAction()->text();
    return s;
}

} // namespace

TEST_F(RichEditObjects, TheContextMenuOffersTheVerbsWithThePrimaryOneAsDefaultAndTheProperties)
{
    const QString path = writeFile(QStringLiteral("data.bin"), someBytes(100));
    dropFiles(*edit, {path}, Qt::LinkAction);
    dropFiles(*edit, {path});
    TRichObject picture;
    picture.Image = QImage(8, 8, QImage::Format_RGB32);
    picture.Image.fill(Qt::blue);
    edit->SetSelStart(2);
    edit->InsertObject(picture);
    const QList<TRichObject> objects = objectsOf(*edit);
    ASSERT_EQ(objects.size(), 3);
    const QString fileType = ObjectTypeName(objects[0]);
    const QString open = QStringLiteral("開く(&O)");

    QMenu popup;
    popup.addAction(QStringLiteral("Paste"));
    edit->SetPopupMenu(&popup);
    edit->SetSelection(0, 1, false); // the embedded file
    MenuShape s = shapeOf(edit->GetPopupMenu());
    EXPECT_EQ(s.Entries, (QStringList{QStringLiteral("Paste"), QStringLiteral("-"),
                                      fileType + QStringLiteral(" のプロパティ"), u'>' + fileType}));
    EXPECT_EQ(s.Verbs, QStringList{open});
    EXPECT_EQ(s.DefaultVerb, open);
    // asked again, the entries of the last time are gone first
    EXPECT_EQ(shapeOf(edit->GetPopupMenu()).Entries, s.Entries);

    edit->SetSelection(1, 2, false); // the link
    s = shapeOf(edit->GetPopupMenu());
    EXPECT_EQ(s.Verbs, (QStringList{open, QStringLiteral("リンク元を開く(&S)"), QStringLiteral("今すぐ更新(&U)")}));
    EXPECT_EQ(s.DefaultVerb, open);

    edit->SetSelection(2, 3, false); // the picture: no verbs, the properties only
    s = shapeOf(edit->GetPopupMenu());
    EXPECT_EQ(s.Entries,
              (QStringList{QStringLiteral("Paste"), QStringLiteral("-"), QStringLiteral("Picture のプロパティ")}));

    // without a pop-up menu: the verb menu with the properties on top, or nothing for a picture
    edit->SetPopupMenu(nullptr);
    EXPECT_EQ(edit->GetPopupMenu(), nullptr);
    edit->SetSelection(0, 1, false);
    s = shapeOf(edit->GetPopupMenu());
    EXPECT_EQ(s.Entries, (QStringList{fileType + QStringLiteral(" のプロパティ"), open}));
    EXPECT_EQ(s.DefaultVerb, open);

    // text selected, or the verb menu switched off: the pop-up menu as it is
    edit->SetPopupMenu(&popup);
    edit->SetSelection(0, 2, false);
    EXPECT_EQ(shapeOf(edit->GetPopupMenu()).Entries, QStringList{QStringLiteral("Paste")});
    edit->SetAutoVerbMenu(false);
    edit->SetSelection(0, 1, false);
    EXPECT_EQ(shapeOf(edit->GetPopupMenu()).Entries, QStringList{QStringLiteral("Paste")});
    edit->SetPopupMenu(nullptr);
}

TEST_F(RichEditObjects, OpeningAnEmbeddedFileHandsTheOpenerAPrivateCopyRemovedWhenClosed)
{
    const QByteArray bytes = someBytes(2048);
    dropFiles(*edit, {writeFile(QStringLiteral("notes.txt.bin"), bytes)});
    QStringList opened;
    ScopedObjectOpener opener([&](const QString &p) {
        opened.append(p);
        return true;
    });
    ASSERT_TRUE(edit->DoObjectVerb(0, VerbOpen));
    ASSERT_EQ(opened.size(), 1);
    const QFileInfo copy(opened[0]);
    EXPECT_EQ(copy.fileName(), QStringLiteral("notes.txt.bin"));
    EXPECT_FALSE(copy.absoluteFilePath().startsWith(dir.path()));
    EXPECT_EQ(copy.permissions() & (QFile::ExeOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeUser),
              QFile::Permissions());
    const QFileInfo folder(edit->ObjectCopiesFolder());
    EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther),
              QFile::Permissions());
    EXPECT_TRUE(copy.absoluteFilePath().startsWith(folder.absoluteFilePath() + u'/'));
    QFile f(copy.absoluteFilePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes);
    f.close();

    // deleting the object closes it: its copy goes
    edit->SetSelection(0, 1, false);
    edit->ClearSelection();
    EXPECT_FALSE(QFileInfo::exists(copy.absoluteFilePath()));

    // opened again after an undo, the copy and its folder go with the control
    edit->Undo();
    ASSERT_TRUE(edit->DoObjectVerb(0, VerbOpen));
    ASSERT_EQ(opened.size(), 2);
    const QString folderPath = edit->ObjectCopiesFolder();
    ASSERT_TRUE(QFileInfo::exists(opened[1]));
    edit.reset();
    EXPECT_FALSE(QFileInfo::exists(folderPath));
}

TEST_F(RichEditObjects, AFileTheDesktopWouldRunAsksFirstAndALinkOpensWhereItIs)
{
    const QString script = writeFile(QStringLiteral("setup.sh"), "#!/bin/sh\necho hi\n");
    const QString plain = writeFile(QStringLiteral("plain.bin"), someBytes(10));
    dropFiles(*edit, {script});
    dropFiles(*edit, {plain}, Qt::LinkAction); // lands first
    ASSERT_EQ(objectsOf(*edit).size(), 2);
    QStringList opened;
    ScopedObjectOpener opener([&](const QString &p) {
        opened.append(p);
        return true;
    });
    {
        notestest::MessageBoxAnswers boxes({messageboxes::IdNo});
        EXPECT_FALSE(edit->DoObjectVerb(1, VerbOpen));
        ASSERT_EQ(boxes.Texts.size(), 1);
        EXPECT_TRUE(boxes.Texts[0].contains(QStringLiteral("setup.sh")));
        EXPECT_TRUE(opened.isEmpty());
    }
    {
        notestest::MessageBoxAnswers boxes({messageboxes::IdYes});
        EXPECT_TRUE(edit->DoObjectVerb(1, VerbOpen));
        ASSERT_EQ(opened.size(), 1);
        EXPECT_FALSE(QFileInfo(opened[0]).isExecutable()); // the copy never runs by itself
    }
    EXPECT_TRUE(edit->DoObjectVerb(0, VerbOpen));
    EXPECT_TRUE(edit->DoObjectVerb(0, VerbOpenSource));
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[1], QFileInfo(plain).absoluteFilePath());
    EXPECT_EQ(opened[2], opened[1]);
    // a picture has no verbs
    EXPECT_FALSE(edit->DoObjectVerb(0, VerbUpdateNow + 1));

    // a missing source is said, not opened
    QFile::remove(plain);
    notestest::MessageBoxAnswers boxes;
    EXPECT_FALSE(edit->DoObjectVerb(0, VerbOpen));
    EXPECT_EQ(boxes.Texts.size(), 1);
    EXPECT_EQ(opened.size(), 3);
}

TEST_F(RichEditObjects, PropertiesShowTheNotesNamesAsPlainText)
{
    // a note's file names its objects: markup in a name is shown as it stands, never as rich text
    const QString marked = dir.filePath(QStringLiteral("<img src=x.png><i>memo.txt"));
    {
        QFile f(marked);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("text");
    }
    edit->InsertObject(FileObject(marked, true));
    ASSERT_EQ(objectsOf(*edit).size(), 1);
    QStringList rich;
    QStringList shown;
    {
        notestest::DialogAnswers answers([&](QDialog &d) {
            for (QLabel *l : d.findChildren<QLabel *>()) {
                if (!l->text().contains(u'<'))
                    continue;
                shown << l->objectName();
                if (l->textFormat() != Qt::PlainText)
                    rich << l->objectName();
            }
            return int(QDialog::Rejected);
        });
        edit->SetSelection(0, 1, false);
        EXPECT_FALSE(edit->ObjectPropertiesDialog());
    }
    EXPECT_TRUE(shown.contains(QStringLiteral("name"))) << shown.join(u',').toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("source"))) << shown.join(u',').toStdString();
    EXPECT_TRUE(rich.isEmpty()) << rich.join(u',').toStdString();
}

TEST_F(RichEditObjects, PropertiesChangesMarkTheNoteModifiedAndSurviveSaveAndLoad)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString picture = dir.filePath(QStringLiteral("red.png"));
    ASSERT_TRUE(image.save(picture));
    edit->InsertObject(FileObject(picture, false));
    dropFiles(*edit, {picture}, Qt::LinkAction); // lands first
    ASSERT_EQ(objectsOf(*edit).size(), 2);
    EXPECT_FALSE(objectsOf(*edit)[1].DisplayAsIcon);
    EXPECT_EQ(objectsOf(*edit)[1].Image.size(), QSize(30, 20));
    edit->SetTitle(QStringLiteral("memo"));
    edit->SetModified(false);

    // the embedded picture file shown as its icon
    QString location, type;
    {
        notestest::DialogAnswers answers([&](QDialog &d) {
            location = d.findChild<QLabel *>(QStringLiteral("location"))->text();
            type = d.findChild<QLabel *>(QStringLiteral("type"))->text();
            EXPECT_EQ(d.findChild<QWidget *>(QStringLiteral("source")), nullptr); // no link page
            d.findChild<QRadioButton *>(QStringLiteral("display-icon"))->setChecked(true);
            return int(QDialog::Accepted);
        });
        edit->SetSelection(1, 2, false);
        EXPECT_TRUE(edit->ObjectPropertiesDialog());
    }
    EXPECT_EQ(location, QStringLiteral("memo - ") + applicationtitle::get());
    EXPECT_EQ(type, ObjectTypeName(objectsOf(*edit)[1]));
    EXPECT_TRUE(edit->Modified());
    EXPECT_TRUE(objectsOf(*edit)[1].DisplayAsIcon);
    EXPECT_NE(objectsOf(*edit)[1].Image.size(), QSize(30, 20));

    // the link updated only when asked
    edit->SetModified(false);
    {
        notestest::DialogAnswers answers([](QDialog &d) {
            EXPECT_TRUE(d.findChild<QRadioButton *>(QStringLiteral("update-automatic"))->isChecked());
            EXPECT_FALSE(d.findChild<QWidget *>(QStringLiteral("break-link"))->isEnabled());
            d.findChild<QRadioButton *>(QStringLiteral("update-manual"))->setChecked(true);
            return int(QDialog::Accepted);
        });
        edit->SetSelection(0, 1, false);
        EXPECT_TRUE(edit->ObjectPropertiesDialog());
    }
    EXPECT_TRUE(edit->Modified());
    EXPECT_TRUE(objectsOf(*edit)[0].ManualUpdate);

    // a cancelled dialog changes nothing
    edit->SetModified(false);
    {
        notestest::DialogAnswers answers([](QDialog &d) {
            d.findChild<QRadioButton *>(QStringLiteral("update-automatic"))->setChecked(true);
            return int(QDialog::Rejected);
        });
        EXPECT_FALSE(edit->ObjectPropertiesDialog());
    }
    EXPECT_FALSE(edit->Modified());

    const QByteArray rtf = save(*edit);
    // the linked file changes; a manual link keeps what it showed
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(picture));
    DroppableRichEdit reopened;
    load(reopened, rtf);
    QList<TRichObject> back = objectsOf(reopened);
    ASSERT_EQ(back.size(), 2);
    EXPECT_TRUE(back[0].ManualUpdate);
    EXPECT_EQ(back[0].Image.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_TRUE(back[1].DisplayAsIcon);
    // Update Now brings the file's picture and marks the note modified
    reopened.SetModified(false);
    EXPECT_TRUE(reopened.DoObjectVerb(0, VerbUpdateNow));
    EXPECT_EQ(objectsOf(reopened)[0].Image.pixel(2, 2), qRgb(0, 0, 255));
    EXPECT_TRUE(reopened.Modified());
}

TEST_F(RichEditObjects, AnInvalidLinkSourceAndBreakingALinkAreRefusedInTheLinkErrorBox)
{
    const QString a = writeFile(QStringLiteral("a.bin"), someBytes(10));
    const QString b = writeFile(QStringLiteral("b.bin"), someBytes(20));
    dropFiles(*edit, {a}, Qt::LinkAction);
    std::unique_ptr<TOleUILinkInfo> link = TOleUILinkInfo::Create(edit.get(), 0);
    ASSERT_NE(link, nullptr);
    QStringList captions;
    QStringList texts;
    dialogrunner::ScopedRunner runner([&](QDialog &d) {
        captions.append(d.windowTitle());
        texts.append(static_cast<QMessageBox &>(d).text());
        return int(QMessageBox::Ok);
    });
    EXPECT_FALSE(link->SetLinkSource(dir.filePath(QStringLiteral("none")), false));
    EXPECT_FALSE(link->CancelLink());
    EXPECT_EQ(texts, (QStringList{QStringLiteral("不正なソースへのリンクはできません"),
                                  QStringLiteral("リンクを切る機能はサポートされていません")}));
    EXPECT_EQ(captions, (QStringList{QStringLiteral("リンク プロパティ"), QStringLiteral("リンク プロパティ")}));
    EXPECT_EQ(link->GetLinkSource(), QFileInfo(a).absoluteFilePath());
    edit->SetModified(false);
    EXPECT_TRUE(link->SetLinkSource(b, true));
    EXPECT_EQ(link->GetLinkSource(), QFileInfo(b).absoluteFilePath());
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(TOleUILinkInfo::Create(edit.get(), 5), nullptr);
}

TEST_F(RichEditObjects, CopyPasteAndThePrintCloneKeepTheObject)
{
    const QByteArray bytes = someBytes(700);
    dropFiles(*edit, {writeFile(QStringLiteral("kept.dat"), bytes)});
    edit->SetSelection(0, 1, false);
    edit->CopyToClipboard();
    DroppableRichEdit other;
    other.PasteFromClipboard();
    QList<TRichObject> pasted = objectsOf(other);
    ASSERT_EQ(pasted.size(), 1);
    EXPECT_EQ(pasted[0], objectsOf(*edit)[0]);

    // another program's paste takes the rich text: the same object comes back from it
    const QByteArray rtf = QApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf"));
    ASSERT_FALSE(rtf.isEmpty());
    DroppableRichEdit fromRtf;
    load(fromRtf, rtf);
    pasted = objectsOf(fromRtf);
    ASSERT_EQ(pasted.size(), 1);
    EXPECT_EQ(pasted[0].Data, bytes);
    EXPECT_EQ(pasted[0].FileName, QStringLiteral("kept.dat"));

    // the copy a printout draws shows and keeps the same object
    std::unique_ptr<QTextDocument> clone(edit->document()->clone());
    edit.reset();
    const QTextBlock block = clone->begin();
    ASSERT_TRUE(block.begin() != block.end());
    const QTextCharFormat f = block.begin().fragment().charFormat();
    ASSERT_TRUE(IsObjectFormat(f));
    const TRichObject printed = ObjectOf(clone.get(), f);
    EXPECT_EQ(printed.Data, bytes);
    EXPECT_EQ(printed.Image.size(), pasted[0].Image.size());
    const QImage drawn = clone->resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name())).value<QImage>();
    EXPECT_EQ(drawn.size(), printed.Image.size());
}

TEST_F(RichEditObjects, AStoredLinkToSomethingOtherThanAFileShowsItsIconAndIsNeverRead)
{
    if (!QFileInfo(QStringLiteral("/dev/zero")).exists())
        GTEST_SKIP() << "no /dev/zero here";
    TRichObject link;
    link.ObjectKind = TRichObject::LinkedFile;
    link.FileName = QStringLiteral("/dev/zero");
    link.FileType = QStringLiteral("image/png");
    const QByteArray group = FileObjectGroup(link, {});
    load(*edit, "{\\rtf1\\ansi " + group + "\\par}");
    const QList<TRichObject> objects = objectsOf(*edit);
    ASSERT_EQ(objects.size(), 1);
    EXPECT_EQ(objects[0].ObjectKind, TRichObject::LinkedFile);
    EXPECT_FALSE(objects[0].Image.isNull()); // its icon and name
    QStringList opened;
    ScopedObjectOpener opener([&](const QString &p) {
        opened.append(p);
        return true;
    });
    notestest::MessageBoxAnswers boxes;
    EXPECT_FALSE(edit->DoObjectVerb(0, VerbOpen));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(boxes.Texts.size(), 1);
}

TEST_F(RichEditObjects, AnEmbeddedFileIsJudgedByItsCleanedNameAndByItsContent)
{
    auto embedded = [](const QString &name, const QByteArray &bytes) {
        TRichObject o;
        o.ObjectKind = TRichObject::EmbeddedFile;
        o.FileName = name;
        o.Data = bytes;
        o.DataFormat = QStringLiteral("file");
        return o;
    };
    const QByteArray launcher = "[Desktop Entry]\nType=Application\nName=x\nExec=xterm\n";
    const QByteArray script = "#!/bin/sh\nrm -rf \"$HOME/x\"\n";
    const QByteArray program = QByteArray("\x7f"
                                          "ELF\x02\x01\x01\0",
                                          8) +
                               QByteArray(120, '\0');
    struct Case {
        QString name;
        QByteArray bytes;
        bool asks;
        QString copy; // the name of the opened copy
    };
    const QList<Case> cases = {
        {QString::fromLatin1("\x01\0\0.t", 5), "text", false, QStringLiteral(".t")},
        {QStringLiteral("launcher.desktop "), launcher, true, QStringLiteral("launcher.desktop")},
        {QStringLiteral("x.desktop."), "plain words", true, QStringLiteral("x.desktop")},
        {QStringLiteral("../../bin/run.sh"), "plain words", true, QStringLiteral("run.sh")},
        {QStringLiteral("notes.txt"), script, true, QStringLiteral("notes.txt")},
        {QStringLiteral("picture.png"), program, true, QStringLiteral("picture.png")},
        {QStringLiteral("entry.txt"), launcher, true, QStringLiteral("entry.txt")},
        {QStringLiteral("readme.txt"), "plain words\n", false, QStringLiteral("readme.txt")},
        {QString::fromLatin1("..\0", 3), "plain words\n", false, QStringLiteral("object")},
        // a name longer than a folder takes is cut, and keeps the extension it is judged by
        {QString(300, u'x') + QStringLiteral(".sh"), "plain words\n", true, QString(252, u'x') + QStringLiteral(".sh")},
        {QString(300, u'y') + QStringLiteral(".txt"), "plain words\n", false,
         QString(251, u'y') + QStringLiteral(".txt")},
    };
    QStringList opened;
    ScopedObjectOpener opener([&](const QString &p) {
        opened.append(p);
        return true;
    });
    for (const Case &c : cases) {
        const QString label = QString(c.name).replace(QChar(0), QStringLiteral("\\0"));
        edit->Clear();
        edit->InsertObject(embedded(c.name, c.bytes));
        ASSERT_EQ(objectsOf(*edit).size(), 1) << label.toStdString();
        opened.clear();
        notestest::MessageBoxAnswers boxes({messageboxes::IdYes});
        EXPECT_TRUE(edit->DoObjectVerb(0, VerbOpen)) << label.toStdString();
        EXPECT_EQ(boxes.Texts.size(), c.asks ? 1 : 0) << label.toStdString();
        if (c.asks && !boxes.Texts.isEmpty()) {
            EXPECT_TRUE(boxes.Texts[0].contains(u'"' + c.copy + u'"')) << boxes.Texts[0].toStdString();
        }
        ASSERT_EQ(opened.size(), 1) << label.toStdString();
        EXPECT_EQ(QFileInfo(opened[0]).fileName(), c.copy) << label.toStdString();
        EXPECT_TRUE(opened[0].startsWith(edit->ObjectCopiesFolder() + u'/')) << opened[0].toStdString();
    }
    EXPECT_EQ(CleanFileName(QStringLiteral("a\\b\\c.exe . .")), QStringLiteral("c.exe"));
    EXPECT_EQ(CleanFileName(QString::fromUtf8("doc\u202Etxt.exe")), QStringLiteral("doctxt.exe"));
}

TEST(CleanFileNames, ALongNameIsCutToWhatAFolderTakesKeepingItsExtensionAndWholeCharacters)
{
    const auto repeated = [](const QString &part, int times) { return part.repeated(times); };
    // a folder takes names of up to 255 bytes in the file-name encoding (UTF-8)
    EXPECT_EQ(CleanFileName(QString(300, u'a') + QStringLiteral(".pdf")), QString(251, u'a') + QStringLiteral(".pdf"));
    EXPECT_EQ(CleanFileName(QString(251, u'a') + QStringLiteral(".pdf")), QString(251, u'a') + QStringLiteral(".pdf"));
    // three bytes a character: 83 of them and the extension make 253 bytes, one more would be 256
    const QString word = QString::fromUtf8("文");
    EXPECT_EQ(CleanFileName(repeated(word, 300) + QStringLiteral(".txt")), repeated(word, 83) + QStringLiteral(".txt"));
    // four bytes and two UTF-16 units a character: never half of one
    const QString face = QString::fromUtf8("😀");
    EXPECT_EQ(CleanFileName(repeated(face, 100) + QStringLiteral(".png")), repeated(face, 62) + QStringLiteral(".png"));
    // a letter and its accent are one character: the cut never parts them
    const QString accented = QString::fromUtf8("e\u0301");
    EXPECT_EQ(CleanFileName(repeated(accented, 150) + QStringLiteral(".odt")),
              repeated(accented, 83) + QStringLiteral(".odt"));
    EXPECT_EQ(CleanFileName(QStringLiteral("x") + repeated(accented, 150)),
              QStringLiteral("x") + repeated(accented, 84));
    // an "extension" too long to be one is cut with the rest; a cut that leaves a dot at the end drops it
    EXPECT_EQ(CleanFileName(QStringLiteral("a.") + QString(300, u'b')), QStringLiteral("a.") + QString(253, u'b'));
    EXPECT_EQ(CleanFileName(QString(254, u'a') + QStringLiteral(".") + QString(200, u'b')), QString(254, u'a'));
    // every cut name is one a folder takes
    for (const QString &name : {repeated(word, 300), repeated(face, 300) + QStringLiteral(".x"), QString(4000, u'z')})
        EXPECT_LE(QFile::encodeName(CleanFileName(name)).size(), 255);
}
