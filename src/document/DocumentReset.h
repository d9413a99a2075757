#pragma once

struct AppState;
struct SettingsDocument;

// Gives the document its start values and the exchange state its idle values: at start-up and
// on New. The character levels last reported by the device, the two reserved numbers and the
// chosen area are kept.
void resetDocument(SettingsDocument& document, AppState& state);
