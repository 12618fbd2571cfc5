#include "platform/core/PlugIn.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QLibrary>
#include <memory>
#include <mutex>

namespace platform {
namespace {

struct PlugIns {
    std::mutex lock;
    QHash<QByteArray, std::shared_ptr<QLibrary>> loaded; // never unloaded: their objects live on
    QHash<QByteArray, QString> errors;
};

PlugIns& plugIns()
{
    static PlugIns p;
    return p;
}

QString fileOf(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lib%1.so").arg(QLatin1String(name)));
}

} // namespace

QFunctionPointer plugInFunction(const char* name, const char* symbol)
{
    PlugIns& p = plugIns();
    const std::lock_guard<std::mutex> guard(p.lock);
    std::shared_ptr<QLibrary>& lib = p.loaded[QByteArray(name)];
    if (!lib) {
        lib = std::make_shared<QLibrary>(fileOf(name));
        // Every symbol is bound as it loads, so that one the program lacks
        // makes the loading fail with a message instead of ending the
        // program at the first call.
        lib->setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!lib->load()) {
            p.errors[QByteArray(name)] = lib->errorString();
            qWarning("The plug-in %s cannot be loaded: %s", name, qPrintable(lib->errorString()));
            p.loaded.remove(QByteArray(name));
            return nullptr;
        }
    }
    const QFunctionPointer f = lib->resolve(symbol);
    if (!f)
        p.errors[QByteArray(name)] = lib->errorString();
    return f;
}

QString plugInError(const char* name)
{
    PlugIns& p = plugIns();
    const std::lock_guard<std::mutex> guard(p.lock);
    return p.errors.value(QByteArray(name));
}

bool plugInLoaded(const char* name)
{
    PlugIns& p = plugIns();
    const std::lock_guard<std::mutex> guard(p.lock);
    return p.loaded.contains(QByteArray(name));
}

} // namespace platform
