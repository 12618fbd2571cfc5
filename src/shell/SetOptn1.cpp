#include "shell/SetOptn1.h"

#include "platform/controls/Dialogs.h"
#include "shared/DialogColors.h"
#include "shared/SharedState.h"
#include "shell/HelpWindow.h"
#include "shell/OptionEntries.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

SetOptn1* gInstance = nullptr;

// Twips per centimetre when no main window gave the screen scale.

void messageBox(const QString& text)
{
    platform::dialogs().message(kProgramTitle, text, platform::Buttons::Ok, platform::Icon::None);
}

void reportWriteError(int number, const QString& description)
{
    messageBox(QStringLiteral("Error: ") + QString::number(number) + QStringLiteral(" - ") + description);
}

// The colour boxes in table order: background 0-9, text 10-19, wash end 20-23.
std::array<platform::OleColor*, 24> colorVariables()
{
    return {&gs.nMainBackColor,     &gs.nMenuBackColor,        &gs.nTabBackColor,    &gs.nSelectBackColor,
            &gs.nListBackColor,     &gs.nThumbWindowBackColor, &gs.nThumbBackColor,  &gs.nPictureBackColor,
            &gs.nEntryBackColor,    &gs.nButtonBackColor,      &gs.nMainForeColor,   &gs.nMenuForeColor,
            &gs.nTabForeColor,      &gs.nSelectForeColor,      &gs.nListForeColor,   &gs.nThumbWindowForeColor,
            &gs.nThumbForeColor,    &gs.nPictureForeColor,     &gs.nEntryForeColor,  &gs.nButtonForeColor,
            &gs.nMainWashEnd,       &gs.nSelectWashEnd,        &gs.nPictureWashEnd,  &gs.nButtonWashEnd};
}

// What the windows paint each colour box's colour as, in the same order. The
// thumbnails cross over: a selected thumbnail's text is nThumbBackColor and
// its background nThumbWindowForeColor.
platform::ColorRole colorRole(int index)
{
    using platform::ColorRole;
    if (index == 6)
        return ColorRole::Text;
    if (index == 15)
        return ColorRole::Background;
    return index >= 10 && index < 20 ? ColorRole::Text : ColorRole::Background;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, const char* tip)
{
    auto* c = new QCheckBox(QString::fromLatin1(caption), parent);
    c->setObjectName(QString::fromLatin1(name));
    if (tip)
        c->setToolTip(QString::fromLatin1(tip));
    return c;
}

QComboBox* comboBox(QWidget* parent, const char* name, const char* tip, const QStringList& items)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setToolTip(QString::fromLatin1(tip));
    c->addItems(items);
    return c;
}

QLabel* label(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    return l;
}

void selectIndex(QComboBox* c, int index)
{
    if (index >= 0 && index < c->count())
        c->setCurrentIndex(index);
}

// -1 (unchanged) when nothing is selected.
int selectedIndex(const QComboBox* c) { return c->currentIndex(); }

} // namespace

// ---------------------------------------------------------------- colour box

ColorBox::ColorBox(platform::ColorRole role, QWidget* parent) : QLineEdit(parent), m_role(role)
{
    setReadOnly(true);
    setFixedSize(64, 22);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setToolTip(QStringLiteral("Double Click to Select a Color"));
    setProperty(dialogcolors::kOwnColorsProperty, true);
}

void ColorBox::setColor(platform::OleColor c)
{
    m_color = c;
    setStyleSheet(QStringLiteral("QLineEdit { background: %1; border: 1px solid #404040; }")
                      .arg(shownColor().name()));
}

void ColorBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    emit DblClick();
}

// ---------------------------------------------------------------- the dialog

SetOptn1* SetOptn1::current() { return gInstance; }

