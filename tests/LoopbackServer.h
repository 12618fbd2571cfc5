#pragma once
// A small HTTP (or, with a test certificate, HTTPS) server on the loopback
// interface: serves the pages a test puts in it, and answers 404 for the rest.
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

class LoopbackServer : public QObject {
public:
    explicit LoopbackServer(bool tls = false) : m_tls(tls)
    {
        m_server = tls ? new QSslServer(this) : new QTcpServer(this);
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* s = m_server->nextPendingConnection())
                serve(s);
        });
        m_server->listen(QHostAddress::LocalHost);
    }

    // Makes a self-signed certificate for 127.0.0.1 with the openssl tool
    // and lets the program's network requests trust it.
    bool setUpTls(const QString& folder)
    {
        const QString key = folder + QStringLiteral("/key.pem"), cert = folder + QStringLiteral("/cert.pem");
        QProcess p;
        p.start(QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                 QStringLiteral("-nodes"), QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert,
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                 QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return false;
        const QList<QSslCertificate> certs = QSslCertificate::fromPath(cert);
        QFile kf(key);
        if (certs.isEmpty() || !kf.open(QIODevice::ReadOnly))
            return false;
        const QSslKey sslKey(&kf, QSsl::Rsa);
        if (sslKey.isNull())
            return false;
        QSslConfiguration serverConf = QSslConfiguration::defaultConfiguration();
        serverConf.setLocalCertificate(certs.first());
        serverConf.setPrivateKey(sslKey);
        static_cast<QSslServer*>(m_server)->setSslConfiguration(serverConf);
        QSslConfiguration client = QSslConfiguration::defaultConfiguration();
        client.addCaCertificate(certs.first());
        QSslConfiguration::setDefaultConfiguration(client);
        return true;
    }

    bool isListening() const { return m_server->isListening(); }
    // The address of a path ("/r") on this server.
    QString url(const QString& path) const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
            .arg(m_server->serverPort())
            .arg(path);
    }
    void put(const QString& path, const QByteArray& body, const QByteArray& type = "text/html")
    {
        m_pages[path] = {type, body};
    }
    QStringList requested;

private:
    struct Page {
        QByteArray type, body;
    };

    void serve(QTcpSocket* s)
    {
        // The request is gathered on the socket itself: a later socket may
        // come at the same address once this one is gone.
        connect(s, &QTcpSocket::readyRead, s, [this, s] {
            QByteArray buffer = s->property("request").toByteArray() + s->readAll();
            s->setProperty("request", buffer);
            if (!buffer.contains("\r\n\r\n"))
                return;
            const QString path = QString::fromLatin1(buffer.left(buffer.indexOf("\r\n")).split(' ').value(1));
            requested << path;
            const auto it = m_pages.constFind(path);
            const QByteArray status = it == m_pages.constEnd() ? "404 Not Found" : "200 OK";
            const Page page = it == m_pages.constEnd() ? Page{"text/html", "<html><body>none</body></html>"} : *it;
            s->write("HTTP/1.1 " + status + "\r\nContent-Type: " + page.type + "\r\nContent-Length: " +
                     QByteArray::number(page.body.size()) + "\r\nConnection: close\r\n\r\n" + page.body);
            s->disconnectFromHost();
        });
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    }

    bool m_tls;
    QTcpServer* m_server;
    QHash<QString, Page> m_pages;
};
