// Internet shortcut files (".URL"): the address read from one, written back
// as a shortcut; the same bytes taken as a page title give a file name.
#include "FuzzSupport.h"
#include "lists/InternetShortcut.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratch("Page.URL", data, size);
    const QString address = lists::readInternetShortcut(path);
    if (!address.isEmpty())
        lists::writeInternetShortcut(fuzz::scratchPath("Copy.URL"), address);
    const QString name = lists::shortcutFileName(QString::fromUtf8(fuzz::bytesOf(data, size)));
    if (!name.isEmpty())
        (void)lists::shortcutName(name);
    return 0;
}
