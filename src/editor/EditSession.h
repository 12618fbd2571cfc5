#pragma once
// What a picture editor edits, without a window: the picture as loaded, the
// working copy that every preview and edit changes, one snapshot that Undo
// copies back, and whether the working copy holds edits. Effects are the
// plain functions of platform/pictures/PictureEffects.h applied to the working copy.
#include <QImage>
#include <QString>
#include <functional>

namespace editor {

class EditSession {
public:
    using Effect = std::function<int(QImage&)>;

    // Loads the first page of the file as stored into all three pictures.
    // Returns 0 or an imaging error code; a failed load leaves the session
    // empty, and an empty session refuses every change below.
    int load(const QString& path);
    bool loaded() const { return !m_original.isNull(); }

    const QImage& original() const { return m_original; }
    const QImage& working() const { return m_working; }
    const QImage& snapshot() const { return m_snapshot; }

    // Whether the working copy holds edits since the load, Undo or Restore.
    bool edited() const { return m_edited; }
    void setEdited(bool on) { m_edited = on && loaded(); }
    // What Undo gives back: whether the snapshot held edits when it was taken.
    bool snapshotEdited() const { return m_snapshotEdited; }

    // Runs the effect on the working copy. Returns 0 or an imaging error
    // code (the working copy stays as it was); nothing runs on an empty
    // session. The edited flag is the caller's to set.
    int change(const Effect& effect);
    // The working copy becomes the picture as loaded.
    void rebuild();
    // The snapshot becomes a copy of the working copy.
    void takeSnapshot();
    // The working copy becomes the snapshot, with the snapshot's edited state.
    void undo();
    // Working copy and snapshot become the picture as loaded, without edits.
    void restore();

    // Writes the working copy (0 or an imaging error code), whole or not at all.
    int save(const QString& path, int format, int bits, int quality, bool multiPage) const;

private:
    QImage m_original, m_working, m_snapshot;
    bool m_edited = false;
    bool m_snapshotEdited = false;
};

} // namespace editor
