// Linked into every test program. Under LeakSanitizer, leaks inside system libraries that the
// tests cannot free are not reported: fontconfig keeps the patterns of the fonts it matched
// until the process ends.

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
