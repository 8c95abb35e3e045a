// Linked into every test program, and into kovw in the sanitizer build (the end-to-end tests run
// it). Under LeakSanitizer, leaks inside system libraries that kovw cannot free are not
// reported: fontconfig keeps the patterns of the fonts it matched until the process ends, and
// the toolkit's print support plugin keeps a small allocation of its printer list.

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libcupsprintersupport.so\n";
}
