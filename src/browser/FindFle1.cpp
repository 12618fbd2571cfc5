#include "browser/FindFle1.h"

#include "browser/DialogParts.h"
#include "platform/controls/ToolBarComp.h"
#include "shared/DialogColors.h"
#include "shared/SharedState.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace browser {

const std::array<FindChoice, kFindChoiceCount>& findChoices()
{
    static const std::array<FindChoice, kFindChoiceCount> v = {{
        {"JPEG and LEAD Compressed", "Search for JPG and CMP Files", "*.JPG;*.JPE;*.CMP", 0},
        {"TIFF Formats (TIF and TIFF)", "Search for Uncompressed TIF/TIFF Files", "*.TIFF;*.TIF", 1},
        {"BMP Formats", "Search for BMP Files", "*.BMP", 2},
        {"Icons and Cursors", "Search for ICO and CUR Files", "*.ICO;*.CUR", 3},
        {"PCX Formats", "Search for PCX Files", "*.PCX", 4},
        {"Kodak Formats (PCD And FPX)", "Search for Kodak PCD and FPX Files", "*.PCD;*.FPX", 5},
        {"Microsoft Fax Format (AWD)", "Search for Microsoft Fax (AWD) Files", "*.AWD", 6},
        {"Exif Formats (TIFF And JPG)", "Search for Exif Formats (Uncompressed TIFF and JPG)", "*.TIFF;*.JPG", 7},
        {"Windows MetaFile Formats (WMF,EMF)", "Search for Windows Meta Files (WMF and EMF) Files", "*.WMF;*.EMF", 8},
        {"Fax File Format (FAX)", "Search for Raw Fax Format (FAX) Files", "*.FAX", 9},
        {"XPicMap (XPM)", "Search for XPicMap (XPM) Files", "*.XPM", 10},
        {"Interchange Format (IFF)", "Search for Interchange File Format (IFF) Files", "*.IFF", 11},
        {"Portable Bitmap Utilities (PBM)", "Search for Portable Bitmap Utilities (PBM) Files", "*.PBM", 12},
        {"Dr.Halo (CUT)", "Search for Dr. Halo (CUT) Files", "*.CUT", 13},
        {"Photoshop 3.0 Format (PSD)", "Search for Photoshop 3.0 (PSD) Files", "*.PSD", 14},
        {"Portable Network Graphics Format (PNG)", "Search for Portable Network Graphics (PNG) Files", "*.PNG", 15},
        {"Truevision TARGA Format (TGA)", "Search for TrueVision TARGA (TGA) Files", "*.TGA", 16},
        {"Encapsulated PostScript (EPS)", "Search for Enacpsulated PostScript (EPS) Files", "*.EPS", 17},
        {"SUN Raster Format (RAS)", "Search for SUN RasterFormat (RAS) Files", "*.RAS", 18},
        {"WordPerfect Format (WPG)", "Search for WordPerfect Format (WPG) Files", "*.WPG", 19},
        {"Macintosh Pict Format (PCT)", "Search for Macintosh Pict Format (PCT) Files", "*.PCT", 20},
        {"Microsoft Windows ClipBoard (CLP)", "Search for Microsoft Windows ClipBoard (CLP) Files", "*.CLP", 21},
        {"X Window Dump (XWD)", "Search for X Window Dump (XWD) Files", "*.XWD", 22},
        {"Flic Animation (FLC)", "Search for Flic Animation (FLC) Files", "*.FLC", 23},
        {"Windows Animated Cursor (ANI)", "Search for Windows Animated Cursor (ANI) Files", "*.ANI", 24},
        {"Silicon Graphics Image (SGI)", "Search for Silicon Graphics Image (SGI) Files", "*.SGI", 25},
        {"Wave Files (WAV)", "Search for Sounds-WAV Files", "*.WAV", 26},
        {"MIDI Files (MID, RMI)", "Search for MIDI or RMI Music Files", "*.MID;*.RMI", 27},
        {"Audio - Video (AVI, MPG, MPEG, MOV)", "Search for Audio/Visual (Movie) (AVI,MPG,MOV) Files",
         "*.AVI;*.MPG;*.MPEG;*.MOV;*.MP2;*.ASF;*.ASX;*.WMV", 28},
        {"Music Files (MP3,M3U)", "Search for Music (MP3,M3U) Files", "*.MP3;*.M3U;*.WMA", 29},
        {"Miscellaneous (MAC,IMG,MSP,ICA,CAL)", "Search for Miscellaneous 1-Bit Formats (MAC,IMG, and MSP) Files",
         "*.MAC;*.IMG;*.MSP;*.ICA;*.CAL", 30},
        {"Any or All Picture Files", "Search for Any Supported Picture Files",
         "*.JPG;*.JPE;*.CMP;*.TIFF;*.TIF;*.MPT;*.BMP;*.ICO;*.CUR;*.PCX;*.DCX;*.PCD;*.FPX;*.DIC;*.WMF;*.EMF;*.FAX;"
         "*.XPM;*.IFF;*.PBM;*.CUT;*.PSD;*.PNG;*.TGA;*.EPS;*.JBG;*.RAS;*.WPG;*.PCT;*.MAC;*.IMG;*.MSP;*.ICA;*.CAL;"
         "*.CLP;*.XWP;*.FLC;*.ANI;*.SGI;*.FAX;*.AWD",
         31},
        {"Text Files (TXT,HTML, etc.)", "Search for Text (TXT,HTML, etc.) Files",
         "*.TXT;*.RTF;*.INI;*LOG;*.BAT;*.BAK;*.DOS;*.SYS;*.DOC;*.WPS;*.WDB;*.WRI;*.LST;*.HTM;*.HTML;*.SHTM;"
         "*.SHTML;*.ASP;*.URL;*.MSG",
         34},
        {"Enter File to Locate", "Enter your own file or Global File (*.*) Type to Find", "", 35},
    }};
    return v;
}

} // namespace browser

