#pragma once
// "Create List of Preset Favorites for Quick Location": the favourite list
// editor. The user makes favourite lists, fills them with files picked from
// the editor's own file list or dropped from outside, orders and prunes them,
// saves and deletes them. One modeless instance at a time.
#include "lists/FavoriteLists.h"

#include <QDialog>
#include <QListWidget>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
namespace platform {
class ShellList;
}

// A list box that takes files dropped from outside the program.
class FileDropList : public QListWidget {
    Q_OBJECT
public:
    explicit FileDropList(QWidget* parent = nullptr);

signals:
    void dragEntered();
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class SetFavList1 : public QDialog {
    Q_OBJECT
public:
    // mainListFolder: the folder the main window's file list shows, which
    // the editor's own file list starts in.
    explicit SetFavList1(const QString& mainListFolder, QWidget* parent = nullptr);
    ~SetFavList1() override;

    // The answer of the new-list window.
    QString cNewFavListName;
    bool fFavListCancel = false;

    // The current list: program folder, "FavoriteLists" and the list's name,
    // without the extension; empty while no list is current.
    QString cFavListPath;
    bool fFavListChanged = false;
    bool fFirstActivate = false;
    QString cAllMediaPattern;
    struct FilterTable {
        std::array<QString, lists::kFavoriteFilterSlots> names;
        std::array<QString, lists::kFavoriteFilterSlots> patterns; // blank padded
    } FavoriteFilterTable;

    platform::ShellList* PTxShList1 = nullptr;
    QComboBox* CMBFILTER = nullptr;
    QListWidget* List2 = nullptr;   // the list names
    FileDropList* List1 = nullptr;  // the current list's entries
    std::array<QLabel*, 3> Label1{};
    QFrame* Frame1 = nullptr;
    QPushButton *RightBtn = nullptr, *LefttBtn = nullptr, *UpBtn = nullptr, *DownBtn = nullptr;
    QPushButton *AllBtn = nullptr, *ClearBtn = nullptr, *GoUpBtn = nullptr, *NewBtn = nullptr;
    QPushButton *DeleteBtn = nullptr, *OKBtn = nullptr, *CancelBtn = nullptr, *HelpBtn = nullptr;

    // The entries on show, in order.
    QStringList entries() const;

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void SetUpFavoriteFilters();
    void CMBFILTER_Click();
    void List2_Click();
    void List1_Click();
    void List1_OLEDragDrop(const QStringList& paths);
    void NewBtn_Click();
    void DeleteBtn_Click();
    void RightBtn_Click();
    void AllBtn_Click();
    void LefttBtn_Click();
    void UpBtn_Click();
    void DownBtn_Click();
    void ClearBtn_Click();
    void GoUpBtn_Click();
    void OKBtn_Click();
    void CancelBtn_Click();
    void HelpBtn_Click();

    void done(int result) override;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildPickSide();
    QWidget* buildListSide();
    void locateCurrentPicture();
    // Writes the entries to the current list's file when they changed; the
    // flag is cleared only when they were written. Nothing without a current list.
    void saveChangedList();
    // Selects a name of List2 from code and runs the list switch.
    void selectListName(int row);
    void selectEntry(int row);
    void setChanged() { fFavListChanged = true; }
    // The row of List2 holding the name in any letter case; -1 for none.
    int rowOfListName(const QString& name) const;
    bool currentListHasFile() const;
    // The entries on show were emptied by Clear or by removing the last one.
    bool m_emptiedByUser = false;
    bool m_unloaded = false;
    bool m_activating = false;
};