SetOptn1* SetOptn1::instance(QWidget* parent, double twipsPerCmX, double twipsPerCmY)
{
    if (!gInstance) {
        gInstance = new SetOptn1(parent);
        if (twipsPerCmX > 0)
            gInstance->m_twipsPerCmX = twipsPerCmX;
        if (twipsPerCmY > 0)
            gInstance->m_twipsPerCmY = twipsPerCmY;
        gInstance->Form_Load();
    }
    return gInstance;
}

int SetOptn1::pageForCommand(const QString& id)
{
    if (id == QLatin1String("ID_mnuSetColorsforOrbanth"))
        return ColorsPage;
    if (id == QLatin1String("ID_SetClrBtn") || id == QLatin1String("ID_mnuSetOrbanthOptions"))
        return OptionsPage;
    return 0;
}

bool SetOptn1::openForCommand(const QString& id)
{
    const int page = pageForCommand(id);
    if (page == 0)
        return false;
    showModalOnPage(page);
    return true;
}

void SetOptn1::showModalOnPage(int page)
{
    SetOptn1* d = instance();
    if (page >= 1 && page <= d->TabStrip1->count())
        d->TabStrip1->setCurrentIndex(page - 1);
    if (d->isVisible()) {
        d->raise();
        d->activateWindow();
        return;
    }
    d->Form_Activate();
    d->exec();
}

SetOptn1::SetOptn1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetOptn1"));
    setWindowTitle(QStringLiteral("Set Program Colors and Options"));
    setProperty("lumivexToolWindow", true);
    setModal(true);
    buildWindow();
}

SetOptn1::~SetOptn1()
{
    if (!m_unloaded) {
        gs.fSetOptnOpen = false;
        if (gInstance == this)
            gInstance = nullptr;
    }
}

void SetOptn1::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    TabStrip1 = new QTabWidget(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabPanel1 = buildColorsPage();
    TabPanel2 = buildOptionsPage();
    TabPanel3 = buildSearchPage();
    TabPanel1->setObjectName(QStringLiteral("TabPanel1"));
    TabPanel2->setObjectName(QStringLiteral("TabPanel2"));
    TabPanel3->setObjectName(QStringLiteral("TabPanel3"));
    TabStrip1->addTab(TabPanel1, QStringLiteral("Colors"));
    TabStrip1->addTab(TabPanel2, QStringLiteral("Options"));
    TabStrip1->addTab(TabPanel3, QStringLiteral("Search"));
    TabStrip1->setTabToolTip(0, QStringLiteral("Set Colors"));
    TabStrip1->setTabToolTip(1, QStringLiteral("Set General Options"));
    TabStrip1->setTabToolTip(2, QStringLiteral("Search and ThumbNails"));
    layout->addWidget(TabStrip1);

    auto* buttons = new QHBoxLayout;
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Accept Program Colors and Options"));
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setToolTip(QStringLiteral("Close the Set Program Colors and Options Window"));
    HelpBtn = new QPushButton(QStringLiteral("Help"), this);
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    HelpBtn->setToolTip(QStringLiteral("Help with Set Program Colors and Options Window"));
    for (QPushButton* b : {OKBtn, CancelBtn, HelpBtn})
        b->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    layout->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &SetOptn1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &SetOptn1::CancelBtn_Click);
    connect(HelpBtn, &QPushButton::clicked, this, &SetOptn1::HelpBtn_Click);
}

