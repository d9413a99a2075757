#pragma once

#include <QDialog>

struct DialogContext;

// "外字挿入": puts a registered custom glyph into a title of the device, at a chosen character
// position of a chosen display area and page. The area and the page are the ones that the title
// dialogs share; the titles of the settings document stay as they are.
class GlyphInsertDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int number = 112;

    GlyphInsertDialog(DialogContext& context, QWidget* parent = nullptr);

    // Close, the close box and Esc end the dialog with result 2.
    void reject() override { done(2); }
};
