#pragma once
// The loopback HTTP server of the tests that run the real engine; nothing reaches another address.
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
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

inline QByteArray httpReply(const QByteArray &status, const QByteArray &headers, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace browsertest
