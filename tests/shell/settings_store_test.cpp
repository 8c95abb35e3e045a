#include "shell/settings_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>

#include "shell/settings_table.h"
#include "shell/temp_xdg_home.h"
#include "shell/version.h"

namespace kovw::shell {
namespace {

using platform::Registry;

class SettingsStoreTest : public ::testing::Test {
 protected:
  // A store as start-up sees it: a cleared record with the ports preset.
  std::unique_ptr<SettingsStore> fresh_store(const OverrideRecord* overrides = nullptr) {
    auto store = std::make_unique<SettingsStore>();
    SettingsRecord& r = store->record();
    r.kovd_port = 4724;
    r.kovw_printer_port = 9500;
    r.kovw_port = 4727;
    r.automatic_kovw_port = 1;
    store->set_overrides(overrides);
    store->set_version_word(0x070305);
    return store;
  }
  // Settings written by a first start, then changed by `edit` directly in the registry.
  template <typename Edit>
  void prepare(Edit edit) {
    fresh_store()->load_settings(true);
    Registry registry;
    edit(registry);
  }

  test::TempXdgHome home;
  const QString settings_key = kSettingsKey;
};

TEST_F(SettingsStoreTest, FirstStartWritesTheValuesOfANewInstallation) {
  auto store = fresh_store();
  ASSERT_EQ(store->load_settings(true), 0);
  const SettingsRecord& r = store->record();
  EXPECT_EQ(r.first_start & 1, 1);
  EXPECT_EQ(r.ping_timer, 10);
  EXPECT_EQ(r.auto_end, 1);
  EXPECT_EQ(r.start_program, "HW/p/wdimen");
  EXPECT_EQ(r.font_factor, 100);  // stored as 0, used as 100
  EXPECT_EQ(r.icon_size, 16);

  Registry registry;
  EXPECT_EQ(registry.read_int(settings_key, "Ping Timer"), 10);
  EXPECT_EQ(registry.read_int(settings_key, "Auto End"), 1);
  EXPECT_EQ(registry.read_string(settings_key, "Start Program"), "HW/p/wdimen");
  EXPECT_EQ(registry.read_byte(settings_key, "Font Faktor"), 0);
  EXPECT_EQ(registry.read_byte(settings_key, "Icon Size"), 16);
  EXPECT_EQ(registry.read_int(settings_key, "Saved Version"), 0x070305);
  EXPECT_EQ(registry.read_int(settings_key, "KOVD Port"), 4724);
  EXPECT_EQ(registry.read_int(settings_key, "Smart Edit"), 6);
  EXPECT_FALSE(registry.read(settings_key, "Custom Colors"));
  // Every value of the table is there with its type.
  for (const SettingDescriptor& d : settings_table()) {
    EXPECT_TRUE(registry.read(settings_key, d.name)) << d.name;
  }

  // The next start is no first start and reads the same values back (factor 0 is 100).
  auto again = fresh_store();
  again->load_settings(true);
  EXPECT_EQ(again->record().first_start & 1, 0);
  EXPECT_EQ(again->record().ping_timer, 10);
  EXPECT_EQ(again->record().font_factor, 100);
}

TEST_F(SettingsStoreTest, MissingValuesTakeTheirDefaultAndSomeCauseARewrite) {
  struct Case {
    const char* value;
    std::int32_t SettingsRecord::*field;
    std::int32_t expected;
    bool rewritten;
  };
  const Case cases[] = {
      {"Ping Timer", &SettingsRecord::ping_timer, 30, false},
      {"Auto End", &SettingsRecord::auto_end, 0, false},
      {"Error Level", &SettingsRecord::error_level, 3, false},
      {"KOVW Printer Port", &SettingsRecord::kovw_printer_port, 9500, false},
      {"Cursor Width", &SettingsRecord::cursor_width, 2, true},
      {"KOVW Videoport", &SettingsRecord::kovw_videoport, 48000, true},
      {"Smart Edit", &SettingsRecord::smart_edit, 6, true},
      {"No Syscol Change", &SettingsRecord::no_syscol_change, 1, true},
  };
  for (const Case& c : cases) {
    test::TempXdgHome own_home;
    prepare([&](Registry& registry) {
      registry.write_int(settings_key, "Ping Timer", 99);
      registry.write_int(settings_key, "Cursor Width", 99);
      registry.write_int(settings_key, "Auto End", 99);
      registry.remove_value(settings_key, c.value);
    });
    auto store = fresh_store();
    store->load_settings(true);
    EXPECT_EQ(store->record().*c.field, c.expected) << c.value;
    Registry registry;
    EXPECT_EQ(registry.read_int(settings_key, c.value).has_value(), c.rewritten) << c.value;
    if (c.rewritten) {
      EXPECT_EQ(registry.read_int(settings_key, c.value), c.expected);
    }
  }
}

TEST_F(SettingsStoreTest, MissingAutomaticPortAlsoResetsTheListeningPort) {
  prepare([&](Registry& registry) {
    registry.write_int(settings_key, "KOVW Port", 5000);
    registry.write_int(settings_key, "Automatic KOVW Port", 0);
  });
  auto store = fresh_store();
  store->load_settings(true);
  EXPECT_EQ(store->record().kovw_port, 5000);
  EXPECT_EQ(store->record().automatic_kovw_port, 0);

  Registry().remove_value(settings_key, "Automatic KOVW Port");
  store->load_settings(true);
  EXPECT_EQ(store->record().kovw_port, 4727);
  EXPECT_EQ(store->record().automatic_kovw_port, 1);
}

TEST_F(SettingsStoreTest, FontFactorZeroOrMissingIsOneHundredPercent) {
  for (int stored : {-1, 0, 150}) {
    test::TempXdgHome own_home;
    prepare([&](Registry& registry) {
      if (stored < 0) {
        registry.remove_value(settings_key, "Font Faktor");
      } else {
        registry.write_byte(settings_key, "Font Faktor", std::uint8_t(stored));
      }
    });
    auto store = fresh_store();
    store->load_settings(true);
    const SettingsRecord& r = store->record();
    const int factor = stored == 150 ? 150 : 100;
    EXPECT_EQ(r.font_factor, factor) << stored;
    EXPECT_EQ(r.icon_size, factor * 16 / 100) << stored;
    EXPECT_EQ(r.text_font_name, "Courier New");
    EXPECT_EQ(r.text_font_height, 160 * factor / 100);
    EXPECT_EQ(r.prop_font_name, "Arial");
    EXPECT_EQ(r.prop_font_height, 120 * factor / 100);
  }
}

TEST_F(SettingsStoreTest, StoredFontsScaleWithTheFactor) {
  prepare([&](Registry& registry) {
    registry.write_string(settings_key, "Font Name", "Lucida Console");
    registry.write_int(settings_key, "Font Size", 100);
    registry.write_string(settings_key, "Prop Font", "Tahoma");  // no size: the default font
    registry.write_byte(settings_key, "Font Faktor", 120);
  });
  auto store = fresh_store();
  store->load_settings(true);
  EXPECT_EQ(store->record().text_font_name, "Lucida Console");
  EXPECT_EQ(store->record().text_font_height, 120);
  EXPECT_EQ(store->record().prop_font_name, "Arial");
  EXPECT_EQ(store->record().prop_font_height, 144);
}

TEST_F(SettingsStoreTest, OldStartProgramIsReplacedForOldVersionsOnly) {
  struct Case {
    std::int32_t last_version;
    const char* stored;
    const char* expected;
  };
  const Case cases[] = {
      {0x041300, "HW/p/dimen", "HW/p/wdimen"},
      {0x041301, "HW/p/dimen", "HW/p/dimen"},
      {0x030000, "HW/p/other", "HW/p/other"},
  };
  for (const Case& c : cases) {
    test::TempXdgHome own_home;
    prepare([&](Registry& registry) {
      registry.write_int(settings_key, "Last Version", c.last_version);
      registry.write_string(settings_key, "Start Program", c.stored);
    });
    auto store = fresh_store();
    store->load_settings(true);
    EXPECT_EQ(store->record().start_program, c.expected) << c.last_version;
  }
}

TEST_F(SettingsStoreTest, EditModeIsDeletedOnLoadAndOnSave) {
  prepare([&](Registry& registry) { registry.write_int(settings_key, "Edit Mode", 1); });
  auto store = fresh_store();
  store->load_settings(true);
  EXPECT_FALSE(Registry().read(settings_key, "Edit Mode"));
  Registry().write_int(settings_key, "edit mode", 1);
  EXPECT_EQ(store->save_setting("Date"), 0);
  EXPECT_FALSE(Registry().read(settings_key, "Edit Mode"));
}

TEST_F(SettingsStoreTest, MalformedValuesAreMissingAndLongTextsAreRefused) {
  prepare([&](Registry& registry) {
    registry.write_dword(settings_key, "Ping Timer", 77);                         // wrong type
    registry.write_string(settings_key, "Cursor Width", "5");                     // wrong type
    registry.write_string(settings_key, "Start Program", std::string(260, 'x'));  // too long
    registry.write_string(settings_key, "Font Name", std::string(255, 'f'));      // just fits
    registry.write_int(settings_key, "Font Faktor", 120);                         // 4 bytes, not 1
  });
  auto store = fresh_store();
  store->load_settings(true);
  const SettingsRecord& r = store->record();
  EXPECT_EQ(r.ping_timer, 30);
  EXPECT_EQ(r.cursor_width, 2);
  EXPECT_EQ(r.start_program, "HW/p/wdimen");
  EXPECT_EQ(r.font_name.size(), 255u);
  EXPECT_EQ(r.font_factor, 100);
  // Cursor Width and Start Program are rewrite values: the store is repaired.
  Registry registry;
  EXPECT_EQ(registry.read_int(settings_key, "Cursor Width"), 2);
  EXPECT_EQ(registry.read_string(settings_key, "Start Program"), "HW/p/wdimen");
}

TEST_F(SettingsStoreTest, SecondLoadOnlyWhenUnconditional) {
  auto store = fresh_store();
  EXPECT_EQ(store->load_settings(false), 0);
  Registry().write_int(settings_key, "Ping Timer", 45);
  EXPECT_EQ(store->load_settings(false), 1);
  EXPECT_EQ(store->record().ping_timer, 10);
  EXPECT_EQ(store->load_settings(true), 0);
  EXPECT_EQ(store->record().ping_timer, 45);
}

TEST_F(SettingsStoreTest, OverridesApplyAfterLoadAndBlockTheWholeSave) {
  prepare([](Registry&) {});
  OverrideRecord o;
  o.mask = kOverrideHost | kOverridePingTimer | kOverridePrinterPort | kOverrideKovwPort;
  o.values.host.assign("override-host");
  o.values.ping_timer = 5;
  o.values.kovw_printer_port = 0;  // -p 0: print service off
  o.values.kovw_port = 0;          // -w 0: automatic port
  auto store = fresh_store(&o);
  store->load_settings(true);
  store->load_login(true);
  const SettingsRecord& r = store->record();
  EXPECT_EQ(r.host, "override-host");
  EXPECT_EQ(r.ping_timer, 5);
  EXPECT_EQ(r.disable_print_service, 1);
  EXPECT_EQ(r.kovw_printer_port, 9500);
  EXPECT_EQ(r.automatic_kovw_port, 1);

  // Leaving the program writes nothing to "Settings".
  QFile file(store->registry().file_path());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray before = file.readAll();
  file.close();
  store->record().date = 20261224;
  EXPECT_EQ(store->save_settings(), 1);
  EXPECT_EQ(store->save_settings(true), 1);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), before);
  EXPECT_EQ(Registry().read_int(settings_key, "Ping Timer"), 10);
}

