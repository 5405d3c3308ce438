// Build tool: joins UTF-8 master files into one table and writes it in the table's code page with CR LF
// line ends. Fails (exit 1) on a character the code page cannot hold, naming file and line.
//   LangConv <converter name> <output> <input>...
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: LangConv <converter> <output> <input>...\n");
        return 2;
    }
    const QByteArray converter = argv[1];
    QStringEncoder encoder(converter.constData());
    QStringDecoder check(converter.constData());
    if (!encoder.isValid() || !check.isValid()) {
        std::fprintf(stderr, "LangConv: no converter named %s\n", converter.constData());
        return 1;
    }
    QByteArray out;
    for (int i = 3; i < argc; ++i) {
        QFile in(QFile::decodeName(argv[i]));
        if (!in.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "LangConv: cannot read %s\n", argv[i]);
            return 1;
        }
        QByteArray bytes = in.readAll();
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8.decode(bytes);
        if (utf8.hasError()) {
            std::fprintf(stderr, "LangConv: %s is not UTF-8\n", argv[i]);
            return 1;
        }
        QStringList lines = text.split(u'\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        int lineNo = 0;
        for (QString line : lines) {
            ++lineNo;
            if (line.endsWith(u'\r'))
                line.chop(1);
            const QByteArray encoded = encoder.encode(line);
            if (encoder.hasError() || QString(check.decode(encoded)) != line) {
                std::fprintf(stderr, "%s:%d: a character cannot be held by %s\n", argv[i], lineNo,
                             converter.constData());
                return 1;
            }
            out += encoded;
            out += "\r\n";
        }
    }
    QFile f(QFile::decodeName(argv[2]));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(out) != out.size()) {
        std::fprintf(stderr, "LangConv: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
