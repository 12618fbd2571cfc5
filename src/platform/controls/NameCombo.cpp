#include "platform/controls/NameCombo.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace platform {

NameCombo::NameCombo(QWidget* parent) : QComboBox(parent)
{
    // The text field takes the name with its cursor at the end, scrolled to
    // show the end; a name is read from its start.
    connect(this, &QComboBox::currentIndexChanged, this, &NameCombo::showStart);
    connect(this, &QComboBox::activated, this, &NameCombo::showStart);
}

void NameCombo::showStart()
{
    if (QLineEdit* edit = lineEdit())
        edit->setCursorPosition(0);
}

void NameCombo::showPopup()
{
    // The list is as wide as the widest name (with the list's frame and its
    // scroll bar) or as the combo, whichever is wider; Qt's own list takes the
    // combo's width and cuts longer names in the middle.
    QAbstractItemView* list = view();
    int width = list->sizeHintForColumn(modelColumn()) +
                2 * list->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, list);
    if (count() > maxVisibleItems())
        width += list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list->verticalScrollBar());
    list->setMinimumWidth(std::max(width, this->width()));
    QComboBox::showPopup();
}

} // namespace platform
