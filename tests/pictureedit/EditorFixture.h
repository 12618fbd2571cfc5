#pragma once
// The main window with a picture on show, its editors opened by their tools,
// and the clicks a user makes on the editors' buttons, sliders and lists.
#include "ScriptedDialogs.h"
#include "PictureSamples.h"
#include "TestSupport.h"

#include "editor/PictureEditor.h"
#include "platform/controls/Dialogs.h"
#include "platform/imaging/Lead.h"
#include "platform/pictures/PictureCodec.h"
#include "platform/controls/ToolBarComp.h"
#include "shared/SharedState.h"
#include "window/Lumivex1.h"
#include "window/ToolWindows.h"

#include <QApplication>
#include <QColorSpace>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace edittest {

class Editors : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = std::make_unique<testsupport::ProgramFolder>();
        dialogs = std::make_unique<platform::ScopedDialogs>();
        w = std::make_unique<Lumivex1>(QStringList{});
        w->resize(1000, 750);
        w->show();
        w->finishStartUp();
        QCoreApplication::processEvents();
        dialogs->service.messages.clear();
    }
    void TearDown() override
    {
        w->fPictureChanged = false;
        for (const char* name : {"EdtImage1", "EdtColors1"})
            delete toolwindows::existing(QString::fromLatin1(name));
        w.reset();
        dialogs.reset();
        program.reset();
    }

    QString file(const QString& name) const { return program->file(name); }

    // A PNG of the four-quarter pattern, shown in the main window.
    QString showPicture(const QString& name = QStringLiteral("small.png"), int width = 40, int height = 30)
    {
        const QString path = file(name);
        samples::writeQt(path, samples::pattern(width, height), "png");
        w->DisplayFile(path);
        return path;
    }

    // Clicks the main window's tool as the user does and returns the editor it opened.
    template <class T> T* openEditor(const char* toolId, const char* name)
    {
        tool(toolId)->action()->trigger();
        QCoreApplication::processEvents();
        auto* editor = qobject_cast<T*>(toolwindows::existing(QString::fromLatin1(name)));
        if (editor)
            editor->resize(900, 800);
        QCoreApplication::processEvents();
        return editor;
    }

    platform::Tool* tool(const char* id) const { return w->ToolBarComp1->Item(QString::fromLatin1(id)); }

    static void click(QWidget* widget)
    {
        ASSERT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
        QTest::mouseClick(widget, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    static QRect part(QScrollBar* bar, QStyle::SubControl control)
    {
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.subControls = QStyle::SC_All;
        opt.orientation = bar->orientation();
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = bar->sliderPosition();
        opt.sliderValue = bar->value();
        opt.singleStep = bar->singleStep();
        opt.pageStep = bar->pageStep();
        return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, control, bar);
    }

    // One click in the bar's groove beside the handle: a large step.
    static void page(QScrollBar* bar, QStyle::SubControl side)
    {
        QTest::mouseClick(bar, Qt::LeftButton, {}, part(bar, side).center());
        QCoreApplication::processEvents();
    }
    static void pageRight(QScrollBar* bar) { page(bar, QStyle::SC_ScrollBarAddPage); }
    static void pageLeft(QScrollBar* bar) { page(bar, QStyle::SC_ScrollBarSubPage); }
    // A key typed on a slider, which the user focused by clicking its handle.
    void key(QScrollBar* bar, char c)
    {
        if (QApplication::focusWidget() != bar) {
            // A click gives the focus only in the active window.
            ASSERT_TRUE(focus.activate(bar));
            QTest::mouseClick(bar, Qt::LeftButton, {}, part(bar, QStyle::SC_ScrollBarSlider).center());
            ASSERT_EQ(QApplication::focusWidget(), bar);
        }
        QTest::keyClick(bar, c);
        QCoreApplication::processEvents();
    }

    static void clickItem(QListWidget* list, int row)
    {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QCoreApplication::processEvents();
    }

    QStringList texts() const { return dialogs->service.texts(); }

    // The save dialog's answer: the name and the format chosen.
    void answerSave(const QString& name, int format)
    {
        platform::FileAnswer a;
        a.accepted = true;
        a.fileName = name;
        a.saveFormat = format;
        a.saveQFactor = 2;
        dialogs->service.fileAnswers << a;
    }

    // First made, last gone: the windows' activation stays in this process.
    testsupport::InProcessFocus focus;
    std::unique_ptr<testsupport::ProgramFolder> program;
    std::unique_ptr<platform::ScopedDialogs> dialogs;
    std::unique_ptr<Lumivex1> w;
};

// The picture in direct colour without a colour space (a writer may store few
// colours as a palette, or note a colour space).
inline QImage plain(const QImage& picture)
{
    QImage p = picture.convertToFormat(QImage::Format_RGB32);
    p.setColorSpace({});
    return p;
}

// A picture as written to a file and read again, as plain() gives it.
inline QImage onDisk(const QString& path)
{
    platform::PictureData d;
    return platform::readPicture(path, 1, 1, &d) == 0 ? plain(d.frames.first()) : QImage();
}

// The picture with the effects applied in turn, for comparing with what a window shows.
template <class... F> QImage with(QImage picture, F... effects)
{
    for (const auto& effect : {std::function<int(QImage&)>(effects)...})
        EXPECT_EQ(effect(picture), 0);
    return picture;
}
// One effect of platform::effects with its values: EFFECT(rotate, 9000, 0).
#define EFFECT(name, ...) [=](QImage& p) { return platform::effects::name(p __VA_OPT__(, ) __VA_ARGS__); }

} // namespace edittest
