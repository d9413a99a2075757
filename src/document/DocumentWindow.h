#pragma once

class QObject;

// What the File operations need of the main window, which implements this.
class DocumentWindow {
public:
    virtual ~DocumentWindow() = default;

    // The window that owns the file dialogs.
    virtual QObject* fileDialogOwner() = 0;
    // Redraws the front panel's file-name label at once, so that it shows the current
    // documentPath (or the untitled label).
    virtual void refreshFileNameLabel() = 0;
};
