#pragma once
// A small HTTP server on the loopback interface: serves the pages a test
// puts in it, and answers 404 for the rest.
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>

class LoopbackServer : public QTcpServer {
public:
    LoopbackServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
        });
    }

    // The address of a path ("/r") on this server.
    QString address(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
    void put(const QString& path, const QByteArray& body, const QByteArray& type = "text/html")
    {
        pages[path] = {type, body};
    }
    QStringList requested;

private:
    struct Page {
        QByteArray type, body;
    };
    QHash<QString, Page> pages;

    void answer(QTcpSocket* s)
    {
        QByteArray& buffer = pending[s];
        buffer += s->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(buffer.split(' ').value(1));
        pending.remove(s);
        requested << path;
        const auto it = pages.constFind(path);
        const QByteArray status = it == pages.constEnd() ? "404 Not Found" : "200 OK";
        const Page page = it == pages.constEnd() ? Page{"text/html", "<html><body>none</body></html>"} : *it;
        s->write("HTTP/1.1 " + status + "\r\nContent-Type: " + page.type +
                 "\r\nContent-Length: " + QByteArray::number(page.body.size()) + "\r\nConnection: close\r\n\r\n" +
                 page.body);
        s->disconnectFromHost();
    }
    QHash<QTcpSocket*, QByteArray> pending;
};
