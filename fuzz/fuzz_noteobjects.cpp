// links: brivo_notes Qt6::Widgets
// The files a note embeds or links to, as stored in its RTF: any \object group of the program's own
// classes (or any package inside one) is read without a crash; what is read is written back and read
// again the same; its name, type and verbs are looked up safely; an embedded file opened from a note
// is copied inside the private folder and nowhere else, with its bytes as they were.
#include "notes/RichEditObjects.h"
#include "notes/RichTextModel.h"
#include "notes/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void application()
{
    static int argc = 1;
    static char name[] = "fuzz_noteobjects";
    static char *argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(argc, argv);
}

bool sameFile(const TRichObject &a, const TRichObject &b)
{
    return a.ObjectKind == b.ObjectKind && a.FileName == b.FileName && a.FileType == b.FileType &&
           a.DisplayAsIcon == b.DisplayAsIcon && a.Data == b.Data &&
           // only a link has an update option
           (a.ObjectKind != TRichObject::LinkedFile || a.ManualUpdate == b.ManualUpdate);
}

void check(const TRichObject &object)
{
    using namespace richedit;
    (void)ObjectTypeName(object);
    (void)ObjectVerbs(object);
    (void)WouldExecute(object.FileName, object.FileType);
    if (object.ObjectKind == TRichObject::LinkedFile)
        return; // a link names a file on this machine: it is never read here
    (void)ObjectDataSize(object);
    TRichObject again;
    if (!FileObjectFromGroup(FileObjectGroup(object, {}), again) || !sameFile(object, again)) {
        std::fprintf(stderr, "read: %s|%s|%d|%d|%s\nagain: %s|%s|%d|%d|%s\n", qPrintable(object.FileName),
                     qPrintable(object.FileType), object.DisplayAsIcon, object.ManualUpdate,
                     object.Data.toHex().constData(), qPrintable(again.FileName), qPrintable(again.FileType),
                     again.DisplayAsIcon, again.ManualUpdate, again.Data.toHex().constData());
        std::abort(); // written back, the object reads the same
    }
    TOpenedObjectCopies copies;
    QString error;
    const QString path = copies.Write(1, object.FileName, object.Data, &error);
    if (path.isEmpty())
        return;
    const QString folder = QFileInfo(copies.Folder()).canonicalFilePath();
    const QFileInfo copy(path);
    if (!copy.canonicalFilePath().startsWith(folder + u'/') || copy.isSymLink())
        std::abort(); // the copy stays inside the private folder
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.readAll() != object.Data)
        std::abort();
    copies.CloseAll();
    if (QFileInfo::exists(folder))
        std::abort(); // closed copies leave nothing behind
}

} // namespace

// The first byte picks how the rest is used: 'e' or 'l', a package inside an embedded-file or link
// group; 'r', a whole RTF document read as a note; anything else, an \object group as it stands.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    application();
    if (size == 0 || size > (1 << 20))
        return 0;
    const char mode = char(data[0]);
    const QByteArray rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    QByteArray group;
    if (mode == 'e' || mode == 'l')
        group = QByteArray(mode == 'e' ? "{\\object\\objemb{\\*\\objclass Brivo.File}"
                                       : "{\\object\\objlink{\\*\\objclass Brivo.Link}") +
                "{\\*\\objdata " + rest.toHex() + "}}";
    else
        group = rest;
    if (mode == 'r') {
        QTextDocument doc;
        TRichDocumentBuilder builder(QTextCursor(&doc), richedit::StandardCharFormat());
        if (rtf::ReadDocument(rest, builder))
            builder.Finish();
        return 0;
    }
    TRichObject object;
    if (richedit::FileObjectFromGroup(group, object))
        check(object);
    return 0;
}
