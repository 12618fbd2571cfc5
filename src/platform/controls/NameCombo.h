#pragma once
// A drop-down list of long names with a text field (the filter combo): the
// field shows a name from its start, as a name is read, and the drop-down
// list is as wide as its longest name, so that no entry is cut.
#include <QComboBox>

namespace platform {

class NameCombo : public QComboBox {
    Q_OBJECT
public:
    explicit NameCombo(QWidget* parent = nullptr);

    void showPopup() override;

private:
    void showStart();
};

} // namespace platform
