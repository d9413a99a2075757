#pragma once

#include <QDialog>

struct DialogContext;

// Sets the white level and the edge level of the characters, 0 to 3 each. The lists show and
// change the levels chosen here (selectedWhiteLevel, selectedEdgeLevel), which stay apart from
// the levels last read back from the device.
class CharacterLevelDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int number = 111;

    CharacterLevelDialog(DialogContext& context, QWidget* parent = nullptr);

    // Close, the close box and Esc end the dialog with result 2.
    void reject() override { done(2); }
};