TEST_F(SettingsStoreTest, AFirstStartWithOverridesStoresOnlyTheNewValues) {
  OverrideRecord o;
  o.mask = kOverridePingTimer;
  o.values.ping_timer = 5;
  auto store = fresh_store(&o);
  store->load_settings(true);
  EXPECT_EQ(store->record().ping_timer, 5);
  EXPECT_EQ(Registry().read_int(settings_key, "Ping Timer"), 10);
}

TEST_F(SettingsStoreTest, PrinterPortAndFontGroupOverrides) {
  prepare([](Registry&) {});
  OverrideRecord o;
  o.mask = kOverridePrinterPort | kOverrideFont;
  o.values.kovw_printer_port = 9600;
  o.values.auto_print_port = 0;
  o.values.disable_print_service = 0;
  o.values.font_name.assign("Mono");
  o.values.font_size = 100;
  o.font_mask = kFontOverrideFactor | kFontOverrideIconSize;
  o.values.font_factor = 200;
  o.values.icon_size = 20;
  auto store = fresh_store(&o);
  store->load_settings(true);
  const SettingsRecord& r = store->record();
  EXPECT_EQ(r.kovw_printer_port, 9600);
  EXPECT_EQ(r.auto_print_port, 0);
  EXPECT_EQ(r.font_factor, 200);
  EXPECT_EQ(r.icon_size, 20);  // given on the command line, not derived
  EXPECT_EQ(r.text_font_name, "Mono");
  EXPECT_EQ(r.text_font_height, 200);

  // The font-factor group alone does not block the whole save.
  OverrideRecord only_fonts;
  only_fonts.font_mask = kFontOverrideFactor;
  only_fonts.values.font_factor = 130;
  store->set_overrides(&only_fonts);
  store->load_settings(true);
  EXPECT_EQ(store->save_settings(), 0);
  EXPECT_EQ(Registry().read_byte(settings_key, "Font Faktor"), 130);
}

