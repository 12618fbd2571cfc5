#include "lists/ListEntry.h"

#include "shared/MessageBox.h"

namespace lists {

bool holdsLineEnd(const QString& path)
{
    return path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'));
}

QString lineEndRefusal(const QString& path)
{
    return QStringLiteral("A File whose Name holds a Line End cannot be kept in a List - ") + path;
}

bool acceptListEntry(const QString& path)
{
    if (!holdsLineEnd(path))
        return true;
    MsgBox(lineEndRefusal(path));
    return false;
}

QStringList acceptListEntries(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        if (acceptListEntry(p))
            out << p;
    return out;
}

} // namespace lists
