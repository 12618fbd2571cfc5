#pragma once
// "Set Program Colors and Options": the colour scheme, the general options
// and the search and thumbnail settings on three pages; OK writes Colors.INI
// and Options.INI and recolours the main window.
#include "platform/controls/OleColor.h"

#include <QDialog>
#include <QLineEdit>
#include <QMap>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTabWidget;

// A colour box of the Colors page: shows one scheme colour, kept as its raw
// OLE value (a system colour stays a system colour until another is picked),
// in the colour the windows paint for it in its role.
class ColorBox : public QLineEdit {
    Q_OBJECT
public:
    explicit ColorBox(platform::ColorRole role, QWidget* parent = nullptr);
    platform::OleColor color() const { return m_color; }
    void setColor(platform::OleColor c);
    // What the box shows: the colour as the windows paint it.
    QColor shownColor() const { return platform::resolveColor(m_role, m_color); }

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    platform::ColorRole m_role;
    platform::OleColor m_color = 0;
};

class SetOptn1 : public QDialog {
    Q_OBJECT
public:
    enum Page { ColorsPage = 1, OptionsPage = 2, SearchPage = 3 };

    // The loaded dialog, loaded now when it is not.
    // twipsPerCmX/Y: the screen's scale for the thumbnail sizes in
    // centimetres (0: 1440 / 2.54).
    static SetOptn1* instance(QWidget* parent = nullptr, double twipsPerCmX = 0, double twipsPerCmY = 0);
    // The loaded dialog, or null.
    static SetOptn1* current();
    // Selects the page (1 Colors, 2 Options, 3 Search) and shows the dialog
    // modal; returns when it is closed.
    static void showModalOnPage(int page);
    // The page a command opens: Colors for "ID_mnuSetColorsforOrbanth",
    // Options for "ID_SetClrBtn" and "ID_mnuSetOrbanthOptions", else 0.
    static int pageForCommand(const QString& id);
    // Shows the dialog for one of those commands; false for any other id.
    static bool openForCommand(const QString& id);

signals:
    // OK wrote both files: the program's windows take up the new options and colours.
    void optionsApplied();

public:
    // Writes Options.INI from the program's options as they stand.
    void SaveOptions();

    // ---- handlers
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();
    void SCOPTJPEGQ_Change();
    void Text3_DblClick(int index);

    // ---- controls
    QTabWidget* TabStrip1 = nullptr;
    QWidget* TabPanel1 = nullptr;
    QWidget* TabPanel2 = nullptr;
    QWidget* TabPanel3 = nullptr;
    ColorBox* Text3[24] = {};
    QLineEdit* Text4[4] = {};
    QComboBox* CMBMENU = nullptr;
    QComboBox* CMBMENUTYPE = nullptr;
    QComboBox* CMBFONTTYPE = nullptr;
    QComboBox* CMBTHUMBRESL = nullptr;
    QCheckBox* CHKBOLD = nullptr;
    QCheckBox* CHKAUTOPICT = nullptr;
    QCheckBox* CHKAUTOVIDEO = nullptr;
    QCheckBox* CHKAUTOMUSIC = nullptr;
    QCheckBox* CHKVIDEOLIST = nullptr;
    QCheckBox* CHKOPTMUSICLOOP = nullptr;
    QCheckBox* CHKOPTVIDEOLOOP = nullptr;
    QCheckBox* CHKSAVEFOLDER = nullptr;
    QCheckBox* CHKDOCUMENTTEXT = nullptr;
    QScrollBar* SCOPTJPEGQ = nullptr;
    QMap<int, QLabel*> Label4; // Label4[20] shows the JPEG quality
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

    ~SetOptn1() override;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    explicit SetOptn1(QWidget* parent);
    void buildWindow();
    QWidget* buildColorsPage();
    QWidget* buildOptionsPage();
    QWidget* buildSearchPage();
    void FillColorBoxes();
    void ReadColorBoxes();
    void FillOptionControls();
    void ReadOptionControls();
    bool CheckOptionEntries();
    void SaveColors();
    double twipsPerCmX() const { return m_twipsPerCmX; }
    double twipsPerCmY() const { return m_twipsPerCmY; }

    // The centimetre texts the thumbnail fields were filled with: a field
    // still showing its text keeps the stored pixels on OK.
    QString m_shownHeight, m_shownWidth;
    bool m_unloaded = false;
    double m_twipsPerCmX = 1440.0 / 2.54, m_twipsPerCmY = 1440.0 / 2.54;
};
