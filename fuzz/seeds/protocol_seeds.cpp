// Seeds of the protocol targets: every message kind the server-link and program-link parsers
// read, built by the protocol builders and prefixed with the target's selector bytes.
#include <cstring>
#include <string>

#include "net/link_names.h"
#include "net/twofish_cipher.h"
#include "protocol/macro_file.h"
#include "protocol/program/host_requests.h"
#include "protocol/program/list_view_messages.h"
#include "protocol/program/program_window.h"
#include "protocol/program/retc.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/start_messages.h"
#include "protocol/program/window_service.h"
#include "protocol/server_messages.h"
#include "seed_set.h"

namespace kovw::fuzz {

namespace {

using namespace kovw::protocol;
namespace net = kovw::net;

// ---- server_messages: selector byte (parser = byte % 30), then the payload ---------------

void add_server_message_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "server_messages";
  const auto add = [&](std::string_view name, std::uint8_t selector, const Bytes& payload) {
    seeds.add(kTarget, name, prefixed({selector}, payload));
  };
  Value16 value{};
  for (std::size_t i = 0; i < value.size(); ++i) value[i] = static_cast<std::uint8_t>(i * 17);

  add("connect_request", 0,
      build_connect_request({"ws-01", 0x070305, value, kOptionCompression | kOptionEncryption | 2})
          .payload);
  add("connect_reply", 1,
      build_connect_reply({"host1", 0x072300, value, kOptionCompression | 2,
                           std::array<std::int32_t, 4>{1, 0, 0, 0}})
          .payload);
  add("connect_reply_old", 1,
      build_connect_reply({"old", 0x20400, value, 0, std::nullopt}).payload);

  const std::uint8_t filler[31] = {5, 4, 3, 2, 1};
  LoginRequest login;
  login.user = "anna";
  login.password_field = scrambled_password_field("geheim", filler);
  login.listen_port = 4711;
  login.domain = "buero";
  login.version_word = 0x070305;
  login.computer_name = "ws-01";
  login.client_flags = kClientAlways | kClientNetTimeout | kClientIconSize | kClientFontFactor;
  login.installation_id = "ID-1234";
  login.data_directory = "/home/anna/kovw";
  login.install_directory = "/opt/kovw";
  login.net_timeout_ms = 30000;
  login.icon_size = 32;
  login.font_factor = 100;
  add("login_request", 2, build_login_request(login).payload);
  login.kind = LoginKind::forgotten_password;
  login.password_field = forgotten_password_field();
  login.client_flags = kClientAlways | kClientHostType;
  login.net_timeout_ms.reset();
  login.icon_size.reset();
  login.font_factor.reset();
  login.browser_host_type = 2;
  add("login_request_forgotten", 2, build_login_request(login).payload);

  add("login_refusal", 3, build_login_refusal({1, "Falsches Passwort"}).payload);
  add("login_refusal_empty", 3, build_login_refusal({}).payload);

  LoginReply reply;
  reply.flags = 2 | kReplyNetTimeout | kReplyTwoInts;
  reply.listen_port = 0;
  reply.update_version = 0x070400;
  reply.update_size = 123456;
  reply.daemon_version = 0x072300;
  reply.session_timeout_min = 30;
  reply.path_ints = std::array<std::int32_t, 4>{1, 2, 3, 4};
  reply.session_text = "Sitzung 7";
  reply.name_text = "Anna";
  reply.net_timeout_ms = 20000;
  reply.extra_ints = std::array<std::int32_t, 2>{5, 6};
  reply.changes = {{0x070400, "7.4.0", "Neue Fenster"}, {0x070401, "7.4.1", "Fehler behoben"}};
  add("login_reply", 4, build_login_reply(reply).payload);
  LoginReply workflow;
  workflow.flags = 1;
  workflow.listen_port = 5000;
  // Selector 154 also picks the login reply, and its bit 7 asks for workflow mode.
  add("login_reply_workflow", 4 + 5 * 30, build_login_reply(workflow, true).payload);

