#pragma once
// "Image Properties": bits, colours, format, sizes and resolutions of the
// current picture file, or only the length of another known file. One
// modeless instance; it reads the file once, when it loads.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace platform {
struct PictureInfo;
}

class ProPert1 : public QDialog {
    Q_OBJECT
public:
    explicit ProPert1(QWidget* parent = nullptr);
    ~ProPert1() override;

    // The "Properties" command: brings the open window to the front, else
    // opens one for cCurrentFile.
    static ProPert1* open(QWidget* parent);
    // The open window, or nullptr.
    static ProPert1* instance();

    // The name of a file-format code; "Unknown format" for a code of no row.
    static QString FormatNameTable(int code);

    QLabel* Label1[10] = {};
    QLabel* Label2[9] = {};
    QFrame* Frame1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    QString shownPath() const { return m_path; }

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The picture facts of a file: the one place that reads the picture.
    static bool ReadPictureInfo(const QString& path, int page, platform::PictureInfo* info);
    QString m_path;
    bool m_unloaded = false;
};
