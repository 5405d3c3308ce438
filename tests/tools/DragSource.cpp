// Another program for the whole-program drag test.
//
//   drag_source drag FORMAT DATA
//     Shows a small window titled "Drag source" at the bottom right of the screen and, at the first
//     mouse press on it, drags the bytes of DATA under the one format FORMAT (text/x-moz-url goes out
//     as the platform writes it: the first line, in UTF-16). Prints "drag ended: N" with the drop
//     action and ends.
//   drag_source qt-drag FORMAT DATA
//     The same through QMimeData::setData, as most programs of this toolkit send: a link list goes
//     out as the addresses QUrl makes of its lines (a line that is no valid address as an empty
//     one), and text/x-moz-url (DATA in UTF-16, the way browsers write it) as data the platform
//     cannot hand on, so the receiver is offered a link list that yields nothing.
//   drag_source serve PORTFILE
//     Answers every HTTP request on a loopback port with a page titled "Dropped link arrived", prints
//     each request's first line, and writes the port to PORTFILE. Runs until it is ended. A path that
//     begins with /sized gets a page that asks for /size?w=WIDTH&h=HEIGHT with its inner size when it
//     has loaded and whenever it is resized.
#include <QApplication>
#include <QDrag>
#include <QFile>
#include <QHostAddress>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWidget>
#include <cstdio>
#include <memory>

namespace {

// The bytes as they were given: QMimeData itself would parse a link list into addresses and send
// those back (a line that is no valid address would go out empty).
class TRawData : public QMimeData {
public:
    TRawData(QString format, QByteArray bytes)
        : m_format(std::move(format))
        , m_bytes(std::move(bytes))
    {}
    QStringList formats() const override { return {m_format}; }
    bool hasFormat(const QString &format) const override { return format == m_format || isLinkAsList(format); }

protected:
    QVariant retrieveData(const QString &format, QMetaType) const override
    {
        return hasFormat(format) ? QVariant(m_bytes) : QVariant();
    }

private:
    // the platform sends the browsers' link format from the data's link list (its first line, as
    // UTF-16), so that list is what it asks for
    bool isLinkAsList(const QString &format) const
    {
        return m_format == QLatin1String("text/x-moz-url") && format == QLatin1String("text/uri-list");
    }

    QString m_format;
    QByteArray m_bytes;
};

class TSource : public QWidget {
public:
    TSource(QString format, QByteArray data, bool raw)
        : m_format(std::move(format))
        , m_data(std::move(data))
        , m_raw(raw)
    {
        setWindowTitle(QStringLiteral("Drag source"));
        setWindowFlag(Qt::WindowStaysOnTopHint);
        setStyleSheet(QStringLiteral("background: orange"));
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton || m_started)
            return;
        m_started = true;
        auto *drag = new QDrag(this);
        if (m_raw) {
            drag->setMimeData(new TRawData(m_format, m_data));
        } else {
            auto *data = new QMimeData;
            data->setData(m_format, m_data);
            drag->setMimeData(data);
        }
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::LinkAction | Qt::MoveAction);
        std::printf("drag ended: %d\n", int(action));
        std::fflush(stdout);
        QApplication::quit();
    }

private:
    QString m_format;
    QByteArray m_data;
    bool m_raw;
    bool m_started = false;
};

int serve(const QString &portFile)
{
    auto *server = new QTcpServer(qApp);
    if (!server->listen(QHostAddress::LocalHost, 0))
        return 1;
    QObject::connect(server, &QTcpServer::newConnection, server, [server] {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            auto head = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, head] {
                *head += socket->readAll();
                if (!head->contains("\r\n\r\n") || head->size() > 64 * 1024)
                    return; // the request's head is not complete yet
                std::printf("%s\n", head->left(head->indexOf("\r\n")).constData());
                std::fflush(stdout);
                const QByteArray sizeReport =
                    "<script>function tell() { fetch('/size?w=' + innerWidth + '&h=' + innerHeight); }"
                    "addEventListener('load', tell); addEventListener('resize', tell);</script>";
                const bool sized = head->startsWith("GET /sized");
                const QByteArray body = "<html><head><title>Dropped link arrived</title></head><body>ok" +
                                        (sized ? sizeReport : QByteArray()) + "</body></html>";
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    QFile file(portFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(server->serverPort()) + "\n") < 0)
        return 1;
    file.close();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("serve"))
        return serve(args[2]);
    const bool raw = args.size() == 4 && args[1] == QLatin1String("drag");
    if (!raw && !(args.size() == 4 && args[1] == QLatin1String("qt-drag"))) {
        std::fprintf(stderr, "usage: drag_source drag|qt-drag FORMAT DATA | drag_source serve PORTFILE\n");
        return 2;
    }
    const bool mozUrl = args[2] == QLatin1String("text/x-moz-url");
    const QByteArray data = !raw && mozUrl
                                ? QByteArray(reinterpret_cast<const char *>(args[3].utf16()), args[3].size() * 2)
                                : args[3].toUtf8();
    TSource source(args[2], data, raw);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    source.setGeometry(screen.right() - 160, screen.bottom() - 160, 120, 120);
    source.show();
    return QApplication::exec();
}