  add("environment", 5, build_environment({"LANG", "de_DE.UTF-8"}).payload);
  add("start_request", 6, build_start_request({"prog", "/home/anna", "prog -x 1"}).payload);
  add("workflow_request", 7, build_workflow_request({"auftrag 17"}).payload);
  add("start_reply", 8, build_start_reply({net::KWK_KSTART, 0, 42, "prog", {}, {}}).payload);
  add("start_reply_error", 8,
      build_start_reply({net::KWK_KSTART, 2, 0, "prog", "/home/anna", "not found"}).payload);
  add("session_flag", 9, build_session_flag({kCflagStopTimeout}).payload);
  add("stop_request", 10, build_stop_request({42, 5}).payload);
  add("stop_request_all", 10, build_stop_request({}).payload);
  add("host_message", 11, build_host_message({"Bitte abmelden", "ding.wav"}).payload);
  add("host_alarm", 12, build_host_alarm({"Alarm!"}).payload);
  add("proxy_event", 13, build_proxy_event({net::KWK_KPROXY, 8080, "1234"}).payload);
  add("program_info", 14, build_program_info({1234, 1700000000, "prog"}).payload);
  add("program_end_notice", 15, build_program_end_notice({1234}).payload);
  add("program_ended", 16, build_program_ended({42, 0x0100, "prog"}).payload);
  add("password_change", 17, build_password_change({kPassChange, "alt", "neu12345"}).payload);
  add("password_refusal", 18, build_password_refusal({3, "zu kurz"}).payload);
  add("cron_request", 19,
      build_cron_command({CronAction::login, "anna", "geheim", "buero"}, 0x30507).payload);
  add("macro_file", 20, build_macro_file({0, "paket.kmp", "makro1"}).payload);
  add("macro_start", 21,
      build_macro_start({kMacroPackage | kMacroWait, "makro1", "paket.kmp"}).payload);
  add("macro_delete", 22, build_macro_delete({kMacroAll, "makro1"}).payload);
  add("script_status", 23, build_script_status({0, "skript", "fertig"}).payload);
  add("host_answer", 24, build_host_answer({"host1", "10.0.0.1", 5000, 7}));
  add("host_query", 24, build_host_query());

  net::TwofishCipher cipher;  // the target's session cipher
  const std::uint8_t key[16] = {1, 2, 3};
  cipher.set_key(key, sizeof key);
  add("password_encrypted", 25, encrypted_password_field("geheim", cipher));
  add("password_scrambled", 25, scrambled_password_field("geheim", filler));
  add("password_forgotten", 25, forgotten_password_field());

  // The remaining selectors describe a message of the selector's own type.
  add("describe_workflow", net::KWK_KWORKFLOW, build_workflow_request({"auftrag"}).payload);
  add("describe_cflag", net::KWK_KCFLAG, build_session_flag({kCflagRestartTimeout}).payload);
}

// ---- program_messages: parser selector byte (% 48), host version index, then the payload --

// The host library versions the target offers, in its order.
constexpr std::int32_t kVersions[] = {0x020400, 0x030002, 0x030D06, 0x04130A, 0x040505,
                                      0x04180D, 0x041E07, 0x042400, 0x050302, 0x060504,
                                      0x060B00, 0x060D02, 0x070305};

std::uint8_t version_index(std::int32_t version) {
  for (std::size_t i = 0; i < std::size(kVersions); ++i) {
    if (kVersions[i] == version) return static_cast<std::uint8_t>(i);
  }
  return static_cast<std::uint8_t>(std::size(kVersions) - 1);
}

Bytes record_bytes(std::size_t size, std::uint8_t seed) {
  Bytes record(size);
  for (std::size_t i = 0; i < size; ++i)
    record[i] = static_cast<std::uint8_t>((i * 13 + seed) % 97);
  return record;
}

MenuItemRecord menu_item(const char* label, const char* help, std::uint16_t command) {
  MenuItemRecord item{};
  std::memcpy(item.data() + kMenuLabelOffset, label, std::strlen(label));
  std::memcpy(item.data() + kMenuHelpOffset, help, std::strlen(help));
  item[kMenuBarOffset] = 1;
  put_le16(item.data() + kMenuFunctionKeyOffset, 3);
  put_le16(item.data() + kMenuKindOffset, 0);
  put_le16(item.data() + kMenuCommandOffset, command);
  return item;
}

void add_program_message_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "program_messages";
  const std::int32_t newest = kVersions[std::size(kVersions) - 1];
  const auto add = [&](std::string_view name, std::uint8_t selector, const Outgoing& message,
                       std::int32_t version = kVersions[std::size(kVersions) - 1]) {
    seeds.add(kTarget, name, prefixed({selector, version_index(version)}, message.payload));
  };

