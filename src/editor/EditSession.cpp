#include "editor/EditSession.h"

#include "platform/pictures/ImagingCodes.h"
#include "platform/pictures/PictureCodec.h"

#include <new>

namespace editor {

int EditSession::load(const QString& path)
{
    m_original = m_working = m_snapshot = QImage();
    m_edited = m_snapshotEdited = false;
    platform::PictureData data;
    const int r = platform::readPicture(path, 1, 1, &data);
    if (r != 0)
        return r;
    if (data.frames.isEmpty() || data.frames.first().isNull())
        return platform::err::InvalidFormat;
    // One picture, shared by the three until one of them changes.
    m_original = m_working = m_snapshot = data.frames.first();
    return 0;
}

int EditSession::change(const Effect& effect)
{
    if (!loaded())
        return platform::err::InvalidBitmap;
    try {
        return effect(m_working);
    } catch (const std::bad_alloc&) {
        return platform::err::NoMemory;
    }
}

void EditSession::rebuild()
{
    if (loaded())
        m_working = m_original;
}

void EditSession::takeSnapshot()
{
    if (!loaded())
        return;
    m_snapshot = m_working;
    m_snapshotEdited = m_edited;
}

void EditSession::undo()
{
    if (!loaded())
        return;
    m_working = m_snapshot;
    m_edited = m_snapshotEdited;
}

void EditSession::restore()
{
    if (!loaded())
        return;
    m_working = m_snapshot = m_original;
    m_edited = m_snapshotEdited = false;
}

int EditSession::save(const QString& path, int format, int bits, int quality, bool multiPage) const
{
    if (!loaded())
        return platform::err::InvalidBitmap;
    return platform::writePicture(path, {m_working}, format, bits, quality, multiPage);
}

} // namespace editor
