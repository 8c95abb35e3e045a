// The expansion of the environment table before it is sent after the login.
#include "shell/environment_expansion.h"

#include <gtest/gtest.h>

#include <array>

namespace kovw::shell {
namespace {

TEST(Environment, ExpandsReferencesAndGuardsAgainstSelfReference) {
  std::array<EnvironmentEntry, 5> table;
  auto set = [&](int i, const char* name, const char* value) {
    table[i].name.assign(name);
    table[i].value.assign(value);
  };
  set(0, "HV", "/opt/hv");
  set(1, "BIN", "$HV/bin");
  set(2, "LOOP", "%LOOP%x");
  set(3, "A", "$B");
  set(4, "B", "%A%");
  EXPECT_EQ(expand_environment_value(table, table[1].value.view(), &table[1]), "/opt/hv/bin");
  EXPECT_EQ(expand_environment_value(table, "%BIN%:$NOPE:%NOPE%:100%", nullptr),
            "/opt/hv/bin:$NOPE:%NOPE%:100%");
  EXPECT_EQ(expand_environment_value(table, table[2].value.view(), &table[2]), "%LOOP%x");
  // A cycle over two entries ends with the reference back to the start kept as written.
  EXPECT_EQ(expand_environment_value(table, table[3].value.view(), &table[3]), "%A%");
  EXPECT_EQ(expand_environment_value(table, "$A", nullptr), "%A%");
  EXPECT_EQ(expand_environment_value(table, "$", nullptr), "$");
  EXPECT_EQ(expand_environment_value(table, "$HV$HV$HV", nullptr, 10), "/opt/hv/op");
}

}  // namespace
}  // namespace kovw::shell
