#include "net/link_names.h"

#include <iterator>

namespace kovw::net {

namespace {

struct Name {
  int code;
  const char* name;
};

const Name kKwdKommTypes[] = {
    {KWK_KLOGIN, "KWK_KLOGIN"},
    {KWK_KLOGOUT, "KWK_KLOGOUT"},
    {KWK_KOMOK, "KWK_KOMOK"},
    {KWK_KOMFAIL, "KWK_KOMFAIL"},
    {KWK_KENVIR, "KWK_KENVIR"},
    {KWK_KSTART, "KWK_KSTART"},
    {KWK_KDATA, "KWK_KDATA"},
    {KWK_KEND, "KWK_KEND"},
    {KWK_KKILL, "KWK_KKILL"},
    {KWK_KINIT, "KWK_KINIT"},
    {KWK_KKOVDE, "KWK_KKOVDE"},
    {KWK_KINFO, "KWK_KINFO"},
    {KWK_KPROXY, "KWK_KPROXY"},
    {KWK_KPRINT, "KWK_KPRINT"},
    {KWK_KSETCLIP, "KWK_KSETCLIP"},
    {KWK_KGETCLIP, "KWK_KGETCLIP"},
    {KWK_KGETDATE, "KWK_KGETDATE"},
    {KWK_KUPDATE, "KWK_KUPDATE"},
    {KWK_KPASS, "KWK_KPASS"},
    {KWK_KMESSAGE, "KWK_KMESSAGE"},
    {KWK_KALARM, "KWK_KALARM"},
    {KWK_KSDATEI, "KWK_KSDATEI"},
    {KWK_KSKOMM, "KWK_KSKOMM"},
    {KWK_KSKOMM_WAIT, "KWK_KSKOMM_WAIT"},
    {KWK_KSIZE, "KWK_KSIZE"},
    {KWK_KSDATA, "KWK_KSDATA"},
    {KWK_KWORKFLOW, "KWK_KWORKFLOW"},
    {KWK_KGETCOL, "KWK_KGETCOL"},
    {KWK_KFGET, "KWK_KFGET"},
    {KWK_KFBUF, "KWK_KFBUF"},
    {KWK_KGETWINID, "KWK_KGETWINID"},
    {KWK_KDEL, "KWK_KDEL"},
    {KWK_KWIPE, "KWK_KWIPE"},
    {KWK_KGETFNAME, "KWK_KGETFNAME"},
    {KWK_KMKDIR, "KWK_KMKDIR"},
    {KWK_KRMDIR, "KWK_KRMDIR"},
    {KWK_KFGDIR, "KWK_KFGDIR"},
    {KWK_KFGDIRREC, "KWK_KFGDIRREC"},
    {KWK_KFPDIR, "KWK_KFPDIR"},
    {KWK_KFPENT, "KWK_KFPENT"},
    {KWK_KFPDAT, "KWK_KFPDAT"},
    {KWK_KFPPFAD, "KWK_KFPPFAD"},
    {KWK_KFILECHECK, "KWK_KFILECHECK"},
    {KWK_KSHELP_TOPIC, "KWK_KSHELP_TOPIC"},
    {KWK_KSHELP_FILE, "KWK_KSHELP_FILE"},
    {KWK_KHELP_REQUEST, "KWK_KHELP_REQUEST"},
    {KWK_KFHELP_TOPIC, "KWK_KFHELP_TOPIC"},
    {KWK_KFHELP_REQUEST, "KWK_KFHELP_REQUEST"},
    {KWK_KEXEC, "KWK_KEXEC"},
    {KWK_KRMALL, "KWK_KRMALL"},
    {KWK_KSKOVW, "KWK_KSKOVW"},
    {KWK_KSTOP, "KWK_KSTOP"},
    {KWK_KMAP, "KWK_KMAP"},
    {KWK_KBUTTON, "KWK_KBUTTON"},
    {KWK_KBUTTON_NR, "KWK_KBUTTON_NR"},
    {KWK_KCFLAG, "KWK_KCFLAG"},
    {KWK_KGETPRINTER, "KWK_KGETPRINTER"},
    {KWK_KSENDPRINTER, "KWK_KSENDPRINTER"},
    {KWK_KFONTLIST, "KWK_KFONTLIST"},
    {KWK_KRECONNECT, "KWK_KRECONNECT"},
    {KWK_KCONNECT, "KWK_KCONNECT"},
    {KWK_KPING, "KWK_KPING"},
};
const Name kKwdDigraTypes[] = {
    {KWK_GDIGRA, "KWK_GDIGRA"},
    {KWK_GFILE, "KWK_GFILE"},
    {KWK_GREFR, "KWK_GREFR"},
    {KWK_GKTEXT, "KWK_GKTEXT"},
    {KWK_GFONT, "KWK_GFONT"},
    {KWK_GDIALOG, "KWK_GDIALOG"},
    {KWK_GCLOSE, "KWK_GCLOSE"},
    {KWK_GPOS, "KWK_GPOS"},
    {KWK_GGET, "KWK_GGET"},
    {KWK_GDATA, "KWK_GDATA"},
    {KWK_GEND, "KWK_GEND"},
    {KWK_GRES, "KWK_GRES"},
    {KWK_GPIC, "KWK_GPIC"},
    {KWK_GFONTZ, "KWK_GFONTZ"},
    {KWK_GTLEN, "KWK_GTLEN"},
    {KWK_GAWLIST, "KWK_GAWLIST"},
    {KWK_GVIDEO, "KWK_GVIDEO"},
    {KWK_GSPEAK, "KWK_GSPEAK"},
    {KWK_GSPEECH, "KWK_GSPEECH"},
    {KWK_BEEP, "KWK_BEEP"},
    {KWK_CURSOR, "KWK_CURSOR"},
    {KWK_STATUS, "KWK_STATUS"},
    {KWK_CREAKONTEXT, "KWK_CREAKONTEXT"},
    {KWK_ACTKONTEXT, "KWK_ACTKONTEXT"},
    {KWK_GMARK, "KWK_GMARK"},
    {KWK_GGETEX, "KWK_GGETEX"},
    {KWK_GCHECK, "KWK_GCHECK"},
    {KWK_GABORT, "KWK_GABORT"},
    {KWK_GFONTSLOT, "KWK_GFONTSLOT"},
    {KWK_PDIGRA, "KWK_PDIGRA"},
};
const Name kKwdStreamTypes[] = {
    {KWK_SDATA, "KWK_SDATA"},
    {KWK_SRETC, "KWK_SRETC"},
    {KWK_SDREP, "KWK_SDREP"},
    {KWK_SDLEN, "KWK_SDLEN"},
};
const Name kKwdWinTypes[] = {
    {KWK_WINIT, "KWK_WINIT"},
    {KWK_WDAT, "KWK_WDAT"},
    {KWK_WTAST, "KWK_WTAST"},
    {KWK_WTEST, "KWK_WTEST"},
    {KWK_WDIAC, "KWK_WDIAC"},
    {KWK_WMASK, "KWK_WMASK"},
    {KWK_WTIT, "KWK_WTIT"},
    {KWK_WMELDE, "KWK_WMELDE"},
    {KWK_WABBR, "KWK_WABBR"},
    {KWK_WDIALOG, "KWK_WDIALOG"},
    {KWK_WRETC, "KWK_WRETC"},
    {KWK_WKILLSAVE, "KWK_WKILLSAVE"},
    {KWK_WEDIT, "KWK_WEDIT"},
    {KWK_WTOOL, "KWK_WTOOL"},
    {KWK_BEEP, "KWK_BEEP"},
    {KWK_CURSOR, "KWK_CURSOR"},
    {KWK_STATUS, "KWK_STATUS"},
    {KWK_CREAKONTEXT, "KWK_CREAKONTEXT"},
    {KWK_ACTKONTEXT, "KWK_ACTKONTEXT"},
};
const Name kKwdDialogTypes[] = {
    {KWK_DPASSWD, "KWK_DPASSWD"},   {KWK_DWHO, "KWK_DWHO"},
    {KWK_DPS, "KWK_DPS"},           {KWK_DPU, "KWK_DPU"},
    {KWK_DWRITE, "KWK_DWRITE"},     {KWK_DWALL, "KWK_DWALL"},
    {KWK_DALARM, "KWK_DALARM"},     {KWK_DFAULT, "KWK_DFAULT"},
    {KWK_DSTART, "KWK_DSTART"},     {KWK_DDEBSTART, "KWK_DDEBSTART"},
    {KWK_DDEBSTOP, "KWK_DDEBSTOP"}, {KWK_DSHUTDOWN, "KWK_DSHUTDOWN"},
    {KWK_DKILL, "KWK_DKILL"},       {KWK_DDENY, "KWK_DDENY"},
    {KWK_DALLOW, "KWK_DALLOW"},     {KWK_DSTOP, "KWK_DSTOP"},
    {KWK_DUSER, "KWK_DUSER"},       {KWK_DPROG, "KWK_DPROG"},
    {KWK_DPING, "KWK_DPING"},       {KWK_DUSEREX, "KWK_DUSEREX"},
    {KWK_DINFO, "KWK_DINFO"},       {KWK_DANTW, "KWK_DANTW"},
};
const Name kKwdListTypes[] = {
    {KWK_LINIT, "KWK_LINIT"},       {KWK_LTREE, "KWK_LTREE"},     {KWK_LLIST, "KWK_LLIST"},
    {KWK_LANTW, "KWK_LANTW"},       {KWK_LDIALOG, "KWK_LDIALOG"}, {KWK_LINFO, "KWK_LINFO"},
    {KWK_LANTWDIA, "KWK_LANTWDIA"}, {KWK_LCURSOR, "KWK_LCURSOR"},
};
const Name kKwdAwlistTypes[] = {
    {KWK_AWDATA, "KWK_AWDATA"},
};
const Name kKwdDimenTypes[] = {
    {KWK_DMINIT, "KWK_DMINIT"},
    {KWK_DMBEREIT, "KWK_DMBEREIT"},
    {KWK_CREAKONTEXT, "KWK_CREAKONTEXT"},
    {KWK_ACTKONTEXT, "KWK_ACTKONTEXT"},
};
const Name kKwdConnectTypes[] = {
    {KWK_CONNECT, "KWK_CONNECT"},
};

struct ServiceEntry {
  int service;
  const char* name;
  const Name* types;
  std::size_t count;
};

#define KOVW_TYPES(table) table, std::size(table)
const ServiceEntry kServices[] = {
    {KWD_KOMM, "KWD_KOMM", KOVW_TYPES(kKwdKommTypes)},
    {KWD_DIGRA, "KWD_DIGRA", KOVW_TYPES(kKwdDigraTypes)},
    {KWD_STREAM, "KWD_STREAM", KOVW_TYPES(kKwdStreamTypes)},
    {KWD_WIN, "KWD_WIN", KOVW_TYPES(kKwdWinTypes)},
    {KWD_PRINT, "KWD_PRINT", nullptr, 0},
    {KWD_DIALOG, "KWD_DIALOG", KOVW_TYPES(kKwdDialogTypes)},
    {KWD_LIST, "KWD_LIST", KOVW_TYPES(kKwdListTypes)},
    {KWD_AWLIST, "KWD_AWLIST", KOVW_TYPES(kKwdAwlistTypes)},
    {KWD_DIMEN, "KWD_DIMEN", KOVW_TYPES(kKwdDimenTypes)},
    {KWD_CONNECT, "KWD_CONNECT", KOVW_TYPES(kKwdConnectTypes)},
};
#undef KOVW_TYPES

const ServiceEntry* find_service(int service) {
  for (const ServiceEntry& entry : kServices) {
    if (entry.service == service) return &entry;
  }
  return nullptr;
}

}  // namespace

const char* service_name(int service) {
  const ServiceEntry* entry = find_service(service);
  return entry ? entry->name : nullptr;
}

const char* type_name(int service, int type) {
  const ServiceEntry* entry = find_service(service);
  if (entry == nullptr) return nullptr;
  for (std::size_t i = 0; i < entry->count; ++i) {
    if (entry->types[i].code == type) return entry->types[i].name;
  }
  return nullptr;
}

int type_code(int service, std::string_view name) {
  const ServiceEntry* entry = find_service(service);
  if (entry == nullptr) return -1;
  for (std::size_t i = 0; i < entry->count; ++i) {
    if (name == entry->types[i].name) return entry->types[i].code;
  }
  return -1;
}

}  // namespace kovw::net
