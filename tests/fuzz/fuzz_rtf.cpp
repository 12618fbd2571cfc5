// The RTF reader into a text document, and the plain-text decoding and line
// cutting of the text box.
#include "FuzzSupport.h"
#include "platform/text/RtfReader.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    QTextDocument doc;
    platform::readRtf(bytes, &doc);
    (void)doc.toPlainText();
    (void)platform::breakLongLines(platform::decodePlainText(bytes));
    return 0;
}