  KInit init;
  init.host_pid = 4242;
  init.program_name = "buchung";
  init.host_version = newest;
  init.parent_window = 7;
  init.embed = 1;
  init.link_timeout_ms = 60000;
  add("kinit", 0, build_kinit(init));
  add("kinit_old", 0, build_kinit({77, "alt", std::nullopt, 0, std::nullopt, std::nullopt}));
  add("window_ids", 1, build_window_ids({11, 12, 1920, 1080, 0, 99}));
  add("kreconnect", 2, build_kreconnect({4242, 12, 99}));
  add("kcflag", 3, build_kcflag(4));
  add("kmap", 3, build_kmap({1, 12}));
  add("kbutton", 4, build_kbutton({std::nullopt, 1}));
  add("kbutton_nr", 4, build_kbutton({3, 0}));
  add("ksetclip", 5, build_ksetclip({1, Bytes{'T', 'e', 'x', 't', 0}}));
  add("kgetclip", 5, build_kgetclip(1));
  add("clip_answer", 6, build_clip_answer({1, Bytes{'a', 'b', 'c'}}));
  add("clip_answer_empty", 6, build_clip_answer({0, {}}));
  add("kgetdate", 7, build_kgetdate({2026, 12, 10, "Datum w\xe4hlen"}));
  add("date_answer", 8, build_date_answer({2026, 12, 24, kChoiceChosen}));
  add("colour_answer", 8, build_colour_answer({{255, 128, 0}, kChoiceChosen}));
  add("kgetcol", 9, build_kgetcol({10, 20, 30}));
  add("kskomm", 10, build_kskomm({"editor", "/tmp/datei.txt", 1}, newest), newest);
  add("kskomm_old", 10, build_kskomm({"editor", "x", 0}, 0x030002), 0x030002);
  add("exec_answer", 11, build_exec_answer({"Programm gestartet", 0}));
  add("file_operation", 12, build_file_operation(net::KWK_KDEL, "/tmp/alt.txt"));
  add("file_answer", 13, build_file_answer(net::KWK_KDEL, 2, true));
  KGetFname fname;
  fname.start_path = "/home/anna";
  fname.filter = "*.txt";
  fname.flags = kSelectPlacementFlag | 1;
  fname.title =
      "Datei \xf6"
      "ffnen";
  fname.option = 1;
  fname.width = 600;
  fname.height = 400;
  fname.x = 10;
  fname.y = 20;
  add("kgetfname", 14, build_kgetfname(fname));
  add("kgetfname_plain", 14, build_kgetfname({"/", "*", 0, "W\xe4hlen"}));
  add("fname_answer", 15,
      build_fname_answer({"/home/anna/a.txt", kChoiceChosen, 1, 600, 400, 10, 20}));
  add("kfilecheck", 16, build_kfilecheck("/home/anna/a.txt"));
  add("filecheck_answer", 17,
      build_filecheck_answer(
          {0, record_bytes(kFileEntrySize, 1), "", record_bytes(kFileRecordSize, 2)}));
  add("khelp_request", 18, build_khelp_request({"index", "Hilfe", {"Erster", "Zweiter"}}));
  add("kfppfad", 19, build_kfppfad({2, 5}));
  add("kgetprinter", 20, build_kgetprinter("lp0", "a4"));
  add("ksendprinter", 20,
      build_ksendprinter({record_bytes(kPrinterRecordSize, 3), "/tmp/druck.ps", "", "x"}));
  add("printer_answer", 21, build_printer_answer(net::KWK_KGETPRINTER));
  add("kfontlist", 22, build_kfontlist({1, "Courier*", 0}));
  add("fontlist_answer", 23, build_fontlist_answer({2, record_bytes(2 * kFontRecordSize, 4)}));
  add("fontlist_answer_error", 23, build_fontlist_answer({-1, {}}));

