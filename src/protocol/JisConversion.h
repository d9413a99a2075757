#pragma once

// Conversions between Shift-JIS double-byte codes (lead byte * 256 + trail byte) and the
// JIS X 0208 codes in which titles travel to and from the device.

// The JIS code of a Shift-JIS code by the standard arithmetic, or 0 when there is none.
int sjisToJis(int code);

// The NEC-selected equivalent of an IBM extended code (0xFA40 and above), or 0.
int ibmToNecSelected(int code);

// The JIS code under which a title character goes to the device, or 0 when the character
// cannot be sent (single-byte characters, the user-defined area, unassigned IBM codes).
int titleCharacterToJis(int code);

// The Shift-JIS code of a JIS code read back from the device. Codes above 0x7C7E stand for the
// full-width space; a code whose bytes are not both 0x21 to 0x7E gives 0.
int jisToSjis(int jis);

constexpr int fullWidthSpaceJis = 0x2121;
constexpr int fullWidthSpaceSjis = 0x8140;