FindFle1::FindFle1(QWidget* parent, platform::ToolBarComp* toolbar) : QDialog(parent), m_toolbar(toolbar)
{
    setObjectName(QStringLiteral("FindFle1"));
    setWindowTitle(QStringLiteral("Enter File to Locate"));
    setModal(true);
    setProperty("lumivexToolWindow", true);

    auto* body = new QWidget(this);
    auto* lay = new QVBoxLayout(body);
    lay->setContentsMargins(0, 0, 0, 0);
    Label1 = new QLabel(QStringLiteral("Enter Name of File to Locate"), body);
    Label1->setObjectName(QStringLiteral("Label1"));
    lay->addWidget(Label1);

    Frame1 = new QFrame(body);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(Frame1);
    const auto& choices = browser::findChoices();
    const int rows = (browser::kFindChoiceCount + 1) / 2;
    for (int i = 0; i < browser::kFindChoiceCount; ++i) {
        auto* rd = new QRadioButton(QString::fromLatin1(choices[size_t(i)].caption), Frame1);
        rd->setObjectName(QStringLiteral("RDSELECT(%1)").arg(i));
        rd->setToolTip(QString::fromLatin1(choices[size_t(i)].toolTip));
        grid->addWidget(rd, i % rows, i / rows);
        connect(rd, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                RDSELECT_Click(i);
        });
        RDSELECT[size_t(i)] = rd;
    }
    lay->addWidget(Frame1);

    Text1 = new QLineEdit(body);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Enter File or Global Variable to Locate"));
    lay->addWidget(Text1);

    const browser::DialogButtons buttons =
        browser::layOutDialog(this, body, QStringLiteral("Click OK to Start File Search"),
                              QStringLiteral("Click Cancel to Close File Search Window"),
                              QStringLiteral("Help with File Search Window"));
    OKBtn = buttons.ok;
    CancelBtn = buttons.cancel;
    HelpBtn = buttons.help;
    connect(OKBtn, &QPushButton::clicked, this, &FindFle1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &FindFle1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &FindFle1::HelpBtn_Click);

    // The designed state: the first option chosen.
    {
        const QSignalBlocker block(RDSELECT[0]);
        RDSELECT[0]->setChecked(true);
    }
    Form_Load();
}

FindFle1::~FindFle1()
{
    if (!m_unloaded)
        Form_Unload();
}

void FindFle1::Form_Load()
{
    fSearchRunning = false;
    if (gs.nFindTypeIndex >= 0 && gs.nFindTypeIndex < browser::kFindChoiceCount) {
        RDSELECT[size_t(gs.nFindTypeIndex)]->setChecked(true);
        RDSELECT_Click(gs.nFindTypeIndex); // also when it was chosen already
    } else {
        gs.nFindTypeIndex = 0;
    }
    nFindChoice = gs.nFindTypeIndex;
    gs.fFindFleOpen = true;
}

void FindFle1::RDSELECT_Click(int index)
{
    nFindChoice = index;
    if (isVisible() && index == browser::kTypedChoice)
        Text1->setFocus();
}

void FindFle1::OKBtn_Click()
{
    const QString typed = Text1->text();
    if (!typed.isEmpty() && typed != QLatin1String(" "))
        nFindChoice = browser::kTypedChoice;
    const auto& choice = browser::findChoices()[size_t(nFindChoice)];
    cFindPattern = nFindChoice == browser::kTypedChoice ? typed : QString::fromLatin1(choice.pattern);
    fSearchRunning = true;
    nFindFilterRow = choice.filterRow;
    gs.nFindTypeIndex = nFindChoice;
    setCursor(Qt::WaitCursor);
    OKBtn->setCursor(Qt::WaitCursor);
    OKBtn->setEnabled(false);
    CancelBtn->setEnabled(false);
    done(QDialog::Accepted);
}

void FindFle1::CancelBtn_Click()
{
    fSearchRunning = false;
    done(QDialog::Rejected);
}

void FindFle1::HelpBtn_Click() { browser::sendHelpKey(this); }

void FindFle1::reject() { CancelBtn_Click(); }

void FindFle1::done(int result)
{
    if (!m_unloaded)
        Form_Unload();
    QDialog::done(result);
}

void FindFle1::Form_Unload()
{
    m_unloaded = true;
    {
        BusyGuard busy;
        if (platform::Tool* t = m_toolbar ? m_toolbar->Item(QStringLiteral("ID_Find")) : nullptr)
            t->setState(0);
    }
    gs.fFindFleOpen = false;
}

void FindFle1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void FindFle1::Form_Activate()
{
    // The window and its heading are plain; the frame and the buttons are
    // washed; each option stands in the window's background and text colours,
    // wherever the frame's wash beneath it has run to.
    dialogcolors::Paint plain = dialogcolors::conventionPaint(dialogcolors::Kind::Window);
    plain.washEnd.reset();
    dialogcolors::Paint heading = dialogcolors::conventionPaint(dialogcolors::Kind::Label);
    heading.back = gs.nSelectBackColor;
    dialogcolors::Paint option = dialogcolors::conventionPaint(dialogcolors::Kind::Check);
    option.back = gs.nSelectBackColor;
    QHash<const QWidget*, dialogcolors::Paint> paints{{this, plain}, {Label1, heading}};
    for (const QRadioButton* rd : RDSELECT)
        paints.insert(rd, option);
    dialogcolors::applyDialogColors(this, paints);
}
