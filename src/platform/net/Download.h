#pragma once
// Fetching a file over the network (http, https). Qt Network and what it
// loads (proxy and Kerberos libraries) live in the network plug-in, loaded
// with the first download, so that the program starts without them.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

namespace platform {

// One download under way; deleted by its parent or after finished.
class Download : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Stops it; finished is not emitted.
    virtual void abort() = 0;

signals:
    // ok: the whole file arrived (data); url: where it came from, after redirects.
    void finished(bool ok, const QByteArray& data, const QUrl& url);
};

// Starts fetching url (redirects followed unless they go from https to
// http), given up past maxBytes. nullptr, with the reason in *error, when the
// network plug-in cannot be loaded.
Download* startDownload(const QUrl& url, qint64 maxBytes, QObject* parent, QString* error = nullptr);

} // namespace platform
