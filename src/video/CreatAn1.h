#pragma once
// "Create Animation or Video File": the user collects pictures in a list
// (pre-filled with the pictures viewed in this run, added through the open
// dialog or dropped from a file manager), orders them, previews them as an
// animation and saves them as a multi-page TIFF file (the preview's frames)
// or as an AVI video (written on a worker thread). One modeless instance.
#include "shared/Tables.h"

#include <QStringList>
#include <QWidget>
#include <atomic>
#include <functional>
#include <thread>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace platform {
class Lead;
class LeadDlg;
} // namespace platform

namespace video {
struct VideoResult;
}

// What the window takes from the program around it.
struct CreatAnLinks {
    QStringList viewedPictures;           // the pictures viewed in this run, in viewing order
    std::function<QString()> browserFolder; // the folder the file browser shows
    std::function<void()> releaseTool;    // lets the command's tool go (called with fBusy set)
};

class CreatAn1 : public QWidget {
    Q_OBJECT
public:
    explicit CreatAn1(CreatAnLinks links, QWidget* parent = nullptr);
    ~CreatAn1() override;

    QListWidget* List1 = nullptr;
    platform::Lead* Image1 = nullptr; // the preview; its frames are what the TIFF save writes
    platform::Lead* Image2 = nullptr; // hidden loading buffer
    QLineEdit* Text1 = nullptr;       // frames per picture
    QLineEdit* Text2 = nullptr;       // delay between pictures, seconds
    QLabel* Label1 = nullptr;         // the file saved last
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QWidget* Frame1 = nullptr;
    QPushButton* OpenBtn = nullptr;
    QPushButton* UpBtn = nullptr;
    QPushButton* DownBtn = nullptr;
    QPushButton* DeleteBtn = nullptr;
    QPushButton* SaveAVIBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    // The window's own copy of the named file filters.
    struct FilterTable {
        std::array<QString, tables::kFilterSlots> names;
        std::array<QString, tables::kFilterSlots> patterns; // blank padded
    } AnimationFilterTable;

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void OKBtn_Click();
    void OpenBtn_Click();
    void UpBtn_Click();
    void DownBtn_Click();
    void DeleteBtn_Click();
    void List1_OLEDragDrop(const QStringList& paths);
    void List1_OLEDragOver();
    void List1_DblClick();
    void Image1_DblClick();
    void SaveAVIBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();

    void AddPictureToList();
    void SetUpFilterTables();
    // Starts writing the video; the outcome is reported when the worker ends.
    void WriteVideoFile(const QString& path);
    // A video is being written.
    bool isWriting() const { return m_writing; }

    // The open dialog's filter text (rows 0 to 31).
    QString openDialogFilter() const;

signals:
    // The video writing ended and was reported.
    void videoWritten();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildFrame();
    QPushButton* makePictureButton(const char* name, int icon, const QString& tip);
    // Appends `count` copies of Image2's picture to the preview.
    void appendPreviewFrames(int count, int delayMs);
    void startPreview();
    void saveTiff(const QString& path);
    void videoFinished(const video::VideoResult& result, const QString& path);
    void setControlsEnabled(bool on);

    CreatAnLinks m_links;
    platform::LeadDlg* LEADDlg1 = nullptr;
    bool m_unloaded = false;
    bool m_writing = false;
    bool m_closeAfterWriting = false;
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};
