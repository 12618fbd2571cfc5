// Options.INI and Colors.INI as the program reads them at start-up, then
// written back as it would write them.
#include "FuzzSupport.h"
#include "shell/Settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratch("Settings.INI", data, size);
    SharedState s;
    settings::setDefaultOptions(s, QStringLiteral("/opt/Korrandel3"));
    settings::setDefaultColors(s);
    settings::loadOptions(path, s);
    settings::sanitizeOptions(s);
    settings::loadColors(path, s);
    (void)settings::optionsText(s);
    (void)settings::colorsText(s);
    return 0;
}
