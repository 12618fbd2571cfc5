#include "ScriptedDialogs.h"

namespace platform {

Answer ScriptedDialogs::message(const QString& title, const QString& text, Buttons buttons, Icon icon)
{
    Message m{title, text, buttons, icon};
    messages << m;
    if (onMessage)
        onMessage(m);
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::No : Answer::Ok;
}

FileAnswer ScriptedDialogs::openFile(const FileRequest& request)
{
    fileRequests << request;
    return fileAnswers.isEmpty() ? FileAnswer{} : fileAnswers.takeFirst();
}

FileAnswer ScriptedDialogs::saveFile(const FileRequest& request)
{
    fileRequests << request;
    return fileAnswers.isEmpty() ? FileAnswer{} : fileAnswers.takeFirst();
}

QString ScriptedDialogs::folder(const QString&, const QString&)
{
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

std::optional<QColor> ScriptedDialogs::color(const QString& title, const QColor& initial)
{
    colorRequests << ColorRequest{title, initial};
    return colorAnswers.isEmpty() ? std::nullopt : colorAnswers.takeFirst();
}

bool ScriptedDialogs::printerSetup(QPrinter*) { return printerAnswer; }

std::optional<int> ScriptedDialogs::imageChange(const ChangeRequest& request)
{
    changeRequests << request;
    return changeAnswers.isEmpty() ? std::nullopt : changeAnswers.takeFirst();
}

std::optional<ColorResAnswer> ScriptedDialogs::imageColorRes(const ColorResRequest& request)
{
    colorResRequests << request;
    return colorResAnswers.isEmpty() ? std::nullopt : colorResAnswers.takeFirst();
}

std::optional<FontChoice> ScriptedDialogs::font(const FontRequest& request)
{
    fontRequests << request;
    return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.takeFirst();
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}

} // namespace platform