TEST_F(SettingsStoreTest, WholeSaveOnceUnlessForcedAndSingleValues) {
  auto store = fresh_store();
  store->load_settings(true);
  store->record().ping_timer = 20;
  EXPECT_EQ(store->save_settings(), 0);
  EXPECT_EQ(Registry().read_int(settings_key, "Ping Timer"), 20);
  store->record().ping_timer = 21;
  EXPECT_EQ(store->save_settings(), 1);
  EXPECT_EQ(Registry().read_int(settings_key, "Ping Timer"), 20);
  EXPECT_EQ(store->save_settings(true), 0);
  EXPECT_EQ(Registry().read_int(settings_key, "Ping Timer"), 21);

  store->record().last_version = 0x070305;
  store->record().ping_timer = 22;
  EXPECT_EQ(store->save_setting("last version"), 0);
  EXPECT_EQ(Registry().read_int(settings_key, "Last Version"), 0x070305);
  EXPECT_EQ(Registry().read_int(settings_key, "Ping Timer"), 21);
  EXPECT_EQ(store->save_setting("No Such Value"), -2);

  EXPECT_EQ(store->save_date(20261210), 0);
  EXPECT_EQ(store->record().date, 20261210);
  EXPECT_EQ(Registry().read_int(settings_key, "Date"), 20261210);
}

