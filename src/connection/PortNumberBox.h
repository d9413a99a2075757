#pragma once

class QLineEdit;
struct AppState;

// The "Port No." box of the TCP dialogs: at most five characters, shown from portNumberText and
// copied back into it on every change, so that a start or connect uses the text in the box
// even before the dialog closes. Only printable ASCII is taken, so that the text stays the
// same five bytes in the settings file.
void bindPortNumberBox(QLineEdit& box, AppState& state);
