#pragma once
// imaging/: the picture control and what it draws: the control itself, its
// open, save and adjustment dialogs and the print canvas, on Qt Widgets and
// QPrinter, over the readers of pictures/.
//
// The picture control: holds a picture (one bitmap, or the frames of an
// animation or the pages of a file), paints it in one of its size modes and
// changes it in place. Loading and saving go through PictureCodec; every
// operation returns 0 or an imaging error code and leaves the picture as it
// was when it fails. One class for every window that shows or works on a
// picture; a hidden control works on pictures without showing them.
#include "platform/net/Download.h"
#include "platform/controls/OleColor.h"
#include "platform/pictures/PendingPicture.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/pictures/PictureSource.h"

#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <utility>

// ImageMagick's headers define Intensity(color) as a macro; the control's
// member of that name must not be renamed in files that include both.
#ifdef Intensity
#undef Intensity
#endif


namespace platform {

class PanWindow;

class Lead : public QWidget {
    Q_OBJECT
public:
    // parts: where the decodes of a large picture it shows run (see Load).
    explicit Lead(QWidget* parent = nullptr, PartScheduler& parts = decodingThreads());
    ~Lead() override;

    // ---- files
    // bits: 0 as stored (else 1, 8, 24 or 32); page: 1 = the first (a page
    // past the end falls back to 1); pages: 1 = that page, -1 = all from it.
    // A picture ImageMagick reads (as stored) is opened from its header: its
    // facts and true size are there at once, its pages are decoded on a
    // worker and painted once they are there, the hourglass over the
    // control until then. A failure the decode finds empties the control
    // and is told by PictureFailed, once; what needs every pixel before
    // the decode is there waits for it (see DecodeWhole).
    int Load(const QString& file, int bits = 0, int page = 1, int pages = 1);
    // Reads the file's picture data into the Info values; the picture stays.
    int GetFileInfo(const QString& file, int page = 1, int flags = 0);
    // mode: 0 a new file, 3 add the picture as a page to the file.
    // quality: compression factor 1..99. With SaveMultiPage every frame is
    // written when the format holds pages.
    int Save(const QString& file, int format, int bits, int quality, int mode = 0);
    bool SaveMultiPage() const { return m_saveMultiPage; }
    // Why the file system refused the last Save's file, as the program's
    // error number (61 for a full disk); 0 when it did not.
    int SaveFileError() const { return m_saveFileError; }
    void setSaveMultiPage(bool on) { m_saveMultiPage = on; }
    // The page the last Load showed first.
    int LoadedPage() const { return m_loadedPage; }
    // A large JPEG, PNG or TIFF page is shown before it is decoded whole:
    // the part that shows (and a margin around it) is decoded at the size it
    // shows on a worker thread and painted once it is there; until then the
    // paints show the whole picture decoded at the control's size, once that
    // is there.
    // The whole picture is decoded only once something needs every pixel;
    // sizes and facts are the whole picture's throughout. The file stays
    // open while it shows; written over in place, it is loaded again.
    // One too large to hold whole is only shown: what needs every pixel of
    // it fails with err::NoMemory.
    bool TooLargeToHold() const { return m_source && !m_source->fitsInMemory(); }
    bool WholePictureInMemory() const { return !m_frames.isEmpty(); }
    // Decodes the whole of such a picture now, as a command that needs
    // every pixel of it does (one written over in place is loaded again
    // first), or waits for the decode of one opened from its header; 0 or
    // the imaging error code. Damage found so is the caller's to tell: the
    // paints that meet it afterwards say nothing more.
    int DecodeWhole();
    // Whether the last paint showed the picture at the size it shows (not
    // the background or a coarser part while the part it shows is decoded).
    bool PicturePainted() const { return m_picturePainted; }
    // Whether the whole of a large picture is held decoded at the control's
    // size, which the paints draw where its sharp parts are not there yet.
    bool OverviewHeld() const { return !m_source || !m_overview.isNull(); }
    // Where the picture shows in the control: the part of it on screen.
    QRect ShownArea() const;

