// The sanitizers' options every fuzz target and the seed maker start with;
// ASAN_OPTIONS can still change them.
//
// intercept_tls_get_addr=0: clang 14's runtime takes a dynamic TLS block
// that starts 16 bytes into a page for one with glibc 2.19's header in front
// of it, and reads from that "header" the range its leak check scans. glibc
// has made no such header since 2.25: the two words are the allocator's
// own, and the check's tracer reads outside the process's memory ("Tracer
// caught signal 11" after "Done N runs", and libFuzzer keeps an empty input
// as a crash). The libraries loaded at run time (Qt's plug-ins, ImageMagick)
// make such blocks, which lie where malloc puts them: 16 bytes into a page,
// now and then. Without the interceptor the check finds them as it finds
// any other memory from malloc.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }
