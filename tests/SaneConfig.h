#pragma once
// SANE's configuration for tests. SANE reads the folder SANE_CONFIG_DIR names
// once per process, and the dll.conf in it at every start: one folder serves
// the whole process and the scanner's children it starts, and each test
// writes the backends it wants into it.
#include <QFile>
#include <QTemporaryDir>

namespace testsupport {

class SaneConfig {
public:
    explicit SaneConfig(const QByteArray& dllConf)
    {
        static QTemporaryDir dir;
        static const bool set = [] {
            qputenv("SANE_CONFIG_DIR", dir.path().toLocal8Bit());
            return true;
        }();
        Q_UNUSED(set);
        QFile f(dir.filePath(QStringLiteral("dll.conf")));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(dllConf);
    }
};

// SANE's drivers as the one SaneConfig names "lumivexfake", the tests' own
// (sane/FakeScanner.c), working as its words say (none: it scans at once):
// gates its calls wait at, a report of its calls, a crash, a reader thread
// cancelled as SANE's threaded drivers cancel theirs. The scanner's child
// of the program, this test program again, finds it through the
// environment it inherits.
inline void useFakeScanner(const QByteArray& words)
{
    qputenv("LD_LIBRARY_PATH", LUMIVEX_FAKE_SANE_DIR);
    qputenv("LUMIVEX_FAKE_SCANNER", words);
}

} // namespace testsupport
