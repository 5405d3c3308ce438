#pragma once
// The loopback HTTP server of the tests that run the real engine; nothing reaches another address.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <functional>
#include <memory>

namespace browsertest {

// A loopback server that answers each request with the reply the test gives for it.
struct TLoopbackServer {
    QTcpServer server;
    QList<QByteArray> requests;
    std::function<QByteArray(const QByteArray &request)> reply;

    TLoopbackServer()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    *buffer += socket->readAll();
                    if (!buffer->contains("\r\n\r\n"))
                        return;
                    requests << *buffer;
                    socket->write(reply(*buffer));
                    buffer->clear();
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString url(const QString &path = QStringLiteral("/")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path);
    }
};

// The desktop's handler of one kind of link, as the tests see it: the program's entry and the default
// that names it in the user's folders (the test's own), taken away again at the end. Links the desktop
// would hand to a program come to the catcher instead.
class TLinkCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

struct TSchemeHandler {
    QString scheme;
    QString entry;
    QString defaults;
    TLinkCatcher catcher;

    TSchemeHandler(const QString &kind, const QString &programName)
        : scheme(kind)
        , entry(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) + u'/' + kind +
                QStringLiteral("-opener.desktop"))
        , defaults(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/mimeapps.list"))
    {
        QDir().mkpath(QFileInfo(entry).absolutePath());
        QDir().mkpath(QFileInfo(defaults).absolutePath());
        write(entry, "[Desktop Entry]\nType=Application\nName=" + programName.toUtf8() +
                         "\nExec=true %u\nMimeType=x-scheme-handler/" + kind.toUtf8() + ";\n");
        write(defaults,
              "[Default Applications]\nx-scheme-handler/" + kind.toUtf8() + "=" + kind.toUtf8() + "-opener.desktop\n");
        QDesktopServices::setUrlHandler(kind, &catcher, "open");
    }
    ~TSchemeHandler()
    {
        QDesktopServices::unsetUrlHandler(scheme);
        QFile::remove(entry);
        QFile::remove(defaults);
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
};

inline QByteArray httpReply(const QByteArray &status, const QByteArray &headers, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace browsertest