TEST_F(SettingsStoreTest, EnvironmentIsWrittenSortedAndReadBackInThatOrder) {
  auto store = fresh_store();
  store->load_settings(true);
  SettingsRecord& r = store->record();
  const char* names[] = {"PRT", "HV", "bin", "HW", "A_B"};
  for (const char* name : names) {
    EnvironmentEntry& e = r.environment[r.environment_used++];
    e.name.assign(name);
    e.value.assign(std::string("/srv/") + name);
  }
  ASSERT_EQ(store->save_settings(true), 0);
  // The table in memory keeps the order of entry.
  EXPECT_EQ(r.environment[0].name, "PRT");

  Registry registry;
  EXPECT_EQ(registry.read_int(settings_key, "Environ Count"), 5);
  EXPECT_EQ(registry.value_names(kEnvironKey), (QStringList{"A_B", "HV", "HW", "PRT", "bin"}));

  auto loaded = fresh_store();
  loaded->load_settings(true);
  const SettingsRecord& l = loaded->record();
  ASSERT_EQ(l.environment_used, 5);
  const char* sorted[] = {"A_B", "HV", "HW", "PRT", "bin"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(l.environment[i].name, sorted[i]);
    EXPECT_EQ(l.environment[i].value, std::string("/srv/") + sorted[i]);
  }

  // Entries that were removed are gone after the next whole save.
  r.environment_used = 1;
  ASSERT_EQ(store->save_settings(true), 0);
  EXPECT_EQ(Registry().value_names(kEnvironKey), QStringList{"PRT"});
}

