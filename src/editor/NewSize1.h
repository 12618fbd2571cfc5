#pragma once
// The new-size dialog: two whole numbers chosen with a scroll bar and a
// number box each that keep one another in step. Mode 0 asks a new width and
// height for the main window's picture, mode 3 for the region marked on it
// (both optionally keeping the proportions), mode 999 a low and a high
// intensity from 0 to 255.
#include <QDialog>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace platform {
class Lead;
}

class NewSize1 : public QDialog {
    Q_OBJECT
public:
    // picture: the picture whose size is asked.
    NewSize1(QWidget* parent, const platform::Lead* picture);

    void InitTheForm(short mode);
    void GetResults(bool& fOK, short& nValue1, short& nValue2, bool& fResample) const;

    // Controls.
    QFrame* Frame1 = nullptr;
    QGroupBox* Frame2[2] = {}; // 0 the height, 1 the width
    QLineEdit* TxtHeight1 = nullptr;
    QLineEdit* TxtWidth1 = nullptr;
    QScrollBar* SCHeight1 = nullptr;
    QScrollBar* SCWeight1 = nullptr;
    QCheckBox* CHKASPECT = nullptr;
    QCheckBox* CHKRESAMPLE = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    // Handlers.
    void SCWeight1_Change();
    void SCHeight1_Change();
    void TxtWidth1_Change();
    void TxtHeight1_Change();
    void CHKASPECT_Click();
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();
    void Form_Activate();

    static constexpr int kMaxSide = 16384;
    static constexpr int kMaxValue = 32767;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Height over width of the picture (mode 0) or of its region (mode 3);
    // 0 when a side is 0.
    double ratio() const;
    void keepProportion(QScrollBar* target, int value, double factor);
    static bool boxValue(const QLineEdit* box, const QScrollBar* bar, int* value);

    const platform::Lead* m_picture;
    bool fOK = false;
    short nSizeMode = 0;
    bool fWidthTextActive = false, fWidthBarActive = false;
    bool fHeightTextActive = false, fHeightBarActive = false;
    bool m_keepingProportion = false;
};
