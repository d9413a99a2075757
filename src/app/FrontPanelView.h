#pragma once

#include <QWidget>

class QPainter;
struct SettingsDocument;

// The picture of the device's front panel that fills the main window, with the current
// document's path under it. Nothing in it but the path depends on the program's state.
class FrontPanelView : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelWidth = 640;
    static constexpr int panelHeight = 160;

    explicit FrontPanelView(const SettingsDocument& document, QWidget* parent = nullptr);

    // Brings the file-name label up to date at once, after New, Open and Save As.
    void refreshFileNameLabel();

    QSize sizeHint() const override { return {panelWidth, panelHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SettingsDocument& document_;
};

// Draws the whole panel with the file-name label text; the origin is the client area's corner.
void drawFrontPanel(QPainter& painter, const QString& fileNameLabel);

// "File Name " for an untitled document, otherwise its path.
QString fileNameLabelText(const SettingsDocument& document);
