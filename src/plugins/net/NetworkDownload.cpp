// The network plug-in: downloads over Qt Network.
#include "platform/net/Download.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace platform {
namespace {

QNetworkAccessManager& network()
{
    // Made on the GUI thread with the first download; lives as long as the program.
    static auto* manager = new QNetworkAccessManager;
    return *manager;
}

class NetworkDownload : public Download {
public:
    NetworkDownload(const QUrl& url, qint64 maxBytes, QObject* parent) : Download(parent)
    {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        m_reply = network().get(request);
        connect(m_reply, &QNetworkReply::downloadProgress, this, [this, maxBytes](qint64 received, qint64) {
            if (received > maxBytes && m_reply)
                m_reply->abort();
        });
        connect(m_reply, &QNetworkReply::finished, this, [this] {
            QNetworkReply* reply = m_reply;
            m_reply = nullptr;
            reply->deleteLater();
            const bool ok = reply->error() == QNetworkReply::NoError;
            emit finished(ok, ok ? reply->readAll() : QByteArray(), reply->url());
        });
    }
    ~NetworkDownload() override { abort(); }

    void abort() override
    {
        if (QNetworkReply* r = m_reply) {
            m_reply = nullptr;
            r->disconnect(this);
            r->abort();
            r->deleteLater();
        }
    }

private:
    QPointer<QNetworkReply> m_reply;
};

} // namespace
} // namespace platform

extern "C" Q_DECL_EXPORT platform::Download* lumivexStartDownload(const QUrl& url, qint64 maxBytes, QObject* parent)
{
    return new platform::NetworkDownload(url, maxBytes, parent);
}
