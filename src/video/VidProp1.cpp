#include "video/VidProp1.h"

#include "platform/media/MediaProbe.h"
#include "platform/controls/Units.h"
#include "shared/DialogColors.h"
#include "shared/SharedState.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Row captions and the tops of their rows, in twips.
struct Row {
    const char* caption;
    int top;
};
constexpr Row kRowTable[VidProp1::kRows] = {
    {"Title:", 75},           {"Author:", 450},        {"Copyright:", 825},        {"Description:", 1200},
    {"Rating:", 1575},        {"Audio Format:", 2175}, {"Average Data Rate:", 2550}, {"Sample Rate:", 2925},
    {"Audio Sample Size:", 3300}, {"Channels:", 3675}, {"Video Compression:", 4350}, {"Frame Width:", 4725},
    {"Frame Height:", 5100},  {"Play Length:", 5475},  {"Frame Count:", 5850},     {"Frame Rate:", 6225},
    {"Data Rate:", 6600},     {"Sample Size:", 6975},
};
constexpr int kCaptionLeft = 225, kCaptionWidth = 3090, kValueLeft = 3375, kValueWidth = 3990, kRowHeight = 345;

// The value label of caption row r: the audio format's value stands last.
int valueIndexOfRow(int r) { return r == 5 ? 17 : (r > 5 ? r - 1 : r); }

// Two decimals as the user's regional settings write numbers.
QString twoDecimals(double v) { return QLocale().toString(v, 'f', 2); }
QString hexCode(std::int64_t v) { return QStringLiteral("0x") + QString::number(v, 16).toUpper(); }

} // namespace

VidProp1::VidProp1(VidPropLinks links, QWidget* parent) : QWidget(parent, Qt::Window), m_links(std::move(links))
{
    setObjectName(QStringLiteral("VidProp1"));
    setWindowTitle(QStringLiteral("Video File Properties"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("lumivexToolWindow", true);
    buildWindow();
    Form_Load();
}

VidProp1::~VidProp1() { Form_Unload(); }

void VidProp1::buildWindow()
{
    using platform::twipsToPixelsX;
    using platform::twipsToPixelsY;
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    for (int r = 0; r < kRows; ++r) {
        const int top = twipsToPixelsY(kRowTable[r].top);
        const int height = twipsToPixelsY(kRowHeight);
        Label1[r] = new QLabel(QString::fromLatin1(kRowTable[r].caption), Frame1);
        Label1[r]->setObjectName(QStringLiteral("Label1_%1").arg(r));
        Label1[r]->setGeometry(twipsToPixelsX(kCaptionLeft), top, twipsToPixelsX(kCaptionWidth), height);
        const int v = valueIndexOfRow(r);
        Label2[v] = new QLabel(Frame1);
        Label2[v]->setObjectName(QStringLiteral("Label2_%1").arg(v));
        Label2[v]->setGeometry(twipsToPixelsX(kValueLeft), top, twipsToPixelsX(kValueWidth), height);
        Label2[v]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    Frame1->setFixedSize(twipsToPixelsX(kValueLeft + kValueWidth + kCaptionLeft),
                         twipsToPixelsY(kRowTable[kRows - 1].top + kRowHeight + 75));

    const auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QStringLiteral("Close Properties Window"));
        b->setAutoDefault(false);
        return b;
    };
    OKBtn = button("OKBtn", "OK");
    CancelBtn = button("CancelBtn", "Cancel");
    OKBtn->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKBtn);
    row->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(OKBtn, &QPushButton::clicked, this, &VidProp1::OKBtn_Click);
    connect(CancelBtn, &QPushButton::clicked, this, &VidProp1::CancelBtn_Click);
}

void VidProp1::Form_Load()
{
    gs.fVidPropOpen = true;
    for (QLabel* l : Label2)
        l->clear();
    setWindowTitle(QStringLiteral("Properties for - ") + m_links.sourceFile);
    if (m_links.sourceFile.isEmpty())
        return;
    // What cannot be read stays empty; nothing is reported.
    const platform::MediaFacts facts = platform::probeMedia(m_links.sourceFile);
    fillStreams(facts);
    const QString tags[] = {facts.tags.title, facts.tags.author, facts.tags.copyright, facts.tags.description,
                            facts.tags.rating};
    for (int i = 0; i < 5; ++i)
        Label2[i]->setText(tags[i]);
}

void VidProp1::fillStreams(const platform::MediaFacts& facts)
{
    const auto set = [this](int label, bool known, const QString& text) {
        if (known)
            Label2[label]->setText(text);
    };
    // Several streams of one kind: the last one shows.
    for (const platform::StreamFacts& s : facts.streams) {
        if (s.kind == platform::StreamFacts::Audio) {
            set(17, s.audioFormatTag >= 0, hexCode(s.audioFormatTag));
            set(5, s.audioAvgBytesPerSec >= 0, twoDecimals(s.audioAvgBytesPerSec / 1024.0) + " Kb/second");
            set(6, s.audioSamplesPerSec >= 0, twoDecimals(s.audioSamplesPerSec / 1000.0) + " kHz");
            set(7, s.audioBitsPerSample >= 0, QString::number(s.audioBitsPerSample) + " bit");
            set(8, s.audioChannels >= 0, QString::number(s.audioChannels));
        } else if (s.kind == platform::StreamFacts::Video) {
            set(9, s.videoCompression >= 0, hexCode(s.videoCompression));
            set(10, s.videoWidth >= 0, QString::number(s.videoWidth) + " pixels");
            set(11, s.videoHeight >= 0, QString::number(s.videoHeight) + " pixels");
            set(12, facts.duration >= 0, twoDecimals(facts.duration) + " seconds");
            set(13, s.videoFrames >= 0, QString::number(s.videoFrames));
            set(14, s.videoFrameRate >= 0, twoDecimals(s.videoFrameRate) + " frames/second");
            set(15, s.videoBitRate >= 0, twoDecimals(s.videoBitRate / 8192.0) + " Kb/second");
            set(16, s.videoBitCount >= 0, QString::number(s.videoBitCount) + " bit");
        }
    }
}

void VidProp1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Activate();
}

void VidProp1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void VidProp1::Form_Activate()
{
    using dialogcolors::Paint;
    QHash<const QWidget*, Paint> paints;
    paints.insert(this, Paint{gs.nSelectBackColor, std::nullopt, gs.nSelectForeColor, false, 0});
    const Paint value{gs.nSelectBackColor, gs.nSelectWashEnd, gs.nSelectForeColor, gs.fBoldFonts, gs.nLabelStyle};
    for (QLabel* l : Label2)
        paints.insert(l, value);
    dialogcolors::applyDialogColors(this, paints);
}

void VidProp1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gs.fVidPropOpen = false;
    BusyGuard busy;
    if (m_links.releaseTool)
        m_links.releaseTool();
}

void VidProp1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QWidget::closeEvent(event);
}

void VidProp1::OKBtn_Click() { close(); }
void VidProp1::CancelBtn_Click() { close(); }
