#pragma once
// The dialog service the tests install: it records every request and answers
// from queues, so that a test can say what the user answers and read every
// title and text the program shows.
#include "platform/controls/Dialogs.h"

#include <QColor>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

namespace platform {

class ScriptedDialogs : public DialogService {
public:
    struct Message {
        QString title, text;
        Buttons buttons;
        Icon icon;
    };
    QList<Message> messages;
    QList<FileRequest> fileRequests;
    QList<Answer> answers;            // next answers for message(); default Ok / No
    QList<FileAnswer> fileAnswers;    // next answers for open/save; default cancelled
    QList<QString> folderAnswers;
    QList<std::optional<QColor>> colorAnswers;
    struct ColorRequest {
        QString title;
        QColor initial;
    };
    QList<ColorRequest> colorRequests;
    QList<FontRequest> fontRequests;
    QList<std::optional<FontChoice>> fontAnswers; // default cancelled
    bool printerAnswer = false;
    QList<ChangeRequest> changeRequests;
    QList<std::optional<int>> changeAnswers; // default cancelled
    QList<ColorResRequest> colorResRequests;
    QList<std::optional<ColorResAnswer>> colorResAnswers; // default cancelled
    std::function<void(const Message&)> onMessage; // called before answering

    Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) override;
    FileAnswer openFile(const FileRequest& request) override;
    FileAnswer saveFile(const FileRequest& request) override;
    QString folder(const QString& title, const QString& start) override;
    std::optional<QColor> color(const QString& title, const QColor& initial) override;
    bool printerSetup(QPrinter* printer) override;
    std::optional<int> imageChange(const ChangeRequest& request) override;
    std::optional<ColorResAnswer> imageColorRes(const ColorResRequest& request) override;
    std::optional<FontChoice> font(const FontRequest& request) override;

    QStringList texts() const;
};

// Installs a scripted service for the life of the object.
class ScopedDialogs {
public:
    ScopedDialogs() { setDialogs(&service); }
    ~ScopedDialogs() { setDialogs(nullptr); }
    ScriptedDialogs service;
    ScriptedDialogs* operator->() { return &service; }
};

} // namespace platform
