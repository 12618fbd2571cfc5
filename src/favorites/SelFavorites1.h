#pragma once
// "Select Favorite List": shows the favourite lists, the entries of the chosen
// list and a preview of a chosen picture; opens an entry in the main window,
// or makes the main window's file list show the entry's folder. It never
// changes a list. One modeless instance at a time.
#include <QDialog>
#include <QListWidget>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;
namespace platform {
class Lead;
}

// A list box that reports its mouse and key events after it has handled them
// itself (so a press that selects an entry reports the selection first).
class DragArmList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    void mouseDown(Qt::MouseButton button);
    void mouseMoved();
    void mouseUp();
    void keyPressed(int keyAscii);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class SelFavorites1 : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const QString&)> displayFile; // the main window shows the file
        std::function<void(const QString&)> showFolder;  // the main file list shows the folder
    };
    explicit SelFavorites1(Hooks hooks, QWidget* parent = nullptr);
    ~SelFavorites1() override;

    DragArmList* List2 = nullptr; // the list names
    DragArmList* List1 = nullptr; // the chosen list's entries
    platform::Lead* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Frame1 = nullptr;
    QPushButton *OKBtn = nullptr, *CancelBtn = nullptr, *HelpBtn = nullptr;

    QString cSelListPath;
    bool fFormLoading = false;
    bool fFileDragArmed = false, fListDragArmed = false;
    double nFileDownTime = 0, nListDownTime = 0;

    // Seconds since midnight; tests put in their own clock.
    std::function<double()> clock;
    // Begins the drag of a list that carries nothing anyone accepts; tests
    // put in their own.
    std::function<void(QListWidget* list)> beginDrag;
    // Ends a drag under way.
    void cancelDrag(QListWidget* list);

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void List2_Click();
    void List1_Click();
    void List1_DblClick();
    void List2_DblClick();
    void Image1_DblClick();
    void PreviewPicture(const QString& path);
    void previewFailed(int error);
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();

    // The mouse and key events of the two lists (button: Qt's button).
    void List_MouseDown(QListWidget* list, Qt::MouseButton button);
    void List_MouseMove(QListWidget* list);
    void List_MouseUp(QListWidget* list);
    void List_KeyPress(QListWidget* list, int keyAscii);
    void Frame1_MouseDown(Qt::MouseButton button);

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool& armedFlag(QListWidget* list) { return list == List1 ? fFileDragArmed : fListDragArmed; }
    double& downTime(QListWidget* list) { return list == List1 ? nFileDownTime : nListDownTime; }
    void connectList(DragArmList* list);
    Hooks m_hooks;
    QListWidget* m_dragging = nullptr;
    bool m_unloaded = false;
};
