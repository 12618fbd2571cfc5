#pragma once
// The start-up rules that need no window: program folder, command line and
// window placement.
#include <QRect>
#include <QString>
#include <QStringList>

namespace startup {

inline const QString kExecutableName = QStringLiteral("Tessamor");
QString defaultInstallFolder(); // /opt/Korrandel3

// The folder that holds the program's own executable (tests may set another).
QString executableFolder();
void setExecutableFolder(const QString& folder);

// The program folder when no file was given on the command line: the current
// folder when it holds the executable, else the install folder when it holds
// it, else the executable's own folder. When the install folder exists it
// becomes the current folder (*newCurrent).
QString findProgramFolder(const QString& currentFolder, const QString& installFolder,
                          const QString& executableName, const QString& executableFolder, QString* newCurrent);

// The command-line arguments, index 0 empty, at most maxArgs. One argument
// is taken whole; several are split at blanks and tabs.
QStringList getCommandLine(const QStringList& argv, int maxArgs = 10);

// Joins the six kept arguments with single blanks, trims, and removes a
// surrounding pair of double quotes.
QString stripCommandQuotes(const QStringList& args6);

struct Placement {
    double left, top, height, width;
};
// Fits stored geometry (twips) to the screen (twips).
Placement placeWindow(Placement stored, double screenWidth, double screenHeight);
// True when a stored place (pixels) covers the screen's whole work area, as
// the place of a window closed maximised does.
bool coversWorkArea(const QRect& place, const QRect& workArea);

// Position (1-based) of the last path separator, 0 when there is none.
int lastSeparatorPosition(const QString& path);

} // namespace startup
