#pragma once
// Videos whose pictures tell at a glance whether they move: whole frames of
// colours no part of the window is painted in, each held for a fifth of a
// second, so that a picture seen twice tells whether it moves.
#include <QImage>
#include <QSet>
#include <QString>

namespace e2e {

// A 12 s video of 320x240 at 15 frames a second, in the container the name's
// extension gives (MPEG-1 for .mpg, MPEG-4 in AVI for .avi), with a silent
// sound track or none.
bool makeMovingVideo(const QString& path, bool withSound);
// The video's frame colours that cover a good part of the shot.
QSet<int> movingVideoColours(const QImage& shot);

class Program;
class XDisplay;

// What a window showed of a moving video while it was watched: the colours
// seen, and the first message box that came up (its title and a picture of it).
struct VideoSeen {
    QSet<int> colours;
    QString box;
};
// Watches the window until the video's pictures have moved (the first colour
// within a minute, as the start may take long on a busy machine, then a
// second one before the program has had two seconds of the processor, or a
// minute has passed), a message box comes up or the program ends.
VideoSeen watchMovingVideo(const XDisplay& display, Program& program, quint32 window);

} // namespace e2e
