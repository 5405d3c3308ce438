// links: Qt6::Core
// Page header and footer codes: any text expands without fault, and text without codes stays as written.
// The expander is compiled in here, so the target builds also where the web-engine library is left out.
#include "browser/HeaderFooters.cpp"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString codes = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    THeaderFooterContext context;
    context.title = codes;
    context.url = QStringLiteral("file:///tmp/a&b.html");
    context.page = 3;
    context.pageCount = 12;
    context.now = QDateTime(QDate(2020, 2, 29), QTime(23, 59));
    context.locale = QLocale::c();
    const THeaderFooterLine line = expandHeaderFooter(codes, context);
    if (!codes.contains(u'&') && (line.left != codes || !line.center.isEmpty() || !line.right.isEmpty()))
        std::abort();
    // every part is made of the input, the title, the address and the values: bounded growth
    const qsizetype limit = codes.size() * (codes.size() + context.url.size() + 32) + 64;
    if (line.left.size() + line.center.size() + line.right.size() > limit)
        std::abort();
    return 0;
}