    int InfoWidth() const { return m_info.width; }
    int InfoHeight() const { return m_info.height; }
    int InfoFormat() const { return m_info.format; }
    int InfoBits() const { return m_info.bits; }
    qint64 InfoSizeDisk() const { return m_info.sizeDisk; }
    qint64 InfoSizeMem() const { return m_info.sizeMem; }
    int InfoXRes() const { return m_info.xRes; }
    int InfoYRes() const { return m_info.yRes; }
    qint64 InfoColors() const { return m_info.colors; }
    int InfoPage() const { return m_info.page; }
    int InfoTotalPages() const { return m_info.pageCount; }

    // ---- the picture
    bool HasBitmap() const { return !m_frames.isEmpty() || m_source || m_pending; }
    // The current bitmap (a null image when the control is empty).
    QImage Bitmap() const;
    // Replaces the picture with one bitmap; a null image empties the control.
    void setBitmap(const QImage& image);
    // Bitmap = the other control's Bitmap: an independent copy, frames too.
    void CopyBitmap(const Lead& from);
    // Bitmap = 0.
    void ClearBitmap();
    int BitmapWidth() const;
    int BitmapHeight() const;
    int BitmapBits() const { return HasBitmap() ? m_bits : 0; }
    const QList<QImage>& Frames() const
    {
        wholePicture();
        return m_frames;
    }

    // Frames of an animation.
    int BitmapListCount() const;
    int BitmapListIndex() const { return m_index; }
    void setBitmapListIndex(int index);
    int BitmapDelay() const;
    void setBitmapDelay(int ms);
    // index -1 appends. Returns 0 or an error code.
    int InsertBitmapListItem(int index, const QImage& image, int delayMs = 100);
    bool AnimationEnable() const { return m_animationEnable; }
    void setAnimationEnable(bool on);
    bool AnimationLoop() const { return m_animationLoop; }
    void setAnimationLoop(bool on) { m_animationLoop = on; }
    bool AnimationMode() const { return m_animationMode; }
    void setAnimationMode(bool on) { m_animationMode = on; }
    bool IsAnimating() const { return m_animationTimer.isActive(); }

    // ---- display
    // 0 normal (zoomed by PaintZoomFactor), 1 stretched to the control, 3 fit.
    int PaintSizeMode() const { return m_paintSizeMode; }
    void setPaintSizeMode(int mode);
    int PaintZoomFactor() const { return m_zoom; }
    void setPaintZoomFactor(int percent);
    // The size the picture is painted at.
    int DstWidth() const;
    int DstHeight() const;
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    // The size AutoSize gives the control at normal size: the picture as
    // painted and the frame around it.
    QSize sizeForPicture() const;
    bool AutoRepaint() const { return m_autoRepaint; }
    void setAutoRepaint(bool on);
    bool AutoPan() const { return m_autoPan; }
    void setAutoPan(bool on) { m_autoPan = on; }
    bool PaintEffect() const { return m_paintEffect; }
    void setPaintEffect(bool on) { m_paintEffect = on; }
    int PaintPalette() const { return m_paintPalette; }
    void setPaintPalette(int v) { m_paintPalette = v; }
    int PaintDither() const { return m_paintDither; }
    void setPaintDither(int v) { m_paintDither = v; }
    int BitonalScaling() const { return m_bitonalScaling; }
    void setBitonalScaling(int v) { m_bitonalScaling = v; }
    qint64 PaintScaling() const { return m_paintScaling; }
    void setPaintScaling(qint64 v) { m_paintScaling = v; }
    int ScaleMode() const { return m_scaleMode; }
    void setScaleMode(int v) { m_scaleMode = v; }
    OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor c);
    int Appearance() const { return m_appearance; }
    void setAppearance(int v);
    int BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(int v);
    // 0 default, 2 cross, 11 hourglass.
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    void ForceRepaint();
    // Draws the picture stretched into the rectangle.
    void Render(QPainter* painter, const QRect& target) const;
    // The part of the picture shown in normal mode starts here (pixels).
    QPoint panOffset() const { return m_pan; }
    void setPanOffset(const QPoint& p);

