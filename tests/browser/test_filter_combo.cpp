// What the filter combo shows of the filters' long names, read from what it
// draws: the start of the name picked, and every name whole in its list.
#include "BrowserFixture.h"
#include "shared/Tables.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <vector>

namespace {

bool differs(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 150;
}

// Which columns of the rectangle hold text: a pixel far from the colour of
// the rectangle's `back` point.
std::vector<bool> inkColumns(const QImage& image, const QRect& r, QPoint back)
{
    const QColor background = image.pixelColor(back);
    std::vector<bool> ink(size_t(r.width()), false);
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y)
            if (differs(image.pixelColor(x, y), background)) {
                ink[size_t(x - r.left())] = true;
                break;
            }
    return ink;
}

// From the first to the last column with text.
int inkSpan(const std::vector<bool>& ink)
{
    const auto first = std::find(ink.begin(), ink.end(), true);
    const auto last = std::find(ink.rbegin(), ink.rend(), true);
    return first == ink.end() ? 0 : int(ink.rend() - last) - int(first - ink.begin());
}

// The share of columns in which the field's text and the name drawn from its
// start agree on holding text (the best of a pixel to either side).
double startAgreement(QLineEdit* edit, const QString& name)
{
    const QImage shown = edit->grab().toImage();
    QImage drawn(shown.size(), shown.format());
    const QColor back = shown.pixelColor(shown.width() - 1, 1);
    drawn.fill(back);
    {
        QPainter p(&drawn);
        p.setFont(edit->font());
        p.setPen(edit->palette().color(QPalette::Text));
        p.drawText(QRect(2, 0, drawn.width(), drawn.height()), Qt::AlignLeft | Qt::AlignVCenter, name);
    }
    const QRect all(0, 2, shown.width() - 4, shown.height() - 4);
    const auto a = inkColumns(shown, all, {shown.width() - 1, 1});
    const auto b = inkColumns(drawn, all, {drawn.width() - 1, 1});
    double best = 0;
    for (int shift = -1; shift <= 1; ++shift) {
        int same = 0, counted = 0;
        for (int x = 1; x + 1 < int(a.size()); ++x, ++counted)
            same += a[size_t(x)] == b[size_t(x + shift)];
        best = std::max(best, double(same) / counted);
    }
    return best;
}

} // namespace

TEST_F(BrowserFixture, TheFilterComboShowsANameFromItsStartAndItsListWhole)
{
    w->resize(700, 800);
    w->show();
    QCoreApplication::processEvents();
    QComboBox* combo = w->CMBFILTER;
    const QFontMetrics metrics(combo->font());
    ASSERT_LT(combo->width(), metrics.horizontalAdvance(FileFilterTable.names[15]))
        << "the panel is narrower than the long names";

    // The user opens the list at its arrow.
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 6, combo->height() / 2));
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible());

    // Every name stands whole in the list: the text drawn in its row is as
    // wide as the name (a name cut in the middle is narrower).
    const QFontMetrics listMetrics(list->font());
    for (int row = 0; row < tables::kFilterCount; ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        QCoreApplication::processEvents();
        const QRect r = list->visualRect(index);
        const QImage shown = list->viewport()->grab().toImage();
        const QPoint back(r.right() - 1, r.top() + 1);
        const int width = listMetrics.horizontalAdvance(combo->itemText(row).trimmed());
        EXPECT_GE(inkSpan(inkColumns(shown, r, back)), width - 4) << combo->itemText(row).toStdString();
    }

    // The user picks the Portable Network Graphics filter with the keys: the
    // field shows its name's start.
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < 15; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_FALSE(list->isVisible());
    ASSERT_EQ(combo->currentIndex(), 15);
    QCoreApplication::processEvents();
    EXPECT_GE(startAgreement(combo->lineEdit(), FileFilterTable.names[15]), 0.95);

    // So does a long name the program puts there itself (the saved filter).
    combo->setCurrentIndex(0);
    QCoreApplication::processEvents();
    EXPECT_GE(startAgreement(combo->lineEdit(), FileFilterTable.names[0]), 0.95);
}
