#pragma once
// "Print Picture": lays the current picture out on a small page before it is
// printed. Two bars size the preview, the Left and Top boxes place it, the
// title with its font and colour goes at the top of the page and the file
// name above or below the picture. OK prints one page on the printer and
// leaves the window open. One modeless instance; it works on the file it was
// given when it loaded.
#include "editor/PrintLayout.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QRectF>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace platform {
class Lead;
}

class PrntPict1 : public QDialog {
    Q_OBJECT
public:
    // currentFile: the file to print, as it stands when the window opens.
    explicit PrntPict1(const QString& currentFile, QWidget* parent = nullptr);
    ~PrntPict1() override;

    // Prints the page as the preview lays it out.
    void PrintPictureFile();

    // Controls.
    QFrame* Frame1 = nullptr;
    QFrame* Frame2 = nullptr; // the page
    QFrame* Frame3 = nullptr; // "Picture Printed"
    platform::Lead* Image1 = nullptr;
    QLabel* Label1[3] = {}; // 0 the picture label, 1 "Left", 2 "Top"
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QLineEdit* TxtLeft = nullptr;
    QLineEdit* TxtTop = nullptr;
    QLineEdit* TxtTitle = nullptr;
    QRadioButton* RDTITLEPOS[2] = {};
    QPushButton* FontBtn = nullptr;
    QPushButton* FontClrBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    // Handlers.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void HScroll1_Change();
    void VScroll1_Change();
    void TxtLeft_Change();
    void TxtTop_Change();
    void RDTITLEPOS_Click(int index);
    void FontBtn_Click();
    void FontClrBtn_Click();
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();

    // The preview and the label's top on the page frame, in twips.
    QRectF previewTwips() const { return m_preview; }
    double labelTopTwips() const { return m_labelTop; }
    const printlayout::TitleStyle& titleStyle() const { return m_title; }
    QString titlePosition() const { return cTitlePos; }
    // The numbers of the last print.
    const printlayout::PrintedGeometry& lastPrint() const { return m_lastPrint; }
    QString currentFile() const { return m_currentFile; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildControls();
    void buildSideControls();
    void connectHandlers();
    void SizePreview(const QString& path);
    void previewFailed(int error);
    void PlacePreview();
    void showPreview();
    void setPreview(const QRectF& twips);
    // Our own dialog was just shown: the activation it gives back is not the user's.
    void ownDialogClosed();

    QString m_currentFile;
    bool fFormLoading = false;
    long nBaseWidth = 0;
    float nBaseHeight = 0;
    QString cTitlePos;
    printlayout::TitleStyle m_title;
    printlayout::PrintedGeometry m_lastPrint;
    QRectF m_preview;
    double m_labelTop = printlayout::kLabelTop;
    bool m_unloaded = false;
    QElapsedTimer m_dialogClosed;
};
