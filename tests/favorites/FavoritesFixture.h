#pragma once
// A program folder with favourite lists, scripted dialogs and the steps a
// user takes in the favourite list windows.
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "favorites/SetFavList1.h"
#include "favorites/SetFavNew1.h"
#include "platform/controls/Dialogs.h"
#include "platform/shell/ShellList.h"
#include "shared/SharedState.h"
#include "shared/Tables.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace favtest {

class Favorites : public ::testing::Test {
protected:
    void SetUp() override
    {
        tables::fillExtensionTable();
        gs.cProgramFolder = folder.path();
        gs.fAddCurrentPicture = false;
        gs.cCurrentPicture.clear();
    }
    void TearDown() override { gs.cProgramFolder.clear(); }

    testsupport::ProgramFolder folder{false};
    platform::ScopedDialogs dialogs;

    QString listFile(const QString& name) const { return folder.file("FavoriteLists/" + name + ".FLST"); }
    QString file(const QString& relative, const QByteArray& bytes = "x") const
    {
        const QString path = folder.file(relative);
        testsupport::writeFile(path, bytes);
        return path;
    }
    QStringList listFiles() const
    {
        return QDir(folder.file("FavoriteLists")).entryList(QDir::Files | QDir::Hidden);
    }

    // Answers the next new-list window: types the names in turn (each refused
    // one stays in the window) and presses OK; a null name presses Cancel.
    static void answerNewList(const QStringList& names)
    {
        testsupport::whenModal<SetFavNew1>([names](SetFavNew1* d) {
            for (const QString& name : names) {
                if (name.isNull()) {
                    QTest::mouseClick(d->CancelBtn, Qt::LeftButton);
                    return;
                }
                d->Text1->clear();
                QTest::keyClicks(d->Text1, name);
                QTest::mouseClick(d->OKBtn, Qt::LeftButton);
            }
        });
    }

    // Opens the editor on the folder and lets its first activation run.
    std::unique_ptr<SetFavList1> openEditor(const QString& shellFolder)
    {
        auto editor = std::make_unique<SetFavList1>(shellFolder);
        editor->show();
        for (int i = 0; i < 20 && editor->fFirstActivate; ++i)
            QTest::qWait(5);
        return editor;
    }

    static void clickRow(QListWidget* list, int row)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    static void clickShellItem(platform::ShellList* shell, const QString& name)
    {
        QAbstractItemView* view = shell->currentView();
        for (int i = 0; i < shell->Count(); ++i)
            if (shell->ItemAt(i)->Name() == name) {
                const QRect r = view->visualRect(view->model()->index(i, 0));
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
                return;
            }
        ADD_FAILURE() << "no item " << name.toStdString();
    }
    static QStringList texts(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
};

} // namespace favtest