QWidget* SetOptn1::buildColorsPage()
{
    static const char* rows[] = {
        "Select Color for Main Windows:",    "Select Color for Menus and Toolbar:",
        "Select Color for Window Tabs:",     "Select Color for Selection Window:",
        "Select Color for List Boxes:",      "Select Color for ThumbNail Window:",
        "Select Color for ThumbNails:",      "Select Color for Picture Window:",
        "Select Color for Entry Fields:",    "Select Color for Command Buttons:"};
    // The wash-end box of each row that has one.
    static const int washRow[4] = {0, 3, 7, 9};

    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(label(page, QStringLiteral("Background")), 0, 1, Qt::AlignHCenter);
    grid->addWidget(label(page, QStringLiteral("Text")), 0, 2, Qt::AlignHCenter);
    grid->addWidget(label(page, QStringLiteral("Grad End")), 0, 3, Qt::AlignHCenter);
    for (int i = 0; i < 24; ++i) {
        Text3[i] = new ColorBox(colorRole(i), page);
        Text3[i]->setObjectName(QStringLiteral("Text3(%1)").arg(i));
        connect(Text3[i], &ColorBox::DblClick, this, [this, i]() { Text3_DblClick(i); });
    }
    for (int r = 0; r < 10; ++r) {
        grid->addWidget(label(page, QString::fromLatin1(rows[r])), r + 1, 0);
        grid->addWidget(Text3[r], r + 1, 1);
        grid->addWidget(Text3[r + 10], r + 1, 2);
    }
    for (int k = 0; k < 4; ++k)
        grid->addWidget(Text3[20 + k], washRow[k] + 1, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(11, 1);
    return page;
}

QWidget* SetOptn1::buildOptionsPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    CMBMENU = comboBox(page, "CMBMENU", "Set Menu and Toolbar Style",
                       {QStringLiteral("Windows 95/98"), QStringLiteral("Windows 2000"), QStringLiteral("Windows XP")});
    CMBMENUTYPE = comboBox(page, "CMBMENUTYPE", "Set Menu and Toolbar Font Types",
                           {QStringLiteral("None"), QStringLiteral("Light Raised"), QStringLiteral("Heavy Raised"),
                            QStringLiteral("Light Inset"), QStringLiteral("Heavy Inset")});
    CMBFONTTYPE = comboBox(page, "CMBFONTTYPE", "Set Label Text Type or Style",
                           {QStringLiteral("None"), QStringLiteral("Raised Light"), QStringLiteral("Raised Heavy"),
                            QStringLiteral("Lowered Light"), QStringLiteral("Lowered Heavy")});
    grid->addWidget(label(page, QStringLiteral("Menu Style:")), 0, 0);
    grid->addWidget(CMBMENU, 0, 1);
    grid->addWidget(label(page, QStringLiteral("Menu Font:")), 1, 0);
    grid->addWidget(CMBMENUTYPE, 1, 1);
    grid->addWidget(label(page, QStringLiteral("Text Style")), 2, 0);
    grid->addWidget(CMBFONTTYPE, 2, 1);

    CHKBOLD = checkBox(page, "CHKBOLD", "Use Bold Type On Window Fonts", nullptr);
    CHKBOLD->setToolTip(QStringLiteral("Use Bold Type On Window Fonts"));
    grid->addWidget(CHKBOLD, 3, 0, 1, 3);

    SCOPTJPEGQ = new QScrollBar(Qt::Horizontal, page);
    SCOPTJPEGQ->setObjectName(QStringLiteral("SCOPTJPEGQ"));
    SCOPTJPEGQ->setRange(1, 99);
    SCOPTJPEGQ->setPageStep(5);
    SCOPTJPEGQ->setSingleStep(1);
    SCOPTJPEGQ->setValue(10);
    SCOPTJPEGQ->setMinimumWidth(160);
    SCOPTJPEGQ->setToolTip(QStringLiteral("JPEG Quality"));
    Label4[20] = new QLabel(page);
    Label4[20]->setObjectName(QStringLiteral("Label4(20)"));
    Label4[20]->setMinimumWidth(30);
    grid->addWidget(label(page, QStringLiteral("JPEG Quality:")), 4, 0);
    grid->addWidget(SCOPTJPEGQ, 4, 1);
    grid->addWidget(Label4[20], 4, 2);
    connect(SCOPTJPEGQ, &QScrollBar::valueChanged, this, [this](int) { SCOPTJPEGQ_Change(); });

    CHKAUTOPICT = checkBox(page, "CHKAUTOPICT", "Auto Display Pictures and Text on Double Click",
                           "Automatically Display Pictures when clicking on Picture File");
    CHKAUTOVIDEO = checkBox(page, "CHKAUTOVIDEO", "Automatically Start Playing Videos on Double Click",
                            "Automatically Start Playing Videos when Selecting from File Explorer on Main Window");
    CHKAUTOMUSIC = checkBox(page, "CHKAUTOMUSIC", "Automatically Start Playing Music on Double Click",
                            "Automatically Start Playing Music when Selecting from File Explorer on Main Window");
    CHKVIDEOLIST = checkBox(page, "CHKVIDEOLIST", "Display Play List on Video Frame at Startup",
                            "Display Video Play List when first entering Video Frame");
    CHKOPTMUSICLOOP = checkBox(page, "CHKOPTMUSICLOOP", "Preset Music Continuous Loop",
                               "Check Music Continuous Loop Check Box when first entering Music Frame");
    CHKOPTVIDEOLOOP = checkBox(page, "CHKOPTVIDEOLOOP", "Preset Video Continuous Loop",
                               "Check Video Continuous Loop Check Box when first entering Video Frame");
    CHKSAVEFOLDER = checkBox(page, "CHKSAVEFOLDER", "Save Last Folder for next Program Startup",
                             "Save the Last Folder Used to Start next time using the Program");
    CHKDOCUMENTTEXT = checkBox(page, "CHKDOCUMENTTEXT", "Display Word Documents and HTML as Source Text",
                               "Display Word Documents and HTML as Source Text");
    int row = 5;
    for (QCheckBox* c : {CHKAUTOPICT, CHKAUTOVIDEO, CHKAUTOMUSIC, CHKVIDEOLIST, CHKOPTMUSICLOOP, CHKOPTVIDEOLOOP,
                         CHKSAVEFOLDER, CHKDOCUMENTTEXT})
        grid->addWidget(c, row++, 0, 1, 3);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* SetOptn1::buildSearchPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    for (int i = 0; i < 4; ++i) {
        Text4[i] = new QLineEdit(page);
        Text4[i]->setObjectName(QStringLiteral("Text4(%1)").arg(i));
        Text4[i]->setMaximumWidth(90);
    }
    Text4[0]->setToolTip(QStringLiteral("ThumbNail Height (cm)"));
    Text4[1]->setToolTip(QStringLiteral("ThumbNail Width (cm)"));
    Text4[2]->setToolTip(
        QStringLiteral("Enter the Number of Files and Folders to Search before Stopping and Prompting to Continue"));
    Text4[3]->setToolTip(QStringLiteral("Enter the Number of Files and Folders to Search before Stopping and "
                                        "Prompting to Continue when Searching Accross the Local Network"));
    QStringList bits;
    for (int b : {32, 24, 16, 8, 7, 6, 5, 4, 3, 2, 1})
        bits << QStringLiteral("%1 Bits/Bitmap").arg(b);
    CMBTHUMBRESL = comboBox(page, "CMBTHUMBRESL", "ThumbNail Resolution - Bits per Bitmap on ThumbNail", bits);

    grid->addWidget(label(page, QStringLiteral("ThumbNail Height (cm):")), 0, 0);
    grid->addWidget(Text4[0], 0, 1);
    grid->addWidget(label(page, QStringLiteral("0.5 to 5.5 cm Range")), 0, 2, 2, 1);
    grid->addWidget(label(page, QStringLiteral("ThumbNail Width (cm):")), 1, 0);
    grid->addWidget(Text4[1], 1, 1);
    grid->addWidget(label(page, QStringLiteral("ThumbNail Resolution:")), 2, 0);
    grid->addWidget(CMBTHUMBRESL, 2, 1);
    grid->addWidget(label(page, QStringLiteral("Initial Number of Folders and Files to Search")), 3, 0);
    grid->addWidget(Text4[2], 3, 1);
    grid->addWidget(label(page, QStringLiteral("(2,500 - 10,000)")), 3, 2);
    grid->addWidget(label(page, QStringLiteral("Number of Folders and Files to Search on Next Searches")), 4, 0);
    grid->addWidget(Text4[3], 4, 1);
    grid->addWidget(label(page, QStringLiteral("(500 - 2,500)")), 4, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(5, 1);
    return page;
}


// ---------------------------------------------------------------- load and unload

void SetOptn1::Form_Load()
{
    FillColorBoxes();
    FillOptionControls();
    Form_Activate();
    gs.fSetOptnOpen = true;
}

void SetOptn1::Form_Activate() { dialogcolors::applyDialogColors(this); }

void SetOptn1::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_unloaded)
        Form_Activate();
}

