#pragma once

struct AppState;
struct SettingsDocument;

// Gives the document its start values, at start-up and on New (the command sender's
// resetExchange goes with it). The character levels last reported by the device, the two reserved
// numbers and the chosen area are kept.
void resetDocument(SettingsDocument& document, AppState& state);
