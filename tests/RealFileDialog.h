#pragma once
// The real file dialogs in a test: the program's own messages stay scripted,
// its file dialogs are Qt's, and a driver types a name into the next one and
// presses Enter as a user would. A question the file dialog asks of its own
// (Qt's message box) is recorded and answered Yes.
#include "ScriptedDialogs.h"
#include "platform/controls/Dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace testsupport {

class RealFileDialogs : public platform::ScriptedDialogs {
public:
    RealFileDialogs() { platform::setDialogs(this); }
    ~RealFileDialogs() override { platform::setDialogs(nullptr); }
    platform::FileAnswer saveFile(const platform::FileRequest& request) override
    {
        fileRequests << request;
        return platform::qtDialogs().saveFile(request);
    }
    platform::FileAnswer openFile(const platform::FileRequest& request) override
    {
        fileRequests << request;
        return platform::qtDialogs().openFile(request);
    }
};

class FileDialogDriver : public QObject {
public:
    explicit FileDialogDriver(const QString& typed) : m_typed(typed)
    {
        connect(&m_timer, &QTimer::timeout, this, &FileDialogDriver::look);
        m_timer.start(20);
    }
    // The texts of the questions the file dialog asked by itself.
    QStringList ownQuestions;
    bool typed = false;

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && !box->property("answered").toBool()) {
            box->setProperty("answered", true);
            ownQuestions << box->text();
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QMetaObject::invokeMethod(box, [box, yes] { yes ? yes->click() : box->accept(); }, Qt::QueuedConnection);
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog && (!typed || ++m_looksSince % 100 == 0)) {
            // Typed again when the dialog is still up two seconds later: on
            // a real display the completer may have taken the first Enter.
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!edit)
                return;
            typed = true;
            // Typed and entered once this look is over: the dialog may ask a
            // question of its own, which the next look answers.
            QMetaObject::invokeMethod(
                edit,
                [dialog, edit, text = m_typed] {
                    // The keys go to the name box as a user's do, with the
                    // focus in it: only then does the dialog give up the
                    // file its list had selected for the name typed. The
                    // dialog is made Qt's active window, not the X
                    // server's, so that tests side by side never contend
                    // for the keyboard.
                    QApplication::setActiveWindow(dialog);
                    edit->setFocus(Qt::OtherFocusReason);
                    edit->selectAll();
                    QTest::keyClicks(edit, text);
                    // The name is whole: Enter goes to the dialog, not to
                    // the completer's list of names that typing opened.
                    if (QCompleter* c = edit->completer(); c && c->popup() && c->popup()->isVisible())
                        c->popup()->hide();
                    QTest::keyClick(edit, Qt::Key_Return);
                },
                Qt::QueuedConnection);
        }
    }
    QString m_typed;
    QTimer m_timer;
    int m_looksSince = 0;
};

} // namespace testsupport