void SetOptn1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gs.fSetOptnOpen = false;
    if (gInstance == this)
        gInstance = nullptr;
    QDialog::done(QDialog::Rejected);
    deleteLater();
}

void SetOptn1::reject() { Form_Unload(); }

void SetOptn1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void SetOptn1::CancelBtn_Click() { Form_Unload(); }

void SetOptn1::HelpBtn_Click()
{
    // Help for this window answers F1; the key is handled before this returns.
    help::SendF1(this);
}

// ---------------------------------------------------------------- filling and reading

void SetOptn1::FillColorBoxes()
{
    const auto vars = colorVariables();
    for (int i = 0; i < 24; ++i)
        Text3[i]->setColor(*vars[i]);
}

void SetOptn1::ReadColorBoxes()
{
    const auto vars = colorVariables();
    for (int i = 0; i < 24; ++i)
        *vars[i] = Text3[i]->color();
}

void SetOptn1::FillOptionControls()
{
    selectIndex(CMBMENU, gs.nMenuStyle);
    selectIndex(CMBMENUTYPE, gs.nMenuFontType);
    selectIndex(CMBFONTTYPE, gs.nLabelStyle);
    CHKBOLD->setChecked(gs.fBoldFonts);
    CHKAUTOPICT->setChecked(gs.fAutoPictures);
    CHKAUTOVIDEO->setChecked(gs.fAutoVideo);
    CHKAUTOMUSIC->setChecked(gs.fAutoMusic);
    CHKVIDEOLIST->setChecked(gs.fShowVideoList);
    CHKOPTMUSICLOOP->setChecked(gs.fMusicLoop);
    CHKOPTVIDEOLOOP->setChecked(gs.fVideoLoop);
    CHKSAVEFOLDER->setChecked(gs.fSaveLastFolder);
    CHKDOCUMENTTEXT->setChecked(gs.fDocumentsAsText);
    // The bar starts at the stored quality; a stored value outside its range
    // leaves the bar where it is, the label shows the value all the same.
    if (gs.nJpegQuality >= SCOPTJPEGQ->minimum() && gs.nJpegQuality <= SCOPTJPEGQ->maximum()) {
        const QSignalBlocker block(SCOPTJPEGQ);
        SCOPTJPEGQ->setValue(gs.nJpegQuality);
    }
    Label4[20]->setText(QString::number(gs.nJpegQuality));
    const QLocale locale;
    m_shownHeight = optionentries::centimetresText(gs.nThumbHeight, twipsPerCmY(), locale);
    m_shownWidth = optionentries::centimetresText(gs.nThumbWidth, twipsPerCmX(), locale);
    Text4[0]->setText(m_shownHeight);
    Text4[1]->setText(m_shownWidth);
    selectIndex(CMBTHUMBRESL, gs.nThumbBitsIndex);
    Text4[2]->setText(QString::number(gs.nSearchFirstCount));
    Text4[3]->setText(QString::number(gs.nSearchNextCount));
}

