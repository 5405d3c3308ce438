// links: brivo_notes Qt6::Widgets
// HTML offered by a copy or a drop, of any bytes: reading it never crashes, never brings a picture or
// another object, and what it brings pastes into a note whose text then holds exactly the fragment's.
#include "notes/MMRxRichEdit.h"
#include "notes/RichTextHtml.h"
#include "notes/RichTextModel.h"

#include <QApplication>
#include <QMimeData>
#include <cstdint>
#include <cstdlib>

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "fuzz_htmlpaste";
    static char *argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

class PastingEdit : public TMMRxRichEdit {
public:
    using TMMRxCustomRichEdit::insertFromMimeData;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    application();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QTextDocumentFragment fragment =
        richedit::FragmentFromHtml(QString::fromUtf8(bytes), richedit::StandardCharFormat());
    const QString raw = fragment.toRawText();
    for (const QChar c : raw) {
        if (c == QChar(richedit::ObjectChar) || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1)
            std::abort(); // an object or a frame came in
    }

    QMimeData offered;
    offered.setData(QStringLiteral("text/html"), bytes);
    PastingEdit edit;
    edit.insertFromMimeData(&offered);
    if (!fragment.isEmpty()) {
        QString text = edit.document()->toRawText();
        if (text.size() != raw.size())
            std::abort(); // the note holds other text than the fragment
    }
    return 0;
}