    // ---- pan window (screen pixels): its frame's top left corner, wherever
    // that leaves the menus and tool bars of the control's window in sight,
    // and the size of its inside
    int PanWinX = 0, PanWinY = 0, PanWinWidth = 150, PanWinHeight = 200;
    QIcon PanWinIcon;
    QString PanWinTitle;
    OleColor PanWinRectColor = 255;
    bool PanWinSysMenu = true;
    int PanWinPaintPalette = 0, PanWinBitonalScaling = 0, PanWinPaintDither = 0;
    int ShowPanWin(bool show);
    bool PanWinShown() const;
    QWidget* panWindow() const;

    // ---- magnifying glass: shown while the left button is held
    int StartMagGlass(double width, double height, int zoom, OleColor penColor, OleColor backColor, bool elliptic,
                      double borderWidth, bool threeD, int crossHair, bool flag1, bool flag2);
    int StopMagGlass();
    bool MagGlassActive() const { return m_mag.active; }

    // ---- regions (picture coordinates)
    // 3: the user drags an ellipse; 0: no marking.
    int RgnMarkingMode() const { return m_rgnMarkingMode; }
    void setRgnMarkingMode(int mode);
    int RgnFrameType() const { return m_rgnFrameType; }
    void setRgnFrameType(int t);
    bool HasRgn() const { return !m_region.isEmpty(); }
    int RgnLeft() const;
    int RgnTop() const;
    int RgnWidth() const;
    int RgnHeight() const;
    int SetRgnEllipse(const QRect& bounds);
    int FillRgn(OleColor color);
    int FreeRgn();

    // ---- changes
    int Intensity(int change); // -1000..1000
    int Contrast(int change);  // -1000..1000
    // flags: 0 plain, 2 resampled.
    int Size(int width, int height, int flags);

    // ---- clipboard and screen
    int Copy(int flags);
    // Takes the screen area (pixels) as the picture; window 0 = the screen.
    int Capture(WId window, double left, double top, double width, double height);

    // ---- a picture from the internet: assigning the address fetches it
    // (http and https); LoadStatus reports 1 loading, 4 complete, 3 failed;
    // LoadDone follows a completed load. Local loads raise neither.
    QString FileNameHint() const { return m_hint; }
    void setFileNameHint(const QString& address);
    bool LoadPending() const { return !m_fetch.isNull(); }
    static constexpr qint64 kMaxDownload = qint64(256) * 1024 * 1024;

    // ---- acquisition (SANE)
    int TwainSelect(QWidget* owner);
    int TwainAcquire(QWidget* owner);
    int TwainSetup(QWidget* owner);
    QString TwainSourceName() const { return m_twainSourceName; }

signals:
    void Click();
    void DblClick();
    void KeyDown(int keyCode, int shift);
    void MouseDown(int button, int shift, int x, int y);
    void LoadStatus(int status);
    void LoadDone();
    // A large picture shown in parts could not be decoded after all (or the
    // file written over it could not be loaded), or the decode of a picture
    // opened from its header failed: error is its imaging code.
    void PictureFailed(int error);
    // The file of the picture shown was written over in place and the
    // control holds it again, as the new picture it is now.
    void PictureReloaded();
    // The decode of a picture opened from its header gave another size
    // than its header told (a raw fax tells none): the control has the
    // picture's true size now.
    void PictureResized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class PanWindow;
    // The frame BorderStyle draws stands around the picture's area, as a
    // window's border stands around its client area.
    int frameWidth() const { return m_borderStyle != 0 ? 1 : 0; }
    QRect clientRect() const;
    QRectF displayRect() const;
    QRect visibleArea() const;
    QPointF toPicture(const QPointF& widgetPoint) const;
    QRectF toWidget(const QRectF& pictureRect) const;
    void pictureChanged(bool sizeMayChange);
    void applyAutoSize();
    void clampPan();
    void restartAnimation();
    void nextFrame();
    void abortFetch();
    void fetchFinished(bool ok, const QByteArray& data, const QUrl& url);
    void paintMagnifier(QPainter& p);
    QRect panWindowPlace() const;
    int changeEveryFrame(int change, int (*op)(QImage&, int));
    // Decodes the whole picture of a large load now, if it is not yet; 0 or an error code.
    int wholePicture() const;
    void takeWhole(const QImage& whole) const;
    void dropSource();
    void paintPart(QPainter& p, const QRectF& shown);
    bool askForShown(const QRectF& d, const QRectF& visible);
    void drawDecoded(QPainter& p, const QRectF& target, const QRectF& source) const;
    void askForPart(const QRect& part, const QSize& size);
    void askForOverview(const QSize& size) const;
    QSize overviewSize() const;
    void askForMagnified(const QRectF& source);
    void partFailed(int error);
    int reloadChanged(bool tell);
    int loadLater(const QString& file, int page, int pages);
    void waitForPending();
    int takePending();
    void pendingArrived();
    void showPointer();

