#pragma once
// A main window over folders the test makes: the folder tree's only root is
// the test's data folder, the program folder is a temporary current folder.
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "platform/controls/Dialogs.h"
#include "platform/shell/ShellList.h"
#include "platform/shell/ShellTree.h"
#include "shared/SharedState.h"
#include "browser/SearchSession.h"
#include "browser/ThumbnailRun.h"
#include "window/Lumivex1.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(", ").toStdString() << ']'; }

// The main window with the viewers' procedures recorded instead of run.
class BrowserWindow : public Lumivex1 {
public:
    BrowserWindow() : Lumivex1(QStringList{}) {}
    void DisplayFile(const QString& path) override { displayed << path; }
    void LoadImage(const QString& path) override { loaded << path; }
    QStringList displayed, loaded;
};

class BrowserFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(data.isValid());
        w = std::make_unique<BrowserWindow>();
        w->PTxShTree1->setRootFolders({data.path()});
        gs.cLastFolder = data.path();
        w->finishStartUp();
        w->CMBFILTER->setCurrentIndex(35); // "All Files (*.*)"
        dialogs->messages.clear();
    }
    void TearDown() override
    {
        w.reset();
        gs = SharedState();
    }

    QString path(const QString& rel) const { return QDir(data.path()).filePath(rel); }
    void mkdir(const QString& rel) const { QDir().mkpath(path(rel)); }
    void file(const QString& rel, const QByteArray& bytes = "x") const { testsupport::writeFile(path(rel), bytes); }
    // A real small picture in the format the extension names.
    void picture(const QString& rel) const
    {
        QDir().mkpath(QFileInfo(path(rel)).absolutePath());
        QImage img(8, 6, QImage::Format_RGB32);
        img.fill(Qt::darkCyan);
        const QString ext = QFileInfo(rel).suffix().toUpper();
        ASSERT_TRUE(img.save(path(rel), ext == QLatin1String("JPG") ? "JPEG" : ext.toLatin1().constData()));
    }

    // Selects the list item by name (as a click does).
    int select(const QString& name)
    {
        for (int i = 0; i < w->PTxShList1->Count(); ++i)
            if (w->PTxShList1->Item(i)->Name() == name) {
                w->PTxShList1->selectIndex(i);
                return i;
            }
        ADD_FAILURE() << "no item " << name.toStdString();
        return -1;
    }
    QStringList listNames() const
    {
        QStringList out;
        for (int i = 0; i < w->PTxShList1->Count(); ++i)
            out << w->PTxShList1->ItemAt(i)->Name();
        return out;
    }
    QStringList treeNames() const
    {
        QStringList out;
        const auto& items = w->PTxShTree1->Items();
        for (int i = 0; i < items.Count(); ++i)
            out << items.Item(i)->Name();
        return out;
    }
    platform::ShellTreeItem* treeItem(const QString& name) const
    {
        const auto& items = w->PTxShTree1->Items();
        for (int i = 0; i < items.Count(); ++i)
            if (items.Item(i)->Name() == name)
                return items.Item(i);
        return nullptr;
    }
    bool allFileTools(bool on) const
    {
        for (const char* id : {"ID_mnuCloseFile", "ID_mnuSaveFileAs", "ID_mnuRenameFile", "ID_mnuDeleteFile",
                               "ID_mnuConvertFiles", "ID_mnuProperties", "ID_mnuPrintFiles", "ID_Print",
                               "ID_mnuOpenOLE"})
            if (w->ToolBarComp1->Item(QString::fromLatin1(id))->Enabled() != on)
                return false;
        return true;
    }

    testsupport::ProgramFolder programFolder;
    platform::ScopedDialogs dialogs;
    QTemporaryDir data;
    std::unique_ptr<BrowserWindow> w;
};
