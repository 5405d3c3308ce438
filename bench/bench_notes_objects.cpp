// links: brivo_notes Qt6::Widgets
// A note holding 200 pictures of 1 MB each (JPEG): the time to read it into the notes control, to
// draw every picture once, and the process's peak memory. Pictures are kept encoded and decoded only
// when drawn, into a bounded cache, so the peak stays near the encoded size (the RTF text, twice
// that, plus the pictures' bytes) instead of growing with the decoded size of every picture.
#include "notes/MMRxRichEdit.h"
#include "notes/RichEditObjects.h"
#include "notes/RtfReader.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int Pictures = 200;

// Noise compresses badly: about 1 MB of JPEG.
QByteArray megabyteJpeg()
{
    QImage image(1200, 1000, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    QByteArray jpeg;
    QBuffer b(&jpeg);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "JPEG", 88);
    return jpeg;
}

const QByteArray &noteWithPictures()
{
    static const QByteArray rtf = [] {
        const QByteArray hex = megabyteJpeg().toHex();
        QByteArray out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n";
        out.reserve(qsizetype(Pictures) * (hex.size() + 200));
        for (int i = 0; i < Pictures; ++i)
            out += "\\pard Picture " + QByteArray::number(i) +
                   " {\\pict\\jpegblip\\picw1200\\pich1000\\picwgoal7200\\pichgoal6000 " + hex + "}\\par\r\n";
        out += "}";
        return out;
    }();
    return rtf;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_LoadNoteWithPictures(benchmark::State &state)
{
    const QByteArray &rtf = noteWithPictures();
    for (auto _ : state) {
        TMMRxRichEdit edit;
        QTextCursor cursor(edit.document());
        TRichDocumentBuilder builder(cursor, edit.DefaultCharFormat());
        if (!rtf::ReadDocument(rtf, builder)) {
            state.SkipWithError("the note was not read");
            return;
        }
        benchmark::DoNotOptimize(edit.TextLength());
    }
    state.counters["rtf_MB"] = double(rtf.size()) / (1 << 20);
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["cache_MB"] = double(richedit::DecodedCacheUse()) / (1 << 20);
}
BENCHMARK(BM_LoadNoteWithPictures)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_DrawEveryPicture(benchmark::State &state)
{
    TMMRxRichEdit edit;
    QTextCursor cursor(edit.document());
    TRichDocumentBuilder builder(cursor, edit.DefaultCharFormat());
    if (!rtf::ReadDocument(noteWithPictures(), builder)) {
        state.SkipWithError("the note was not read");
        return;
    }
    edit.document()->setTextWidth(800);
    const QSizeF size = edit.document()->size();
    QImage page(800, 600, QImage::Format_RGB32);
    for (auto _ : state) {
        // the whole note, a screen at a time
        for (qreal top = 0; top < size.height(); top += page.height()) {
            QPainter p(&page);
            p.translate(0, -top);
            edit.document()->drawContents(&p, QRectF(0, top, page.width(), page.height()));
        }
    }
    state.counters["decoded"] = richedit::DecodedPictureCount();
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["cache_MB"] = double(richedit::DecodedCacheUse()) / (1 << 20);
}
BENCHMARK(BM_DrawEveryPicture)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