  ScreenDefinition screen;
  screen.mode_and_style = 1 | kStyleIconsSecondForm | kStyleUtf8Title;
  screen.width = 800;
  screen.height = 600;
  screen.x = 5;
  screen.y = 6;
  screen.font_size = 12;
  screen.language_digit = '2';
  screen.frame_values = {1, 2};
  screen.font_name = "Courier";
  screen.title = "Buchung \xc3\xa4";
  screen.menu_items = {menu_item("Neu", "Neuer Satz", 101), menu_item("Ende", "Beenden", 102)};
  screen.icons = {{"stern", Bytes{0, 0, 1, 0, 1, 0, 16, 16}}};
  screen.option_chars = {'a', 'b', 'c'};
  screen.screen_options = default_screen_options();
  screen.icon_sizes = std::array<std::int32_t, 2>{16, 32};
  screen.extended_options = "x=1";
  add("screen_definition", 24,
      build_screen_definition(screen, newest, net::KWD_WIN, net::KWK_WINIT));
  ScreenDefinition old_screen;
  old_screen.mode_and_style = 0 | kStyleIconsFirstForm;
  old_screen.width = 80;
  old_screen.height = 25;
  old_screen.font_name = "Fixed";
  old_screen.title = "Alt";
  old_screen.icons = {{"kreis", Bytes{1, 2, 3, 4}}};
  add("screen_definition_old", 25,
      build_screen_definition(old_screen, 0x030D06, net::KWD_WIN, net::KWK_WINIT), 0x030D06);
  add("screen_definition_list", 26,
      build_screen_definition(old_screen, 0x04180D, net::KWD_LIST, net::KWK_LINIT), 0x04180D);

  add("grefr", 27, build_grefr({101, 1}));
  add("gktext", 27, build_gktext({101, "Speichern", "Satz speichern"}));
  add("font_request", 28, build_font_request(net::KWK_GFONT, {3, 12, 1}));
  add("gfontslot", 28, build_gfontslot({4, "Helvetica"}));
  FontInfo font;
  font.metrics = {12, 10, 2, 7, 14, 0};
  font.name = "Courier";
  font.world_widths = {1, 2, 3, 4, 5};
  font.device_widths = {1, 2, 3, 4, 5};
  font.world_table = record_bytes(kWidthTableSize, 5);
  font.device_table = record_bytes(kWidthTableSize, 6);
  font.glyph_table = Bytes{1, 2, 3, 4, 5, 6};
  add("font_info", 29, build_font_info(net::KWK_GFONT, font, newest));
  add("font_info_speak", 30, build_font_info(net::KWK_GSPEAK, font, newest));
  add("gpos", 31, build_gpos({100, 3, 200, 12}, newest));
  add("gpos_old", 31, build_gpos({100, 1, std::nullopt, std::nullopt}, 0x030002), 0x030002);
  add("gget", 32, build_gget(net::KWK_GGET, {0, {500}}));
  add("ggetex", 32, build_gget(net::KWK_GGETEX, {0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}));
  add("gget_no_timeout", 32, build_gget(net::KWK_GGET, {kGetNoTimeout, {}}));
  const Bytes capture{'d', 'a', 't', 'a'};
  add("gdata", 33, build_gdata(capture));
  add("single_int", 33, build_single_int(net::KWD_DIGRA, net::KWK_GEND, 7));
  add("gvideo", 34, build_gvideo(record_bytes(kVideoRequestSize, 7)));
  add("gspeech", 34,
      build_gspeech({record_bytes(kSpeechRequestSize, 8), Bytes{'H', 'a', 'l', 'l', 'o'}}));
  add("video_answer", 35, build_helper_answer(net::KWK_GVIDEO, record_bytes(kVideoAnswerSize, 9)));
  add("creakontext", 36,
      build_creakontext(net::KWD_DIGRA,
                        {menu_item("Kopieren", "", 201), menu_item("Einf\xfcgen", "", 202)}));
  add("retc", 37, build_retc(net::KWD_WIN, net::KWK_WRETC, {1, 2, 3}));
  add("raw_text", 38, build_raw_text(net::KWD_WIN, net::KWK_WTIT, "Titel \xe4"));
  add("lcursor", 38, build_raw_text(net::KWD_LIST, net::KWK_LCURSOR, "2"));
  add("wmelde", 39, build_wmelde({kMeldeRetc | 4, "Speichern?\nJa oder nein"}));
  add("wmelde_utf8", 39, build_wmelde({kMeldeUtf8, "\xc3\x84nderung"}));
  add("wdiac", 40, build_wdiac({record_bytes(kFieldRequestSize, 10), "Hilfe", "Inhalt"}));
  add("field_reply", 41, build_field_reply({13, 4, 0, 0, 0, "Inhalt"}));
  Bytes edit_descriptor(kEditRequestMinSize, 0);
  put_le16(edit_descriptor.data() + 2, 100);
  add("wedit", 42, build_wedit({edit_descriptor, "Hilfe", Bytes{'T', 'e', 'x', 't'}}));
  add("edit_reply", 43, build_edit_reply({13, 1, 5, 6, 0, Bytes{'n', 'e', 'u'}, 0, std::nullopt}));
  add("edit_reply_pointer", 43,
      build_edit_reply(
          {kEditPointerKey, 0, 5, 6, 1, {}, 3, record_bytes(kEditPointerRecordSize, 11)}));
  const KeyEvent keys[] = {
      {'a', std::nullopt}, {0x165, std::array<std::uint16_t, 3>{1, 2, 3}}, {13, std::nullopt}};
  add("key_data", 44, build_key_data(keys));
  Bytes tree = record_bytes(kTreeHeaderSize + 2 * kTreeEntrySize, 12);
  add("ltree", 45, build_view_definition(net::KWK_LTREE, tree));
  ListDialog dialog;
  dialog.header = Bytes(kListDialogHeaderSize, 0);
  put_le16(dialog.header.data(), 1);
  put_le16(dialog.header.data() + 2, 1);
  std::memcpy(dialog.header.data() + 16, "Liste", 5);
  Bytes field(kListDialogFieldSize, 0);
  put_le16(field.data() + 128, 4);
  put_le16(field.data() + 130, 0);
  dialog.fields = {field};
  dialog.buttons = {Bytes(kListDialogButtonSize, 0)};
  dialog.data = Bytes{'W', 'e', 'r', 't'};
  add("ldialog", 46, build_ldialog(dialog));
  add("linfo", 46, build_linfo({Bytes(kListInfoHeaderSize, 1), Bytes{1, 2, 3}}));
  add("lantw", 47, build_lantw({2, "Eintrag", {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}}));
  add("lantwdia", 47, build_lantwdia({1, Bytes{'W', 'e', 'r', 't'}}));
}

