// The web address list ("PictList.INI") as its window reads it when it loads
// and writes it when it unloads.
#include "FuzzSupport.h"
#include "browser/GetURL1.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratch("PictList.INI", data, size);
    // One window for the run, as the program keeps one.
    static GetURL1* window = new GetURL1(QFileInfo(path).absolutePath(), [](const QString&) {});
    window->LoadURLList();
    window->SaveURLList();
    return 0;
}