    mutable QList<QImage> m_frames; // empty while a large load is shown in parts
    mutable QList<int> m_delays;
    PartScheduler* m_parts;
    mutable std::shared_ptr<PictureSource> m_source; // that large load
    std::shared_ptr<PendingPicture> m_pending; // a picture opened from its header, until its decode is there
    mutable QImage m_part;  // the part of it decoded last, and where it lies
    mutable QRect m_partRect;
    bool m_partAsked = false;
    std::pair<QRect, QSize> m_failedPart; // the part (and size) asked last, when it could not be decoded
    bool m_picturePainted = false;
    mutable QImage m_overview; // the whole of it, at the control's size or the pan window's
    mutable bool m_overviewAsked = false;
    mutable QSize m_failedOverview; // the size of the overview asked last, when it could not be decoded
    mutable QImage m_magPart; // the part under the magnifier, at its own size
    mutable QRect m_magRect;
    bool m_magAsked = false;
    bool m_failureTold = false;
    int m_index = 0;
    int m_bits = 0;
    int m_loadedPage = 1;
    PictureInfo m_info;
    bool m_saveMultiPage = false;
    int m_saveFileError = 0;

    bool m_animationEnable = false, m_animationLoop = true, m_animationMode = false;
    QTimer m_animationTimer;

    int m_paintSizeMode = 0;
    int m_zoom = 100;
    bool m_autoSize = false, m_autoRepaint = true, m_autoPan = true, m_paintEffect = true;
    int m_paintPalette = 0, m_paintDither = 0, m_bitonalScaling = 0, m_scaleMode = 3;
    qint64 m_paintScaling = 0;
    OleColor m_backColor = 0x00FFFFFF;
    int m_appearance = 1, m_borderStyle = 1, m_mousePointer = 0;
    QPoint m_pan;

    // Scaled copy for the stretch and fit modes.
    mutable QImage m_cache;
    mutable QSize m_cacheSize;
    mutable qint64 m_cacheGeneration = -1;
    mutable qint64 m_generation = 0;

    PanWindow* m_panWindow = nullptr;

    struct Magnifier {
        bool active = false, showing = false;
        double width = 150, height = 100;
        int zoom = 200;
        OleColor pen = 0, back = 0x00FFFFFF;
        bool elliptic = true;
        double border = 1;
        int crossHair = 0;
        QPoint at;
    } m_mag;

    int m_rgnMarkingMode = 0, m_rgnFrameType = 0;
    QPainterPath m_region;
    bool m_marking = false;
    QPoint m_markStart, m_markNow;

    bool m_panning = false;
    QPoint m_panStart, m_panOrigin;
    QPoint m_pressPos;
    bool m_pressed = false;
    // The press before a double-click was the control's own: the double-click
    // is the control's. One whose first press went to another control (which
    // then gave way to this one under the pointer) is a plain press here.
    bool m_ownFirstPress = false;

    QString m_hint;
    QPointer<Download> m_fetch;

    QString m_twainSourceName;
};

// The Windows key code of a key event (keypad "+" 107, keypad "-" 109, the
// main keyboard's "+" 187 and "-" 189, letters 65..90, F1 112 ...), 0 when
// the key has none.
int vbKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
// 1 shift, 2 control, 4 alt.
int vbShift(Qt::KeyboardModifiers modifiers);

} // namespace platform