// ---- macro_file: a whole macro file --------------------------------------------------------

void add_macro_file_seeds(SeedSet& seeds) {
  constexpr std::string_view kTarget = "macro_file";
  const auto file = [](std::initializer_list<MacroRecord> records) {
    Bytes out = macro_file_header();
    for (const MacroRecord& r : records) append(out, encode_macro_record(r));
    return out;
  };
  const auto answer = [](const Outgoing& a, bool host_dialog = false) {
    MacroRecord r = *macro_record_of_answer(a.service, a.type, a.payload, host_dialog, "Fenster");
    r.wait_ms = 300;
    return r;
  };
  seeds.add(kTarget, "empty", file({}));
  seeds.add(kTarget, "comment_and_menu",
            file({macro_comment("Titel", "Text"),
                  answer(build_lantw({2, "Eintrag", {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}}))}));
  seeds.add(kTarget, "keys_and_dialogs",
            file({answer(Outgoing{net::KWD_WIN, net::KWK_WTAST, {0, 4, 0, 0, 0, 65}}),
                  answer(Outgoing{net::KWD_DIGRA, net::KWK_GDIALOG, {0, 4, 0, 0, 0, 2}}, true),
                  answer(build_lantwdia({1, Bytes{'W', 'e', 'r', 't'}})),
                  answer(Outgoing{net::KWD_KOMM, net::KWK_KGETDATE, {0, 4, 0, 0, 0, 2}})}));
}

}  // namespace

void add_protocol_seeds(SeedSet& seeds) {
  add_server_message_seeds(seeds);
  add_program_message_seeds(seeds);
  add_macro_file_seeds(seeds);
}

}  // namespace kovw::fuzz
