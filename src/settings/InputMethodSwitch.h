#pragma once

class QWidget;

// Japanese input is switched on while the title editor is open and goes back to its former state
// afterwards. Only Windows lets a program switch the input method; elsewhere Qt follows the
// system's input method and there is nothing to switch.

// Switches the input method of the window on; returns whether it was on before (0 or 1).
int switchInputMethodOn(QWidget& window);

// Puts the input method of the window back into the state that switchInputMethodOn returned.
void restoreInputMethod(QWidget& window, int wasOpen);
