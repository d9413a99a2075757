#pragma once

#include "core/DialogTracking.h"
#include "core/GlyphBitmap.h"
#include "core/GlyphState.h"
#include "core/LinkConfiguration.h"
#include "core/SettingsDocument.h"
#include "core/ViewSettings.h"

#include <array>
#include <bitset>

// The run-time state that the links, the protocol and the dialogs share, in parts that each have
// one owner: the link settings (the settings file and the connection dialogs), the view settings
// (the settings file and the main window's menu) and the dialog tracking (the dialogs as they
// open). The exchange state belongs to the command sender, the TCP
// connection table and whether the TCP link is connected to the TCP link. The program has one,
// created at start-up and handed by reference, part by part, to whatever needs it; tests build
// fresh ones. Fields start at the values the program has right after start-up.
struct AppState {
    int running = 0;
    int selectedArea = 0; // DisplayArea chosen in the channel lists; New keeps it
    int selectedPage = 0;
    int savedImeOpen = 0;
    // The entries last chosen in "Same Display" and "Same Time"; kept for the run, not saved
    int sameDisplayChoice = 0;
    int sameTimeChoice = 2;

    LinkConfiguration link;
    ViewSettings view;
    DialogTracking dialogs;
    GlyphState glyphs; // written by the glyph dialogs

    // Custom glyph being edited: 576 hexadecimal digits and four bytes that travel with them
    GlyphSample glyphSample = GlyphBitmap::filledGlyphSample();

    // The titles edited in this session that the device has not yet accepted as they now read,
    // by title index: set by the title editor, cleared by ChangedTitles as the device accepts or
    // reports them, and by New and Open.
    std::bitset<SettingsDocument::titleCount> changedTitles;
};
