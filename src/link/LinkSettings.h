#pragma once

#include "link/ConfigFolder.h"
#include "link/ProfileFile.h"

#include <QByteArray>
#include <QByteArrayView>

struct LinkConfiguration;
struct ViewSettings;

// The connection configuration kept in "zev530tq.ini", section "ZEV-530TQ_Section": read whole
// once at start-up, and written back key by key as the operator changes a setting. Files written
// by the Windows program read the same here.

// The settings file in the given configuration folder.
ProfileFile linkSettingsFile(const ConfigFolder& folder);

// The number at the start of the text: leading blanks skipped, an optional sign, then the digits
// that follow; 0 when there are none ("1x" is 1, "abc" is 0).
int decimalValue(QByteArrayView text);

// The key of one octet of a host entry: "ip", the entry in two digits ('0' plus the tens, so
// entry 100 is ":0"), "_" and the octet number 0 to 3. Entries 130 to 139, for which that rule
// would give "=" ("ip=0_0"), are written with their whole number instead ("ip130_0").
QByteArray hostKey(int entry, int octet);

// Reads every key into the link configuration; a missing file, section or key gives the field's
// default, and nothing is reported. "listed_hosts_only" (1: the server role takes only the
// devices of the host list) is set in the file by hand; no dialog writes it. The host list takes
// "list_count" entries, at most 256.
void loadLinkSettings(LinkConfiguration& link, const ProfileFile& file);

// Writers of single keys, each with the current value of its field.
bool writeInterfaceKind(ProfileFile& file, const LinkConfiguration& link);      // "Interface"
bool writeComPort(ProfileFile& file, const LinkConfiguration& link);            // "com_port"
bool writeRs485Mode(ProfileFile& file, const LinkConfiguration& link);          // "rs_control"
bool writeTcpRole(ProfileFile& file, const LinkConfiguration& link);            // "ClientServer"
bool writePortNumber(ProfileFile& file, const LinkConfiguration& link);         // "port_number"
bool writeSelectedConnection(ProfileFile& file, const LinkConfiguration& link); // "select_number"
// "list_count" and the octet keys of the hosts from firstEntry to the end of the list, in one
// replacement of the file: an addition changes the last host, a deletion moves the hosts behind
// the deleted one down.
bool writeHostList(ProfileFile& file, const LinkConfiguration& link, int firstEntry);

// The view settings, kept in the same section: "success_boxes" (1, the default: a line the device
// accepts opens its box; 0: the status bar says it) and "traffic_window" (the traffic window's
// place and size, "x,y,width,height"; a value that is not four numbers with a size is ignored).
// Files without them read as the program has always behaved.
void loadViewSettings(ViewSettings& view, const ProfileFile& file);
bool writeSuccessBoxes(ProfileFile& file, const ViewSettings& view);       // "success_boxes"
bool writeTrafficWindowPlace(ProfileFile& file, const ViewSettings& view); // "traffic_window"
