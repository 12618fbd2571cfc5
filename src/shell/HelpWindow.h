#pragma once
// The program's help: a window over the HTML pages in "Help/" of the program
// folder, with a table of contents, a search and context help. A page is
// named after the window or tab it describes ("FindFle1.htm", "Pictures.htm");
// "index.htm" is the table of contents. F1 anywhere in the program opens the
// page of the focused control's window or tab.
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

// A top-level window of its own: a modal dialog does not block it, so that
// help opened from a dialog can be read and used while the dialog waits.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow();

    void showContents();
    void showSearch();
    // Shows a topic's page ("Pictures", "FindFle1"); the contents when there is none.
    void showTopic(const QString& topic);

    // The page file shown ("" for none) and the text shown.
    QString currentPage() const { return m_page; }
    QString shownText() const;
    // Runs a search: the titles of the pages that hold every word.
    QStringList search(const QString& words);

    QTabWidget* HelpTabs = nullptr;
    QListWidget* HelpContents = nullptr;
    QLineEdit* HelpSearchText = nullptr;
    QListWidget* HelpSearchResults = nullptr;
    QTextBrowser* HelpText = nullptr;

    // Makes the window take input while a modal dialog is up (done again
    // whenever a dialog blocks it, and when the dialog goes away).
    void stayUsable();

protected:
    bool event(QEvent* event) override;

private:
    void reloadContents();
    void showPage(const QString& file);
    QString m_page;
};

namespace help {

inline const QString kContentsPage = QStringLiteral("index.htm");

// The folder of the help pages (set by the main window at start-up).
void setHelpFolder(const QString& folder);
QString helpFolder();
// The page file of a topic, found without regard to case; "" when missing.
QString pageFile(const QString& topic);
// The title of a page file (its <title>, else its name).
QString pageTitle(const QString& file);
// Every page of the folder: the contents page first, then by title.
QStringList pageFiles();

// The topic of a control: the first window or tab panel above it (itself
// included) that has a page; "" for the contents.
QString topicFor(const QWidget* w);

// The help window, made on first use beside the owner (clear of its menu
// and tool bars) and closed with it.
HelpWindow* window(QWidget* owner);
HelpWindow* existingWindow();
void ShowContents(QWidget* owner);
void ShowSearch(QWidget* owner);
void ShowTopic(QWidget* owner, const QString& topic);
// Closes the help window when it is open.
void CloseHelp();

// Sends the F1 key to the focused control of a window and returns when it
// has been handled.
void SendF1(QWidget* window);
// Makes F1 open context help everywhere in the program (done once).
void installF1Handler(QWidget* owner);

} // namespace help
