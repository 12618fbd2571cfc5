#pragma once
// "Video File Properties": the tags and the sound and picture facts of the
// file in the active player, read once when the window loads. One modeless
// instance.
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace platform {
struct MediaFacts;
}

// What the window takes from the program around it.
struct VidPropLinks {
    QString sourceFile;                // the active player's file ("" when none)
    std::function<void()> releaseTool; // lets the command's tool go (called with fBusy set)
};

class VidProp1 : public QWidget {
    Q_OBJECT
public:
    explicit VidProp1(VidPropLinks links, QWidget* parent = nullptr);
    ~VidProp1() override;

    static constexpr int kRows = 18;
    QWidget* Frame1 = nullptr;
    QLabel* Label1[kRows] = {}; // row captions
    QLabel* Label2[kRows] = {}; // values (the audio format's is Label2[17])
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void OKBtn_Click();
    void CancelBtn_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    void fillStreams(const platform::MediaFacts& facts);

    VidPropLinks m_links;
    bool m_unloaded = false;
};
