#include "shell/Lumivex1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivex"));
    Lumivex1 window(QApplication::arguments().mid(1));
    window.startUp();
    return app.exec();
}
