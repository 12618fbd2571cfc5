#pragma once
// A main window in a temporary program folder, with scripted dialogs, and a
// small web server on the loopback interface for internet pictures.
#include "PictureSamples.h"
#include "TestSupport.h"

#include "platform/Dialogs.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHash>
#include <QListWidget>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace viewertest {

// Lets the event loop run until the condition holds (at most 20 s).
inline bool waitFor(const std::function<bool()>& done, int ms = 20000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = std::make_unique<testsupport::ProgramFolder>();
        dialogs = std::make_unique<platform::ScopedDialogs>();
        // The tool pictures the menus use.
        const QString assets = qEnvironmentVariable("LUMIVEX_ASSETS");
        QDir().mkpath(program->file(QStringLiteral("BMPS")));
        if (!assets.isEmpty())
            QFile::copy(assets + QStringLiteral("/BMPS/Check.BMP"), program->file(QStringLiteral("BMPS/Check.BMP")));
        w = std::make_unique<Lumivex1>(QStringList{QStringLiteral("Tessamor")});
        w->resize(1000, 750);
        w->show();
        w->finishStartUp();
        QCoreApplication::processEvents();
        gs.fAutoPictures = true;
        gs.nPicturePage = 1;
        gs.fInternetLoading = false;
        dialogs->service.messages.clear();
    }
    void TearDown() override
    {
        w->fPictureChanged = false;
        w.reset();
        dialogs.reset();
        program.reset();
    }

    QString file(const QString& name) const { return program->file(name); }

    // Writes a picture of the size as a JPEG (or PNG for ".png").
    QString picture(const QString& name, int width = 64, int height = 48)
    {
        const QString path = file(name);
        const QImage img = samples::pattern(width, height);
        const QString ext = QFileInfo(name).suffix().toLower();
        samples::writeQt(path, img, ext == QLatin1String("png") ? "png" : ext == QLatin1String("bmp") ? "bmp" : "jpeg");
        return path;
    }

    QStringList list3() const
    {
        QStringList out;
        for (int i = 0; i < w->List3->count(); ++i)
            out << w->List3->item(i)->text();
        return out;
    }

    QStringList texts() const { return dialogs->service.texts(); }

    std::unique_ptr<testsupport::ProgramFolder> program;
    std::unique_ptr<platform::ScopedDialogs> dialogs;
    std::unique_ptr<Lumivex1> w;
};

// Serves fixed bodies by path over HTTP, or HTTPS with a certificate made for
// the test.
class LoopbackServer : public QObject {
public:
    explicit LoopbackServer(bool tls) : m_tls(tls)
    {
        if (tls) {
            auto* server = new QSslServer(this);
            m_server = server;
        } else {
            m_server = new QTcpServer(this);
        }
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* s = m_server->nextPendingConnection())
                serve(s);
        });
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

    bool start() { return m_server->listen(QHostAddress::LocalHost); }
    QString url(const QString& path) const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
            .arg(m_server->serverPort())
            .arg(path);
    }
    QHash<QString, QByteArray> bodies;
    int requests = 0;

private:
    void serve(QTcpSocket* s)
    {
        connect(s, &QTcpSocket::readyRead, s, [this, s] {
            m_buffers[s] += s->readAll();
            if (!m_buffers[s].contains("\r\n\r\n"))
                return;
            const QByteArray requestLine = m_buffers[s].left(m_buffers[s].indexOf("\r\n"));
            // Forgotten once answered: a later socket may be made at the same address.
            m_buffers.remove(s);
            const QString path = QString::fromLatin1(requestLine.split(' ').value(1));
            ++requests;
            QByteArray response;
            if (bodies.contains(path)) {
                const QByteArray body = bodies.value(path);
                response = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
            } else {
                response = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            }
            s->write(response);
            s->disconnectFromHost();
        });
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    }
    bool m_tls;
    QTcpServer* m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

} // namespace viewertest