TEST_F(SettingsStoreTest, EnvironmentLoadUsesWhatIsThereAndRefusesLongEntries) {
  prepare([&](Registry& registry) {
    registry.write_int(settings_key, "Environ Count", 5);
    registry.write_string(kEnvironKey, "GOOD", "1");
    registry.write_string(kEnvironKey, "LONG", std::string(300, 'v'));
    registry.write_string(kEnvironKey, QString(40, 'N'), "x");
    registry.write_int(kEnvironKey, "NUMBER", 3);
  });
  auto store = fresh_store();
  store->load_settings(true);
  const SettingsRecord& r = store->record();
  ASSERT_EQ(r.environment_used, 1);
  EXPECT_EQ(r.environment[0].name, "GOOD");

  // With -s or -u the stored entries are not read; the command line's are used.
  OverrideRecord o;
  o.mask = kOverrideEnvironment;
  o.values.environment[0].name.assign("HV");
  o.values.environment[0].value.assign("/x");
  o.values.environment_used = 1;
  store->set_overrides(&o);
  store->load_settings(true);
  ASSERT_EQ(r.environment_used, 1);
  EXPECT_EQ(r.environment[0].name, "HV");
}

TEST_F(SettingsStoreTest, CustomColorsAreWrittenOnlyWhenChanged) {
  auto store = fresh_store();
  store->load_settings(true);
  EXPECT_EQ(store->load_custom_colors(), CustomColors{});
  CustomColors colors{};
  colors[0] = 0x00FF0000;
  colors[15] = 0x00123456;
  EXPECT_EQ(store->save_custom_colors(colors), 0);
  EXPECT_EQ(store->save_custom_colors(colors), -1);
  const auto stored = Registry().read_binary(settings_key, "Custom Colors");
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size(), 64);
  EXPECT_EQ(stored->mid(60, 4), QByteArray("\x56\x34\x12\x00", 4));
  EXPECT_EQ(fresh_store()->load_custom_colors(), colors);
  // A whole save leaves the colours alone.
  EXPECT_EQ(store->save_settings(true), 0);
  EXPECT_EQ(fresh_store()->load_custom_colors(), colors);
}

TEST_F(SettingsStoreTest, UninstallDeletesEveryKey) {
  auto store = fresh_store();
  store->load_settings(true);
  store->save_login();
  Registry().write_dword("Sizes\\prog", "geoX", 1);
  EXPECT_EQ(store->delete_all_keys(), 0);
  EXPECT_TRUE(Registry().subkeys("").isEmpty());
  EXPECT_TRUE(Registry().value_names("").isEmpty());
}

TEST_F(SettingsStoreTest, ProcessWideStoreAndTheEstablishedNames) {
  reset_settings_store();
  OverrideRecord o;
  settings_store().set_overrides(&o);
  mutable_settings().kovd_port = 4724;
  EXPECT_EQ(dr_load_settings(true), 0);
  EXPECT_EQ(dr_load_settings(false), 1);
  EXPECT_EQ(settings().ping_timer, 10);
  mutable_settings().ping_timer = 12;
  EXPECT_EQ(dr_save_settings("Ping Timer"), 0);
  EXPECT_EQ(Registry().read_int(settings_key, "Ping Timer"), 12);
  EXPECT_EQ(dr_save_settings(), 0);
  EXPECT_EQ(dr_save_settings(), 1);
  // A whole save records the running program's version.
  EXPECT_EQ(Registry().read_int(settings_key, "Saved Version"),
            std::int32_t(version_word(version_of(version_text()))));
  EXPECT_EQ(dr_save_date(20270101), 0);
  EXPECT_EQ(dr_load_login(true), 0);
  EXPECT_EQ(dr_save_login(), 1);
  reset_settings_store();
}

}  // namespace
}  // namespace kovw::shell
