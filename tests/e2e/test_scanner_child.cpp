// The built program as the scanner's child (the program started again to do
// SANE's work), and what the program lends to the libraries it loads.
#include "E2eSupport.h"
#include "SaneConfig.h"

#include "platform/devices/SaneWire.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <gtest/gtest.h>

#include <cstring>

#include <dlfcn.h>

using namespace e2e;
using platform::sane::wire::Record;

namespace {

// The functions a file's dynamic symbol table defines.
QSet<QString> definedFunctions(const QString& file)
{
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), file});
    nm.waitForFinished(-1);
    QSet<QString> names;
    for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 3 && QByteArray("TWi").contains(fields[1]))
            names << QString::fromLatin1(fields[2].split('@').first());
    }
    return names;
}

QString cLibrary()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&std::strlen), &info) || !info.dli_fname)
        return {};
    return QString::fromLocal8Bit(info.dli_fname);
}

// Tessamor started with the arguments where there is no display, with the
// tests' fake driver; its records once it has ended by itself.
QList<Record> runChild(const QStringList& arguments, int* exitCode)
{
    testsupport::SaneConfig config("lumivexfake\n");
    testsupport::useFakeScanner("");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QDir(buildFolder()).filePath(QStringLiteral("Tessamor")), arguments);
    child.waitForFinished(-1);
    *exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    QByteArray out = child.readAllStandardOutput();
    QList<Record> records;
    EXPECT_TRUE(platform::sane::wire::takeRecords(&out, &records));
    EXPECT_TRUE(out.isEmpty()) << "bytes after the last record";
    return records;
}

QString tags(const QList<Record>& records)
{
    QString out;
    for (const Record& r : records)
        out += QLatin1Char(r.tag);
    return out;
}

qint32 endCode(const QList<Record>& records)
{
    qint32 code = -1;
    if (!records.isEmpty() && records.last().tag == platform::sane::wire::End)
        platform::sane::wire::readNumbers(records.last().payload, 1, &code);
    return code;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(ScannerChild, TheProgramDefinesNoFunctionOfTheCLibraryForTheLibrariesItLoads)
{
    if (kAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer's runtime, linked into the program, defines the C library's functions it watches";
    const QSet<QString> program = definedFunctions(QDir(buildFolder()).filePath(QStringLiteral("Tessamor")));
    ASSERT_FALSE(program.isEmpty());
    const QSet<QString> c = definedFunctions(cLibrary());
    ASSERT_TRUE(c.contains(QStringLiteral("pthread_setcanceltype"))) << qPrintable(cLibrary());
    const QSet<QString> both = program & c;
    EXPECT_TRUE(both.isEmpty()) << qPrintable(QStringList(both.values()).join(QLatin1Char(' ')));
}

TEST(ScannerChild, StartedAsTheScannersChildTheProgramListsAndScansWithoutAWindow)
{
    // No display: the program dies at once if it makes its application.
    int code = -1;
    const QList<Record> listed = runChild({QStringLiteral("--scan-devices")}, &code);
    EXPECT_EQ(code, 0);
    ASSERT_EQ(tags(listed), "DE");
    EXPECT_EQ(listed.first().payload, QByteArray("lumivexfake:scanner\0Lumivex\0Test Scanner\0virtual device\0", 56));
    EXPECT_EQ(endCode(listed), 0);

    const QList<Record> scanned = runChild({QStringLiteral("--scan"), QStringLiteral("lumivexfake:scanner")}, &code);
    EXPECT_EQ(code, 0);
    ASSERT_EQ(tags(scanned), "FBE");
    EXPECT_EQ(scanned.at(1).payload, QByteArray(12, 0x40)) << "the fake's 4 x 3 gray picture";
    EXPECT_EQ(endCode(scanned), 0);
}