void SetOptn1::ReadOptionControls()
{
    if (selectedIndex(CMBMENU) >= 0)
        gs.nMenuStyle = selectedIndex(CMBMENU);
    if (selectedIndex(CMBMENUTYPE) >= 0)
        gs.nMenuFontType = selectedIndex(CMBMENUTYPE);
    if (selectedIndex(CMBFONTTYPE) >= 0)
        gs.nLabelStyle = selectedIndex(CMBFONTTYPE);
    gs.fBoldFonts = CHKBOLD->isChecked();
    gs.fAutoPictures = CHKAUTOPICT->isChecked();
    gs.fAutoVideo = CHKAUTOVIDEO->isChecked();
    gs.fAutoMusic = CHKAUTOMUSIC->isChecked();
    gs.fShowVideoList = CHKVIDEOLIST->isChecked();
    gs.fMusicLoop = CHKOPTMUSICLOOP->isChecked();
    gs.fVideoLoop = CHKOPTVIDEOLOOP->isChecked();
    gs.fSaveLastFolder = CHKSAVEFOLDER->isChecked();
    gs.fDocumentsAsText = CHKDOCUMENTTEXT->isChecked();
    gs.nJpegQuality = int(optionentries::leadingNumber(Label4[20]->text()));

    // A size field still showing what it was filled with keeps the stored
    // pixels: the centimetres shown are rounded and would not give them back.
    const QLocale locale;
    if (Text4[0]->text() != m_shownHeight)
        gs.nThumbHeight =
            optionentries::pixelsFromCentimetres(optionentries::leadingNumber(Text4[0]->text(), locale), twipsPerCmY());
    if (Text4[1]->text() != m_shownWidth)
        gs.nThumbWidth =
            optionentries::pixelsFromCentimetres(optionentries::leadingNumber(Text4[1]->text(), locale), twipsPerCmX());
    if (selectedIndex(CMBTHUMBRESL) >= 0)
        gs.nThumbBitsIndex = selectedIndex(CMBTHUMBRESL);
    gs.nSearchFirstCount = int(std::floor(optionentries::leadingNumber(Text4[2]->text())));
    gs.nSearchNextCount = int(std::floor(optionentries::leadingNumber(Text4[3]->text())));
    // What the new sizes show as from now on.
    m_shownHeight = Text4[0]->text();
    m_shownWidth = Text4[1]->text();
}

