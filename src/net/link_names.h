#pragma once
// Link services and message types: their numbers and the one table of their names, used by
// the frame trace and by every layer that builds or dispatches messages.

#include <string_view>

namespace kovw::net {

// Services (bits 0-4 of a frame's kind byte).
inline constexpr int KWD_KOMM = 0;
inline constexpr int KWD_DIGRA = 1;
inline constexpr int KWD_STREAM = 2;
inline constexpr int KWD_WIN = 4;
inline constexpr int KWD_PRINT = 5;
inline constexpr int KWD_DIALOG = 6;
inline constexpr int KWD_LIST = 7;
inline constexpr int KWD_AWLIST = 8;
inline constexpr int KWD_DIMEN = 9;
inline constexpr int KWD_CONNECT = 15;

// Message types. A name that occurs in several services has the same number in each.
// KWD_KOMM
inline constexpr int KWK_KLOGIN = 1;
inline constexpr int KWK_KLOGOUT = 2;
inline constexpr int KWK_KOMOK = 3;
inline constexpr int KWK_KOMFAIL = 4;
inline constexpr int KWK_KENVIR = 5;
inline constexpr int KWK_KSTART = 6;
inline constexpr int KWK_KDATA = 7;
inline constexpr int KWK_KEND = 8;
inline constexpr int KWK_KKILL = 9;
inline constexpr int KWK_KINIT = 10;
inline constexpr int KWK_KKOVDE = 11;
inline constexpr int KWK_KINFO = 12;
inline constexpr int KWK_KPROXY = 13;
inline constexpr int KWK_KPRINT = 14;
inline constexpr int KWK_KSETCLIP = 15;
inline constexpr int KWK_KGETCLIP = 16;
inline constexpr int KWK_KGETDATE = 17;
inline constexpr int KWK_KUPDATE = 18;
inline constexpr int KWK_KPASS = 19;
inline constexpr int KWK_KMESSAGE = 20;
inline constexpr int KWK_KALARM = 21;
inline constexpr int KWK_KSDATEI = 22;
inline constexpr int KWK_KSKOMM = 23;
inline constexpr int KWK_KSKOMM_WAIT = 1;
inline constexpr int KWK_KSIZE = 24;
inline constexpr int KWK_KSDATA = 25;
inline constexpr int KWK_KWORKFLOW = 26;
inline constexpr int KWK_KGETCOL = 27;
inline constexpr int KWK_KFGET = 28;
inline constexpr int KWK_KFBUF = 29;
inline constexpr int KWK_KGETWINID = 30;
inline constexpr int KWK_KDEL = 31;
inline constexpr int KWK_KWIPE = 32;
inline constexpr int KWK_KGETFNAME = 33;
inline constexpr int KWK_KMKDIR = 34;
inline constexpr int KWK_KRMDIR = 35;
inline constexpr int KWK_KFGDIR = 36;
inline constexpr int KWK_KFGDIRREC = 37;
inline constexpr int KWK_KFPDIR = 38;
inline constexpr int KWK_KFPENT = 39;
inline constexpr int KWK_KFPDAT = 40;
inline constexpr int KWK_KFPPFAD = 41;
inline constexpr int KWK_KFILECHECK = 42;
inline constexpr int KWK_KSHELP_TOPIC = 43;
inline constexpr int KWK_KSHELP_FILE = 44;
inline constexpr int KWK_KHELP_REQUEST = 45;
inline constexpr int KWK_KFHELP_TOPIC = 46;
inline constexpr int KWK_KFHELP_REQUEST = 48;
inline constexpr int KWK_KEXEC = 49;
inline constexpr int KWK_KRMALL = 50;
inline constexpr int KWK_KSKOVW = 51;
inline constexpr int KWK_KSTOP = 52;
inline constexpr int KWK_KMAP = 53;
inline constexpr int KWK_KBUTTON = 54;
inline constexpr int KWK_KBUTTON_NR = 55;
inline constexpr int KWK_KCFLAG = 56;
inline constexpr int KWK_KGETPRINTER = 57;
inline constexpr int KWK_KSENDPRINTER = 58;
inline constexpr int KWK_KFONTLIST = 60;
inline constexpr int KWK_KRECONNECT = 61;
inline constexpr int KWK_KCONNECT = 98;
inline constexpr int KWK_KPING = 99;
// KWD_DIGRA
inline constexpr int KWK_GDIGRA = 1;
inline constexpr int KWK_GFILE = 2;
inline constexpr int KWK_GREFR = 3;
inline constexpr int KWK_GKTEXT = 4;
inline constexpr int KWK_GFONT = 5;
inline constexpr int KWK_GDIALOG = 6;
inline constexpr int KWK_GCLOSE = 7;
inline constexpr int KWK_GPOS = 8;
inline constexpr int KWK_GGET = 9;
inline constexpr int KWK_GDATA = 10;
inline constexpr int KWK_GEND = 11;
inline constexpr int KWK_GRES = 12;
inline constexpr int KWK_GPIC = 13;
inline constexpr int KWK_GFONTZ = 14;
inline constexpr int KWK_GTLEN = 15;
inline constexpr int KWK_GAWLIST = 16;
inline constexpr int KWK_GVIDEO = 17;
inline constexpr int KWK_GSPEAK = 18;
inline constexpr int KWK_GSPEECH = 19;
inline constexpr int KWK_BEEP = 26;
inline constexpr int KWK_CURSOR = 27;
inline constexpr int KWK_STATUS = 28;
inline constexpr int KWK_CREAKONTEXT = 29;
inline constexpr int KWK_ACTKONTEXT = 30;
inline constexpr int KWK_GMARK = 31;
inline constexpr int KWK_GGETEX = 32;
inline constexpr int KWK_GCHECK = 33;
inline constexpr int KWK_GABORT = 34;
inline constexpr int KWK_GFONTSLOT = 35;
inline constexpr int KWK_PDIGRA = 128;
// KWD_STREAM
inline constexpr int KWK_SDATA = 1;
inline constexpr int KWK_SRETC = 2;
inline constexpr int KWK_SDREP = 3;
inline constexpr int KWK_SDLEN = 4;
// KWD_WIN
inline constexpr int KWK_WINIT = 1;
inline constexpr int KWK_WDAT = 2;
inline constexpr int KWK_WTAST = 3;
inline constexpr int KWK_WTEST = 4;
inline constexpr int KWK_WDIAC = 5;
inline constexpr int KWK_WMASK = 6;
inline constexpr int KWK_WTIT = 7;
inline constexpr int KWK_WMELDE = 8;
inline constexpr int KWK_WABBR = 9;
inline constexpr int KWK_WDIALOG = 10;
inline constexpr int KWK_WRETC = 11;
inline constexpr int KWK_WKILLSAVE = 12;
inline constexpr int KWK_WEDIT = 13;
inline constexpr int KWK_WTOOL = 14;
// KWD_DIALOG
inline constexpr int KWK_DPASSWD = 1;
inline constexpr int KWK_DWHO = 2;
inline constexpr int KWK_DPS = 3;
inline constexpr int KWK_DPU = 4;
inline constexpr int KWK_DWRITE = 5;
inline constexpr int KWK_DWALL = 6;
inline constexpr int KWK_DALARM = 7;
inline constexpr int KWK_DFAULT = 8;
inline constexpr int KWK_DSTART = 9;
inline constexpr int KWK_DDEBSTART = 11;
inline constexpr int KWK_DDEBSTOP = 12;
inline constexpr int KWK_DSHUTDOWN = 13;
inline constexpr int KWK_DKILL = 14;
inline constexpr int KWK_DDENY = 15;
inline constexpr int KWK_DALLOW = 16;
inline constexpr int KWK_DSTOP = 17;
inline constexpr int KWK_DUSER = 21;
inline constexpr int KWK_DPROG = 22;
inline constexpr int KWK_DPING = 23;
inline constexpr int KWK_DUSEREX = 24;
inline constexpr int KWK_DINFO = 25;
inline constexpr int KWK_DANTW = 99;
// KWD_LIST
inline constexpr int KWK_LINIT = 1;
inline constexpr int KWK_LTREE = 2;
inline constexpr int KWK_LLIST = 3;
inline constexpr int KWK_LANTW = 4;
inline constexpr int KWK_LDIALOG = 5;
inline constexpr int KWK_LINFO = 6;
inline constexpr int KWK_LANTWDIA = 7;
inline constexpr int KWK_LCURSOR = 8;
// KWD_AWLIST
inline constexpr int KWK_AWDATA = 2;
// KWD_DIMEN
inline constexpr int KWK_DMINIT = 1;
inline constexpr int KWK_DMBEREIT = 2;
// KWD_CONNECT
inline constexpr int KWK_CONNECT = 254;

// The name of a service, or nullptr when the number has none.
const char* service_name(int service);
// The name of a message type within a service, or nullptr when the service has no table or
// the type is not in it. Where a table holds a code twice, the first name is the one returned.
const char* type_name(int service, int type);
// Reverse look-up (for tools and scripts): the number of a type name within a service, or -1.
int type_code(int service, std::string_view name);

}  // namespace kovw::net