bool SetOptn1::CheckOptionEntries()
{
    const QLocale locale;
    const auto fault = optionentries::checkEntries(optionentries::leadingNumber(Text4[0]->text(), locale),
                                                   optionentries::leadingNumber(Text4[1]->text(), locale),
                                                   optionentries::leadingNumber(Text4[2]->text()),
                                                   optionentries::leadingNumber(Text4[3]->text()));
    if (fault == optionentries::EntryFault::None)
        return true;
    messageBox(optionentries::faultMessage(fault));
    return false;
}

// ---------------------------------------------------------------- the files

void SetOptn1::SaveColors()
{
    int number = 0;
    QString description;
    if (!settings::writeColors(gs.programFile(settings::kColorsFile), gs, &number, &description))
        reportWriteError(number, description);
}

void SetOptn1::SaveOptions()
{
    int number = 0;
    QString description;
    if (!settings::writeOptions(gs.programFile(settings::kOptionsFile), gs, &number, &description))
        reportWriteError(number, description);
}

// ---------------------------------------------------------------- handlers

void SetOptn1::SCOPTJPEGQ_Change() { Label4[20]->setText(QString::number(SCOPTJPEGQ->value())); }

void SetOptn1::Text3_DblClick(int index)
{
    if (index < 0 || index >= 24)
        return;
    const auto picked = platform::dialogs().color(QStringLiteral("Select Color"), Text3[index]->shownColor());
    if (picked && picked->isValid())
        Text3[index]->setColor(platform::toOleColor(*picked));
}

void SetOptn1::OKBtn_Click()
{
    ReadColorBoxes();
    SaveColors();
    if (CheckOptionEntries()) {
        ReadOptionControls();
        SaveOptions();
        emit optionsApplied();
        Form_Activate();
    }
    for (ColorBox* b : Text3)
        b->update();
    for (QLineEdit* t : Text4)
        t->update();
    CMBTHUMBRESL->update();
}
